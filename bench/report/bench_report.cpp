// The report of the largest plan: 22 conditions sweeping 0.20..30.50 kV by 0.01 kV in both
// polarities, 133,364 judged steps, about 1.3 million cells. Prints the time and peak
// memory of the whole report (layout and file), then writes the same cells with Python's
// xlsxwriter in the same run and prints the ratio of the two times.
#include "data/CVzrT8100Doc.h"
#include "report/CMsExcelControl.h"
#include "report/CTestReport.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

// Peak resident memory (VmHWM) in MB; ResetPeak() starts it again from the present size.
double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}
double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}
double CpuMilliseconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void FillLargestPlan(CVzrT8100Doc& doc) {
    auto& plan = doc.GetSettingList();
    plan.clear();
    for (int i = 0; i < CVzrT8100Doc::kMaxSettings; ++i) {
        auto s = std::make_unique<CSettingData>();
        s->m_nDiscMode = i % 2 ? DISC_AIR : DISC_CONTACT;
        s->m_nIecLevel = i % 5;
        s->m_nTrig = i % 3;
        s->m_value.m_nValueType = VALUE_SWEEP;
        s->m_value.m_lStart = 200;
        s->m_value.m_lEnd = 30500;
        s->m_value.m_lStep = 10;
        s->m_ulPola = POLA_BIT_BOTH;
        s->m_bSweep = true;
        s->SetTestNo(i);
        s->MakeExecList(s->m_edlList);
        plan.push_back(std::move(s));
    }
    doc.RebuildExecList();
    qint64 k = 0;
    for (auto& step : doc.GetExecList()) {
        step->m_nJudge = JUDGE_A + int(k % 4);
        if (k % 7 == 0)
            step->m_strComment = QStringLiteral("放電後に表示が一瞬消えた (%1)").arg(k);
        ++k;
    }
}

void FillSettings(CTestProperty& p) {
    p.LoadIni();
    p.m_strCompanyName = QStringLiteral("株式会社 試験所");
    p.m_strSerial = QStringLiteral("0012");
    p.m_strTemperature = QStringLiteral("25");
    p.m_tmTest = 1796704205;
}

std::string Escape(const QString& text) {
    std::string out;
    for (char c : text.toStdString()) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

// The cells of a written workbook (held in row order), for the other writer.
bool WriteCellList(const CMsExcelControl& excel, const QString& path) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    for (int s = 0; s < excel.SheetCount(); ++s) {
        out << excel.SheetName(s).toStdString() << '\n';
        int lastRow = -1, lastColumn = -1;
        std::string pending;
        excel.VisitCells(s, [&](int row, int column, const CMsExcelControl::Cell& cell) {
            // a cell written twice keeps its last value
            if (row != lastRow || column != lastColumn)
                out << pending;
            const char kind = cell.kind == CMsExcelControl::CELL_NUMBER ? 'n'
                              : cell.text.isEmpty()                     ? 'b'
                                                                        : 't';
            pending = std::to_string(row) + '\t' + std::to_string(column) + '\t' + kind + '\t' +
                      Escape(cell.text) + '\n';
            lastRow = row;
            lastColumn = column;
        });
        out << pending << "\f\n";
    }
    return bool(out);
}

