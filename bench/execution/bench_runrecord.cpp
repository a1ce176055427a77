// The run record: reading large and hostile records (target: within 1 s and 200 MB each),
// and the cost of one event line written and flushed to the disk. Each record is written
// to a file first; a child process reads it, so its peak memory is the reader's alone.
// Prints its figures; it is not a test. Usage: bench_runrecord [FOLDER] (default: a
// temporary folder; the folder's disk is the one the flush figure is about).
#include "execution/CRunRecord.h"
#include "execution/CRunRecordReader.h"
#include "execution/RunRecordFormat.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int STEPS = 440000; // the largest run list the plan view can make

CExecList RunList() {
    CExecList steps;
    steps.reserve(STEPS);
    for (int i = 0; i < STEPS; ++i) {
        auto step = std::make_unique<CExecData>();
        step->m_nPola = i % 2;
        step->m_lVolt = 200 + 10 * (i / 2 % 3000);
        steps.push_back(std::move(step));
    }
    return steps;
}

// A record of the run list: its header, then lines from the generator until it returns
// false; written in blocks, never held whole.
QString WriteRecord(const QString& folder, const char* name, const QByteArray& header,
                    const std::function<bool(qint64, QByteArray&)>& line) {
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(header);
    QByteArray block;
    for (qint64 i = 0;; ++i) {
        if (!line(i, block))
            break;
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return path;
}

QByteArray JudgeLine(qint64 i, const QByteArray& comment) {
    QByteArray line = "2026/12/08 10:00:00.000,JUDGE," + QByteArray::number(i % STEPS + 1) +
                      ",CONTACT,IEC LEVEL X,GUN,+,4.00,0.05,10," + (i % 2 ? "B" : "A") + ",";
    RunRecordFormat::AppendField(line, comment);
    return line + ",確定,\r\n";
}

// Reads the record in a child process: its time and its peak memory.
void Measure(const char* what, const QString& path) {
    const qint64 size = QFileInfo(path).size();
    int pipefd[2];
    if (::pipe(pipefd) != 0)
        return;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipefd[0]);
        QElapsedTimer timer;
        timer.start();
        CRunRecordReader reader;
        const int status = reader.Read(path);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        char text[512];
        const int n = std::snprintf(
            text, sizeof text, "status %d, %lld events, stopped at line %lld, %lld judged, %.1f ms",
            status, static_cast<long long>(reader.EventCount()),
            static_cast<long long>(reader.StoppedAtLine()),
            static_cast<long long>(reader.JudgedCount()), ms);
        if (::write(pipefd[1], text, size_t(n)) != n)
            ::_exit(1);
        ::_exit(0);
    }
    ::close(pipefd[1]);
    char text[512] = {};
    const ssize_t n = ::read(pipefd[0], text, sizeof text - 1);
    ::close(pipefd[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    std::printf("%-40s %7.1f MB   %s   peak %.1f MB\n", what, double(size) / 1e6,
                n > 0 ? text : "(failed)", double(usage.ru_maxrss) / 1024.0);
    QFile::remove(path);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();

    // the header the program writes for the largest run list
    const CExecList steps = RunList();
    QByteArray header;
    {
        CRunRecord record(steps);
        CRunRecord::Header h;
        h.strDataFile = folder + QStringLiteral("/Bench.vzt");
        h.strTitle = QStringLiteral("Bench.vzt");
        record.Begin(h, CTestProperty());
        QFile file(record.Path());
        file.open(QIODevice::ReadOnly);
        header = file.readAll();
        QFile::remove(record.Path());
        QDir().rmdir(QFileInfo(record.Path()).path());
    }

    Measure("a million judgements with comments",
            WriteRecord(folder, "million.csv", header, [](qint64 i, QByteArray& out) {
                out += JudgeLine(i, "コメント " + QByteArray::number(i));
                return i < 999999;
            }));
    Measure("a judgement of every step, each loaded, seen, completed",
            WriteRecord(folder, "day.csv", header, [](qint64 i, QByteArray& out) {
                const QByteArray step = QByteArray::number(i / 4 + 1);
                static const char* const events[] = {"LOAD", "DISCHARGE", "COMPLETE"};
                if (i % 4 < 3)
                    out += "2026/12/08 10:00:00.000," + QByteArray(events[i % 4]) + "," + step +
                           ",CONTACT,IEC LEVEL X,GUN,+,4.00,0.05,10,,,,\r\n";
                else
                    out += JudgeLine(i / 4, QByteArray());
                return i < qint64(STEPS) * 4 - 1;
            }));
    Measure("valid lines beyond the size limit",
            WriteRecord(folder, "huge.csv", header, [](qint64 i, QByteArray& out) {
                out += JudgeLine(i, QByteArray(200, 'x'));
                return i < 1400000;
            }));
    Measure("a million 判定全変更",
            WriteRecord(folder, "all.csv", header, [](qint64 i, QByteArray& out) {
                out += "2026/12/08 10:00:00.000,JUDGE_ALL,,,,,,,,,B,,判定全変更,\r\n";
                return i < 999999;
            }));
    Measure("comments up to the kept-text limit",
            WriteRecord(folder, "comments.csv", header, [](qint64 i, QByteArray& out) {
                out += JudgeLine(i, QByteArray(100000, char('a' + i % 26)));
                return i < 2000;
            }));
    Measure("one line of 200 MB",
            WriteRecord(folder, "line.csv", header, [](qint64 i, QByteArray& out) {
                out += QByteArray(1 << 20, 'y');
                return i < 200;
            }));
    Measure("invalid UTF-8 after a million lines",
            WriteRecord(folder, "utf8.csv", header, [](qint64 i, QByteArray& out) {
                out += i < 1000000 ? JudgeLine(i, "ok") : JudgeLine(i, "\xC3\x28");
                return i < 1000000;
            }));

    // one event written and flushed, as during a run
    {
        CExecList few;
        few.push_back(std::make_unique<CExecData>());
        CRunRecord record(few);
        CRunRecord::Header h;
        h.strDataFile = folder + QStringLiteral("/Flush.vzt");
        record.Begin(h, CTestProperty());
        constexpr int EVENTS = 500;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < EVENTS; ++i)
            record.DischargeSeen(0);
        std::printf("%-40s %7.3f ms per line (%d lines in %s)\n", "event written and flushed",
                    double(timer.nsecsElapsed()) / 1e6 / EVENTS, EVENTS,
                    qPrintable(QDir::toNativeSeparators(folder)));
        QFile::remove(record.Path());
        QDir().rmdir(QFileInfo(record.Path()).path());
    }
    return 0;
}
