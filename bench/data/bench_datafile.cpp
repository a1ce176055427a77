// The largest plan the program accepts: 22 conditions, each sweeping 0.20..30.50 kV by
// 0.01 kV in both polarities (6,062 steps each, 133,364 in all). Prints the time of
// expansion plus rebuild, saving, loading and the dump, with the peak memory after each.
#include "commands/CDataFileDump.h"
#include "common/LargestPlan.h"
#include "data/CVzrT8100Doc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <sys/resource.h>

namespace {
double PeakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0; // kilobytes on Linux
}

void Report(const char* phase, double ms, const QString& extra = QString()) {
    std::printf("%-22s %9.1f ms   peak RSS %7.1f MB  %s\n", phase, ms, PeakMegabytes(),
                qPrintable(extra));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString path = dir.filePath("largest.vzt");
    std::printf("startup                               peak RSS %7.1f MB\n", PeakMegabytes());

    CVzrT8100Doc doc;
    QElapsedTimer t;
    t.start();
    MakeLargestPlan(doc);
    const double expandMs = t.nsecsElapsed() / 1e6;
    Report("expand + rebuild", expandMs, QStringLiteral("%1 steps").arg(doc.GetExecList().size()));

    QString error;
    t.restart();
    if (!doc.SaveFile(path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Report("save", t.nsecsElapsed() / 1e6, QStringLiteral("%1 bytes").arg(QFileInfo(path).size()));

    {
        CVzrT8100Doc loaded;
        t.restart();
        if (!loaded.OpenFile(path, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        Report("load", t.nsecsElapsed() / 1e6,
               QStringLiteral("%1 steps").arg(loaded.GetExecList().size()));
    }

    QFile sink(dir.filePath("dump.txt"));
    if (!sink.open(QIODevice::WriteOnly))
        return 1;
    QTextStream out(&sink);
    QTextStream err(stderr);
    t.restart();
    const int rc = CDataFileDump::Run(path, out, err);
    out.flush();
    Report("dump (load + format)", t.nsecsElapsed() / 1e6,
           QStringLiteral("%1 bytes").arg(sink.size()));
    return rc;
}