QString FindPython() {
    // Debian's python3-xlsxwriter belongs to the system interpreter
    for (const QString& candidate :
         {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import xlsxwriter")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return candidate;
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // --keep leaves the workbooks and the cell list for a look afterwards
    QTemporaryDir dir;
    dir.setAutoRemove(!app.arguments().contains(QStringLiteral("--keep")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    CVzrT8100Doc doc;
    doc.SetTitle(QStringLiteral("largest.vzt"));
    FillLargestPlan(doc);
    CTestProperty property;
    FillSettings(property);
    const qint64 steps = qint64(doc.GetExecList().size());
    const qint64 cells = 43 + 10 + 8 * qint64(doc.GetSettingList().size()) + 10 * steps;
    std::printf("plan: %zu conditions, %lld steps, %lld cells\n", doc.GetSettingList().size(),
                static_cast<long long>(steps), static_cast<long long>(cells));
    const double before = ResidentMegabytes();
    std::printf("resident before the report      %7.1f MB (document and program)\n", before);

    ResetPeak();
    QElapsedTimer t;
    const double cpuBefore = CpuMilliseconds();
    t.start();
    const CTestReport::Outcome outcome =
        CTestReport::Create(doc.GetSettingList(), doc.GetExecList(), doc.TestPoints(), property,
                            doc.GetTitle(), dir.path());
    const double oursMs = t.nsecsElapsed() / 1e6;
    const double oursCpuMs = CpuMilliseconds() - cpuBefore;
    const double peak = PeakMegabytes();
    if (outcome.m_nResult != CTestReport::REPORT_MADE) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.m_strMessage));
        return 1;
    }
    std::printf("ours: report                    %9.1f ms (cpu %.1f ms)   peak RSS %7.1f MB (+%.1f "
                "MB)   %lld bytes\n",
                oursMs, oursCpuMs, peak, peak - before,
                static_cast<long long>(QFileInfo(outcome.m_strPath).size()));
    std::printf("      targets: < 5000 ms, < 400 MB\n");
    std::fflush(stdout);

    if (!dir.autoRemove())
        std::printf("kept in %s\n", qPrintable(dir.path()));
    if (app.arguments().contains(QStringLiteral("--no-python")))
        return 0;
    const QString python = FindPython();
    if (python.isEmpty()) {
        std::printf("python xlsxwriter: skipped, no python3 with the xlsxwriter module "
                    "(scripts/bootstrap installs python3-xlsxwriter)\n");
        return 0;
    }
    // the same report in its two halves: the layout into memory, then the file
    CMsExcelControl excel;
    excel.SetTitle(doc.GetTitle());
    excel.SetOutputPath(dir.path());
    t.restart();
    double cpu = CpuMilliseconds();
    if (!excel.StartWorkbook())
        return 1;
    CTestReport::Write(excel, doc.GetSettingList(), doc.GetExecList(), doc.TestPoints(), property);
    const double layoutMs = t.nsecsElapsed() / 1e6;
    const double layoutCpuMs = CpuMilliseconds() - cpu;
    t.restart();
    cpu = CpuMilliseconds();
    excel.WriteWorkbook();
    const double fileMs = t.nsecsElapsed() / 1e6;
    const double fileCpuMs = CpuMilliseconds() - cpu;
    std::printf("      again in two halves: layout in memory %.1f ms (cpu %.1f ms), "
                "file %.1f ms (cpu %.1f ms)\n",
                layoutMs, layoutCpuMs, fileMs, fileCpuMs);

    const QString cellList = dir.filePath(QStringLiteral("cells.tsv"));
    if (!WriteCellList(excel, cellList)) {
        std::fprintf(stderr, "cannot write the cell list\n");
        return 1;
    }
    QProcess p;
    p.start(python, {QStringLiteral(VZR_BENCH_XLSXWRITER_SCRIPT), cellList,
                     dir.filePath(QStringLiteral("python.xlsx"))});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "python xlsxwriter failed: %s\n",
                     p.readAllStandardError().constData());
        return 1;
    }
    const QStringList figures =
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char(' '));
    const double pythonMs = figures.value(0).toDouble() * 1000;
    const double pythonCpuMs = figures.value(1).toDouble() * 1000;
    const double pythonPeak = figures.value(2).toDouble();
    std::printf(
        "python xlsxwriter: same cells   %9.1f ms (cpu %.1f ms)   peak RSS %7.1f MB   %lld bytes\n",
        pythonMs, pythonCpuMs, pythonPeak,
        static_cast<long long>(QFileInfo(dir.filePath(QStringLiteral("python.xlsx"))).size()));
    std::printf("ratio: our whole report (records to file) is %.1f times faster in wall time, "
                "%.1f in cpu time (must be at least 5)\n",
                pythonMs / oursMs, pythonCpuMs / oursCpuMs);
    std::printf(
        "       our file alone (the same cells to a file) is %.1f times faster in wall time, "
        "%.1f in cpu time\n",
        pythonMs / fileMs, pythonCpuMs / fileCpuMs);
    return 0;
}
