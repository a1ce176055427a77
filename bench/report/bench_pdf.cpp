// The PDF report of the largest plan: 22 conditions sweeping 0.20..30.50 kV by 0.01 kV in
// both polarities, 133,364 steps, every one judged and every seventh commented. Prints the
// time of the whole report (both passes and the file), the peak memory of the process
// (getrusage) and the pages. --keep leaves the PDF for a look; --points N runs the plan at N
// test points (the run list N times as long).
#include "common/LargestPlan.h"
#include "report/CPdfReport.h"
#include "settings/CTestProperty.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

double PeakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype pointsAt = args.indexOf(QStringLiteral("--points"));
    const int pointCount = pointsAt > 0 ? args.value(pointsAt + 1).toInt() : 0;
    QTemporaryDir dir;
    dir.setAutoRemove(!args.contains(QStringLiteral("--keep")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    CVzrT8100Doc doc;
    doc.SetTitle(QStringLiteral("largest.vzt"));
    MakeLargestPlan(doc);
    QStringList points;
    CExecList steps;
    for (int point = 1; point <= std::max(pointCount, 1); ++point) {
        if (pointCount > 0)
            points << QStringLiteral("USBコネクタ %1").arg(point);
        for (const auto& step : doc.GetExecList()) {
            steps.push_back(std::make_unique<CExecData>(*step));
            CExecData& s = *steps.back();
            const qint64 k = qint64(steps.size());
            s.m_lTestPointNo = pointCount > 0 ? point : 0;
            s.m_nJudge = JUDGE_A + int(k % 4);
            if (k % 7 == 0)
                s.m_strComment = QStringLiteral("放電後に表示が一瞬消えた (%1)").arg(k);
        }
    }
    CTestProperty property;
    property.LoadIni();
    property.m_strCompanyName = QStringLiteral("株式会社 試験所");
    property.m_tmTest = 1796704205;
    std::printf("plan: %zu conditions, %zu steps, %lld test points\n", doc.GetSettingList().size(),
                steps.size(), static_cast<long long>(points.size()));
    std::printf("peak RSS before the report      %7.1f MB (document and program)\n",
                PeakMegabytes());
    std::fflush(stdout);

    QElapsedTimer t;
    t.start();
    const CTestReport::Outcome outcome = CPdfReport::Create(doc.GetSettingList(), steps, points,
                                                            property, doc.GetTitle(), dir.path());
    const double ms = t.nsecsElapsed() / 1e6;
    if (outcome.m_nResult != CTestReport::REPORT_MADE) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.m_strMessage));
        return 1;
    }
    // the pages as poppler counts them
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {outcome.m_strPath});
    info.waitForFinished(-1);
    const QRegularExpressionMatch found =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
            .match(QString::fromUtf8(info.readAllStandardOutput()));
    const qint64 pages = found.hasMatch() ? found.captured(1).toLongLong() : 0;
    std::printf("pdf: report                     %9.1f ms   peak RSS %7.1f MB   %lld bytes\n", ms,
                PeakMegabytes(), static_cast<long long>(QFileInfo(outcome.m_strPath).size()));
    std::printf("     %lld pages (pdfinfo), %.1f steps a page\n", static_cast<long long>(pages),
                pages > 0 ? double(steps.size()) / double(pages) : 0.0);
    std::printf("     targets: < 20000 ms, < 500 MB, 50 to 80 steps a page\n");
    if (!dir.autoRemove())
        std::printf("kept: %s\n", qPrintable(outcome.m_strPath));
    return 0;
}
