// The report's layout, checked cell by cell on the workbook in memory, and the whole
// report with its outcomes.
#include "ReportTestUtil.h"
#include "common/DiskFull.h"
#include "report/CTestReport.h"
#include "settings/CTestProperty.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using Kind = CMsExcelControl::CellKind;

namespace {

CTestProperty Settings() {
    CTestProperty p;
    p.m_strCompanyName = QStringLiteral("株式会社 試験所");
    p.m_strTestPlace = QStringLiteral("第2試験室");
    p.m_strEquipmentModel = QStringLiteral("VZR-T8100");
    p.m_strEquipmentSerialNo = QStringLiteral("0012");
    p.m_strGunModel = QStringLiteral("HV-52P");
    p.m_strGunSerialNo = QStringLiteral("1e3");
    p.m_strCupModel = QStringLiteral("14-20385C");
    p.m_strCupSerialNo = QStringLiteral("-5");
    p.m_strCrUnitModel = QStringLiteral("17-20388C");
    p.m_strCrUnitSerialNo = QString();
    p.m_strModel = QStringLiteral("2026/12/08");
    p.m_strSerial = QStringLiteral("000123");
    p.m_strOperator = QStringLiteral("=SUM(A1)");
    p.m_strStandard = QStringLiteral("IEC61000-4-2");
    p.m_strTemperature = QStringLiteral("25");
    p.m_strHumidity = QStringLiteral("50.0 %");
    p.m_tmTest = 0;
    return p;
}

} // namespace

class TestReportLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<CMsExcelControl> m_excel;
    CVzrT8100Doc m_doc;

    // Writes the report of the document into a new workbook held in memory.
    void Report(const CTestProperty& property) {
        m_excel = std::make_unique<CMsExcelControl>();
        QVERIFY(m_excel->StartWorkbook());
        CTestReport::Write(*m_excel, m_doc.GetSettingList(), m_doc.GetExecList(),
                           m_doc.TestPoints(), property);
    }
    QString Text(int sheet, const char* cell) const {
        const CMsExcelControl::Cell c = m_excel->GetCell(sheet, QString::fromLatin1(cell));
        return c.kind == CMsExcelControl::CELL_TEXT ? c.text
                                                    : QStringLiteral("<%1>").arg(int(c.kind));
    }
    bool Written(int sheet, const QString& cell) const {
        return m_excel->GetCell(sheet, cell).kind != CMsExcelControl::CELL_NONE;
    }

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    void init() {
        m_doc.SetTestPoints({});
        ReportTest::FillThreeConditions(m_doc);
        auto& steps = m_doc.GetExecList();
        QCOMPARE(steps.size(), size_t(8));
        steps[1]->m_nJudge = JUDGE_B;
        steps[1]->m_strComment = QStringLiteral("表示が消えた");
    }

    void conditionsSheet() {
        Report(Settings());
        QCOMPARE(m_excel->SheetName(0), QStringLiteral("試験条件"));
        const char* const expected[][2] = {
            {"B2", "企業名"},
            {"C2", "株式会社 試験所"},
            {"B3", "試験場所"},
            {"C3", "第2試験室"},
            {"B5", "試験器 モデル名"},
            {"C5", "VZR-T8100"},
            {"B6", "試験器 シリアルNo."},
            {"C6", "0012"},
            {"B7", "放電ガン モデル名"},
            {"C7", "HV-52P"},
            {"B8", "放電ガン シリアルNo."},
            {"C8", "1e3"},
            {"B9", "放電カップ モデル名"},
            {"C9", "14-20385C"},
            {"B10", "放電カップ シリアルNo."},
            {"C10", "-5"},
            {"B11", "CRユニット モデル名"},
            {"C11", "17-20388C"},
            {"B12", "CRユニット シリアルNo."},
            {"C12", ""},
            {"B14", "品名/型名"},
            {"C14", "2026/12/08"},
            {"B15", "シリアル番号"},
            {"C15", "000123"},
            {"B16", "試験者名"},
            {"C16", "=SUM(A1)"},
            {"B17", "規格名"},
            {"C17", "IEC61000-4-2"},
            {"G14", "試験日"},
            {"H14", "----"},
            {"G15", "試験時刻"},
            {"H15", "----"},
            {"G16", "温度"},
            {"H16", "25"},
            {"G17", "湿度"},
            {"H17", "50.0 %"},
            {"B22", "放電モード"},
            {"C22", "IEC LEVEL"},
            {"D22", "トリガ"},
            {"E22", "極性"},
            {"F22", "電圧[kV]"},
            {"G22", "放電間隔[s]"},
            {"H22", "放電回数[回]"},
            {"A23", "Test No.   1"},
            {"B23", "CONTACT"},
            {"C23", "IEC LEVEL 2"},
            {"D23", "VZR"},
            {"E23", "+/-"},
            {"F23", "開始：2.00, 刻み：1.00, 終了：4.00"},
            {"G23", "1.50"},
            {"H23", "20"},
            {"A24", "Test No.   2"},
            {"B24", "AIR"},
            {"C24", "IEC LEVEL 4"},
            {"D24", "GUN"},
            {"E24", "-"},
            {"F24", "15.00"},
            {"G24", "------"},
            {"H24", "10"},
            {"A25", "Test No.   3"},
            {"B25", "CONTACT"},
            {"C25", "------"},
            {"D25", ""},
            {"E25", "+"},
            {"F25", "30.50"},
            {"G25", "1.00"},
            {"H25", "10"},
        };
        for (const auto& [cell, text] : expected)
            QCOMPARE(Text(0, cell), QString::fromUtf8(text));
        // nothing else: every cell above and no other is written, each once
        QCOMPARE(m_excel->CellWrites(0), qint64(std::size(expected)));
        QCOMPARE(m_excel->CellWrites(0), 43 + 8 * 3);
        for (const char* empty : {"A22", "A26", "B26", "B1", "B4", "B13", "B18", "B21", "C1"})
            QVERIFY2(!Written(0, QString::fromLatin1(empty)), empty);
    }

    void valuesStayText() {
        Report(Settings());
        // values that a spreadsheet reads as numbers, dates or formulas keep their text;
        // so do the counts, voltages and step labels
        for (int sheet = 0; sheet < 2; ++sheet) {
            m_excel->VisitCells(sheet, [&](int row, int column, const CMsExcelControl::Cell& c) {
                QVERIFY2(c.kind == CMsExcelControl::CELL_TEXT,
                         qPrintable(QStringLiteral("sheet %1 row %2 column %3: %4")
                                        .arg(sheet)
                                        .arg(row + 1)
                                        .arg(column)
                                        .arg(c.text)));
            });
        }
    }

    void testTime() {
        CTestProperty p = Settings();
        p.m_tmTest = 1796740205; // 2026-12-08 14:30:05 UTC
        Report(p);
        QCOMPARE(Text(0, "H14"), QStringLiteral("2026/12/08"));
        QCOMPARE(Text(0, "H15"), QStringLiteral("14:30:05"));
        qputenv("TZ", "JST-9");
        tzset();
        Report(p);
        qputenv("TZ", "UTC");
        tzset();
        QCOMPARE(Text(0, "H14"), QStringLiteral("2026/12/08"));
        QCOMPARE(Text(0, "H15"), QStringLiteral("23:30:05"));
    }

    void stepsSheet() {
        auto& steps = m_doc.GetExecList();
        steps[3]->m_nPola = 5; // shown as the results list corrects it
        Report(Settings());
        QCOMPARE(m_excel->SheetName(1), QStringLiteral("試験内容"));
        const char* const expected[][2] = {
            {"J2", "総合判定"},
            {"B10", "放電モード"},
            {"C10", "IEC LEVEL"},
            {"D10", "トリガ"},
            {"E10", "極性"},
            {"F10", "電圧[kV]"},
            {"G10", "放電間隔[s]"},
            {"H10", "放電回数[回]"},
            {"J10", "判定"},
            {"K10", "コメント"},
            // the sweep: +2, -2, +3, -3, +4, -4 kV
            {"A11", "Step No.   1"},
            {"B11", "CONTACT"},
            {"C11", "IEC LEVEL 2"},
            {"D11", "VZR"},
            {"E11", "+"},
            {"F11", "2.00"},
            {"G11", "1.50"},
            {"H11", "20"},
            {"J11", "------"},
            {"K11", ""},
            {"A12", "Step No.   2"},
            {"E12", "-"},
            {"F12", "2.00"},
            {"J12", "B"},
            {"K12", "表示が消えた"},
            {"A14", "Step No.   4"},
            {"E14", "-"},
            {"F14", "3.00"},
            {"A16", "Step No.   6"},
            {"E16", "-"},
            {"F16", "4.00"},
            // the AIR step: no interval
            {"A17", "Step No.   7"},
            {"B17", "AIR"},
            {"C17", "IEC LEVEL 4"},
            {"D17", "GUN"},
            {"E17", "-"},
            {"F17", "15.00"},
            {"G17", "------"},
            {"H17", "10"},
            {"J17", "------"},
            // outlying level and trigger
            {"A18", "Step No.   8"},
            {"B18", "CONTACT"},
            {"C18", "------"},
            {"D18", ""},
            {"F18", "30.50"},
            {"G18", "1.00"},
        };
        for (const auto& [cell, text] : expected)
            QCOMPARE(Text(1, cell), QString::fromUtf8(text));
        QCOMPARE(m_excel->CellWrites(1), 10 + 10 * 8);
        for (const char* empty : {"A10", "I10", "I11", "A19", "K2", "J1", "J9", "A1", "B9"})
            QVERIFY2(!Written(1, QString::fromLatin1(empty)), empty);
        // the third sheet is only named
        QCOMPARE(m_excel->SheetName(2), QStringLiteral(" "));
        QCOMPARE(m_excel->CellWrites(2), 0);
    }

    // Column I names each step's point (none where a step's number names no point); the
    // points follow the plan on "試験条件", a row apart.
    void testPoints() {
        m_doc.SetTestPoints({"USB", "=1+1"});
        m_doc.GetExecList()[9]->m_lTestPointNo = 7;
        Report(Settings());
        const char* const conditions[][2] = {
            {"A27", "テストポイント"}, {"A28", "1"}, {"B28", "USB"}, {"A29", "2"}, {"B29", "=1+1"}};
        for (const auto& [cell, text] : conditions)
            QCOMPARE(Text(0, cell), QString::fromUtf8(text));
        QCOMPARE(m_excel->CellWrites(0), 43 + 8 * 3 + 1 + 2 * 2);
        QVERIFY(!Written(0, "A26"));
        const char* const steps[][2] = {
            {"I10", "テストポイント"}, {"I11", "USB"},          {"I18", "USB"},
            {"I19", "=1+1"},           {"A26", "Step No.  16"}, {"I26", "=1+1"}};
        for (const auto& [cell, text] : steps)
            QCOMPARE(Text(1, cell), QString::fromUtf8(text));
        QVERIFY(!Written(1, "I20"));
        QCOMPARE(m_excel->CellWrites(1), 10 + 1 + 10 * 16 + 15);
    }

    void emptyPlan() {
        m_doc.GetSettingList().clear();
        m_doc.RebuildExecList();
        Report(Settings());
        QCOMPARE(m_excel->CellWrites(0), 43);
        QCOMPARE(m_excel->CellWrites(1), 10);
    }

    void rowLabels() {
        QCOMPARE(CTestReport::RowLabel("Test No.", 1), QStringLiteral("Test No.   1"));
        QCOMPARE(CTestReport::RowLabel("Step No.", 1234), QStringLiteral("Step No.1234"));
        QCOMPARE(CTestReport::RowLabel("Step No.", 133364), QStringLiteral("Step No.133364"));
    }

    void createWritesTheWorkbook() {
        QTemporaryDir dir;
        const CTestReport::Outcome made =
            CTestReport::Create(m_doc.GetSettingList(), m_doc.GetExecList(), {}, Settings(),
                                QStringLiteral("plan.vzt"), dir.path());
        QCOMPARE(made.m_nResult, CTestReport::REPORT_MADE);
        QVERIFY2(QFileInfo(made.m_strPath).fileName().startsWith(QStringLiteral("plan_")),
                 qPrintable(made.m_strPath));
        QCOMPARE(QFileInfo(made.m_strPath).absolutePath(), dir.path());
        QVERIFY(made.m_strMessage.isEmpty());
    }

    void createWithoutAFolder() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const CTestReport::Outcome none =
            CTestReport::Create(m_doc.GetSettingList(), m_doc.GetExecList(), {}, Settings(),
                                QStringLiteral("Test1"), dir.filePath("file/report.xlsx"));
        // the folder is named with the reason; a writer is there, so Excel is not asked for
        QCOMPARE(none.m_nResult, CTestReport::REPORT_NO_FOLDER);
        const QStringList lines = none.m_strMessage.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("レポートのフォルダに書き込めません。"));
        QCOMPARE(lines[1], QDir::toNativeSeparators(dir.filePath("file")));
        QCOMPARE(lines[2], QStringLiteral("フォルダではありません"));
        QVERIFY2(none.m_strDetail.contains(lines[1]), qPrintable(none.m_strDetail));
    }

    void failureInTheMiddle() {
        // a comment longer than a cell takes stops the report at its cell
        QTemporaryDir dir;
        auto& steps = m_doc.GetExecList();
        steps[4]->m_strComment = QString(40000, QLatin1Char('c'));
        steps[4]->m_nJudge = JUDGE_C;
        CTestReport::Outcome failed = CTestReport::Create(
            m_doc.GetSettingList(), steps, {}, Settings(), QStringLiteral("Test1"), dir.path());
        QCOMPARE(failed.m_nResult, CTestReport::REPORT_FAILED);
        QVERIFY2(failed.m_strDetail.contains(QStringLiteral("K15")),
                 qPrintable(failed.m_strDetail));
        QVERIFY2(failed.m_strDetail.contains(QStringLiteral("試験内容")),
                 qPrintable(failed.m_strDetail));
        QVERIFY(failed.m_strMessage.contains(failed.m_strDetail));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        // the records are as they were
        QCOMPARE(steps[4]->m_nJudge, qint32(JUDGE_C));
        QCOMPARE(steps[1]->m_nJudge, qint32(JUDGE_B));
        QCOMPARE(steps[4]->m_strComment.size(), 40000);

        // the disk full while the file is written
        steps[4]->m_strComment.clear();
        failed = WithDiskFull(2048, [&] {
            return CTestReport::Create(m_doc.GetSettingList(), steps, {}, Settings(),
                                       QStringLiteral("Test1"), dir.path());
        });
        QCOMPARE(failed.m_nResult, CTestReport::REPORT_FAILED);
        QVERIFY2(failed.m_strDetail.startsWith(QStringLiteral("WriteWorkbook")),
                 qPrintable(failed.m_strDetail));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_report_layout.moc"
