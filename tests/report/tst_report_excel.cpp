// The workbook writer: cell names, typed-in values, sheets, the file and its failures.
#include "common/DiskFull.h"
#include "report/CMsExcelControl.h"
#include "settings/CTestProperty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestReportExcel : public QObject {
    Q_OBJECT

private slots:
    void cellNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("A1") << "A1" << 0 << 0;
        QTest::newRow("K10") << "K10" << 9 << 10;
        QTest::newRow("lower case") << "b2" << 1 << 1;
        QTest::newRow("absolute") << "$K$10" << 9 << 10;
        QTest::newRow("AA1") << "AA1" << 0 << 26;
        QTest::newRow("last cell") << "XFD1048576" << 1048575 << 16383;
        // refused: -1
        for (const char* bad : {"", "A", "1", "A0", "A01", "XFE1", "A1048577", "AAAA1", "B 2",
                                " B2", "B2:C3", "$$A1", "A$", "A-1", "2B", "A99999999999"})
            QTest::newRow(qPrintable(QStringLiteral("bad '%1'").arg(bad))) << bad << -1 << -1;
        QTest::newRow("bad full-width") << QStringLiteral("Ｂ２") << -1 << -1;
    }
    void cellNames() {
        QFETCH(QString, name);
        QFETCH(int, row);
        QFETCH(int, column);
        int r = -7, c = -7;
        const bool ok = CMsExcelControl::ParseCellName(name, r, c);
        QCOMPARE(ok, row >= 0);
        if (ok) {
            QCOMPARE(r, row);
            QCOMPARE(c, column);
        }
    }

    void typedValues_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("stored");
        const int T = CMsExcelControl::CELL_TEXT, N = CMsExcelControl::CELL_NUMBER;
        // an apostrophe keeps the rest as it is
        QTest::newRow("'0012") << "'0012" << T << "0012";
        QTest::newRow("'25") << "'25" << T << "25";
        QTest::newRow("'2026/12/08") << "'2026/12/08" << T << "2026/12/08";
        QTest::newRow("apostrophe alone") << "'" << T << "";
        QTest::newRow("two apostrophes") << "''x" << T << "'x";
        QTest::newRow("'=1+1") << "'=1+1" << T << "=1+1";
        // without one, a number reads as a number...
        QTest::newRow("25") << "25" << N << "25";
        QTest::newRow("0012") << "0012" << N << "12";
        QTest::newRow("blanks around") << " 25.5 " << N << "25.5";
        QTest::newRow("sign and exponent") << "-1.5e3" << N << "-1500";
        QTest::newRow(".5") << ".5" << N << "0.5";
        QTest::newRow("5.") << "5." << N << "5";
        QTest::newRow("+7") << "+7" << N << "7";
        // ...and everything else is text
        QTest::newRow("label") << QStringLiteral("放電モード") << T << QStringLiteral("放電モード");
        QTest::newRow("date") << "2026/12/08" << T << "2026/12/08";
        QTest::newRow("kV") << "0.20 kV" << T << "0.20 kV";
        QTest::newRow("past the double range") << "1e999" << T << "1e999";
        QTest::newRow("thousands") << "1,000" << T << "1,000";
        QTest::newRow("hex") << "0x10" << T << "0x10";
        QTest::newRow("sign alone") << "-" << T << "-";
        QTest::newRow("two signs") << "--5" << T << "--5";
        QTest::newRow("open exponent") << "1e" << T << "1e";
        QTest::newRow("dot alone") << "." << T << ".";
        QTest::newRow("inf") << "inf" << T << "inf";
        QTest::newRow("formula") << "=1+1" << T << "=1+1";
        QTest::newRow("empty") << "" << T << "";
    }
    void typedValues() {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, stored);
        CMsExcelControl excel;
        QVERIFY(excel.StartWorkbook());
        excel.SetCellText(u"C3", text);
        const CMsExcelControl::Cell cell = excel.GetCell(0, u"C3");
        QCOMPARE(int(cell.kind), kind);
        QCOMPARE(cell.text, stored);
    }

    void nothingBeforeAStartedWorkbook() {
        CMsExcelControl excel;
        excel.SelectSheet(1);
        excel.SetSheetName(QStringLiteral("x"));
        excel.SetCellText(u"A1", u"text");
        excel.SetCellText(u"not a cell", u"text"); // not even checked
        QCOMPARE(excel.SheetCount(), 0);
        QVERIFY(!excel.IsReady());
        QVERIFY_THROWS_EXCEPTION(CExcelError, excel.WriteWorkbook());

        // a start that fails leaves it empty the same way
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CMsExcelControl failed;
        failed.SetOutputPath(dir.filePath("file/report.xlsx"));
        QVERIFY(!failed.StartWorkbook());
        failed.SetCellText(u"A1", u"text");
        QCOMPARE(failed.SheetCount(), 0);
        QCOMPARE(FilesIn(dir.path()), QStringList{"file"});
    }

    void selectSheetClamps() {
        CMsExcelControl one;
        one.SetSheetsInNewWorkbook(1);
        QVERIFY(one.StartWorkbook());
        QCOMPARE(one.SheetCount(), 1);
        one.SelectSheet(2);
        QCOMPARE(one.CurrentSheet(), 0);
        one.SelectSheet(-5);
        QCOMPARE(one.CurrentSheet(), 0);

        CMsExcelControl three;
        QVERIFY(three.StartWorkbook());
        QCOMPARE(three.SheetCount(), 3);
        QCOMPARE(three.SheetName(0), QStringLiteral("Sheet1"));
        QCOMPARE(three.SheetName(2), QStringLiteral("Sheet3"));
        three.SelectSheet(7);
        QCOMPARE(three.CurrentSheet(), 2);
        three.SelectSheet(INT_MAX);
        QCOMPARE(three.CurrentSheet(), 2);
        three.SelectSheet(INT_MIN);
        QCOMPARE(three.CurrentSheet(), 0);
        three.SelectSheet(1);
        three.SetCellText(u"B2", u"on two");
        QCOMPARE(three.GetCell(1, u"B2").text, QStringLiteral("on two"));
        QCOMPARE(three.GetCell(0, u"B2").kind, CMsExcelControl::CELL_NONE);
    }

    void failuresSayWhatAndWhere() {
        CMsExcelControl excel;
        QVERIFY(excel.StartWorkbook());
        excel.SelectSheet(1);
        excel.SetSheetName(QStringLiteral("試験内容"));
        try {
            excel.SetCellText(u"K0", u"x");
            QFAIL("a malformed cell name was taken");
        } catch (const CExcelError& e) {
            QCOMPARE(e.Operation(), QStringLiteral("SetCellText"));
            QVERIFY2(e.Where().contains(QStringLiteral("試験内容")), qPrintable(e.Text()));
            QVERIFY2(e.Reason().contains(QStringLiteral("K0")), qPrintable(e.Text()));
            QVERIFY(QString::fromUtf8(e.what()).contains(QStringLiteral("K0")));
        }
        // a text longer than a cell takes names the cell; the workbook goes on
        try {
            excel.SetCellText(u"k11",
                              QString(CMsExcelControl::kMaxCellChars + 1, QLatin1Char('x')));
            QFAIL("an overlong text was taken");
        } catch (const CExcelError& e) {
            QVERIFY2(e.Where().contains(QStringLiteral("K11")), qPrintable(e.Text()));
        }
        excel.SetCellText(u"K11", QString(CMsExcelControl::kMaxCellChars, QLatin1Char('x')));
        excel.SetCellText(u"K12", QLatin1Char('\'') +
                                      QString(CMsExcelControl::kMaxCellChars, QLatin1Char('y')));
        QCOMPARE(excel.GetCell(1, u"K11").text.size(), CMsExcelControl::kMaxCellChars);
        QCOMPARE(excel.GetCell(1, u"K12").text.size(), CMsExcelControl::kMaxCellChars);
        QCOMPARE(excel.CellWrites(1), 2);
    }

    void sheetNames() {
        CMsExcelControl excel;
        QVERIFY(excel.StartWorkbook());
        for (const QString& bad :
             {QString(), QStringLiteral("a[1]"), QStringLiteral("a:b"), QStringLiteral("a*"),
              QStringLiteral("a?"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
              QStringLiteral("'quoted"), QStringLiteral("quoted'"), QString(32, QLatin1Char('n')),
              QStringLiteral("sheet2")}) {
            QVERIFY_THROWS_EXCEPTION(CExcelError, excel.SetSheetName(bad));
            QCOMPARE(excel.SheetName(0), QStringLiteral("Sheet1"));
        }
        excel.SetSheetName(QString(31, QLatin1Char('n')));
        excel.SetSheetName(QStringLiteral("sheet1")); // its own name in other case
        excel.SelectSheet(2);
        excel.SetSheetName(QStringLiteral(" "));
        QCOMPARE(excel.SheetName(2), QStringLiteral(" "));
    }

    void lastWriteWins() {
        CMsExcelControl excel;
        QVERIFY(excel.StartWorkbook());
        excel.SetCellText(u"B2", u"first");
        excel.SetCellText(u"C2", u"other");
        excel.SetCellText(u"b2", u"'second");
        QCOMPARE(excel.GetCell(0, u"B2").text, QStringLiteral("second"));
        QCOMPARE(excel.CellWrites(0), 3);
    }

    void reportFileNames() {
        const QDateTime when(QDate(2026, 12, 8), QTime(14, 30, 5));
        QCOMPARE(CMsExcelControl::ReportFileName(QStringLiteral("Test1"), when),
                 QStringLiteral("Test1_20261208-143005.xlsx"));
        QCOMPARE(CMsExcelControl::ReportFileName(QStringLiteral("plan.vzt"), when, 2),
                 QStringLiteral("plan_20261208-143005-2.xlsx"));
        QCOMPARE(CMsExcelControl::ReportFileName(QStringLiteral("a/b:c*\"d\".vzt"), when),
                 QStringLiteral("a_b_c__d__20261208-143005.xlsx"));
        QCOMPARE(CMsExcelControl::ReportFileName(QStringLiteral("..hidden"), when),
                 QStringLiteral("hidden_20261208-143005.xlsx"));
        QCOMPARE(CMsExcelControl::ReportFileName(QStringLiteral(" "), when),
                 QStringLiteral("VZR-T8100_20261208-143005.xlsx"));
        QCOMPARE(CMsExcelControl::ReportFileName(QStringLiteral("試験.VZT"), when),
                 QStringLiteral("試験_20261208-143005.xlsx"));
        const QString longName = CMsExcelControl::ReportFileName(QString(300, QChar(0x8a66)), when);
        QVERIFY(longName.toUtf8().size() < 255);
    }

    void writesIntoTheReportsFolder() {
        const QString folder = CTestProperty::ReportsFolder();
        QCOMPARE(folder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                             QStringLiteral("/VZR-T8100"));
        QDir(folder).removeRecursively(); // made when missing

        CMsExcelControl excel;
        excel.SetTitle(QStringLiteral("Test1"));
        QVERIFY(excel.StartWorkbook());
        excel.SetCellText(u"A1", u"x");
        excel.WriteWorkbook();
        const QFileInfo written(excel.GetFilePath());
        QCOMPARE(written.absolutePath(), folder);
        QVERIFY2(QRegularExpression(QStringLiteral("^Test1_\\d{8}-\\d{6}\\.xlsx$"))
                     .match(written.fileName())
                     .hasMatch(),
                 qPrintable(written.fileName()));
        QVERIFY(written.size() > 0);
        QCOMPARE(FilesIn(folder), QStringList{written.fileName()}); // no temporary left
        // the cells stay readable after the file is written
        QCOMPARE(excel.GetCell(0, u"A1").text, QStringLiteral("x"));

        // a report is made as any new file of the user: the umask decides who may read it
        for (const auto& [mask, mode] : {std::pair{022, 0644}, {077, 0600}}) {
            const mode_t saved = ::umask(mode_t(mask));
            excel.SetOutputPath(folder + QStringLiteral("/explicit.xlsx"));
            QVERIFY(excel.StartWorkbook());
            excel.WriteWorkbook();
            ::umask(saved);
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(excel.GetFilePath()).constData(), &st), 0);
            QCOMPARE(st.st_mode & 0777, mode_t(mode));
        }
    }

    void neverOverwritesAReport() {
        QTemporaryDir dir;
        // every name the next seconds could take is already a report
        const QDateTime now = QDateTime::currentDateTime();
        QStringList taken;
        for (int s = 0; s < 30; ++s) {
            const QString name =
                CMsExcelControl::ReportFileName(QStringLiteral("Test1"), now.addSecs(s));
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old report");
            taken << name;
        }
        QStringList made;
        for (int i = 0; i < 3; ++i) {
            CMsExcelControl excel;
            excel.SetTitle(QStringLiteral("Test1"));
            excel.SetOutputPath(dir.path());
            QVERIFY(excel.StartWorkbook());
            excel.WriteWorkbook();
            const QString name = QFileInfo(excel.GetFilePath()).fileName();
            QVERIFY2(!taken.contains(name) && !made.contains(name), qPrintable(name));
            // a clash gets the next free suffix of its own second's name; the clock may
            // move on to the next second between two reports
            const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
            const QString base = name.left(dash) + QStringLiteral(".xlsx");
            QVERIFY2(taken.contains(base), qPrintable(name));
            const qsizetype earlier =
                std::count_if(made.cbegin(), made.cend(), [&](const QString& m) {
                    return m.startsWith(name.left(dash) + QLatin1Char('-'));
                });
            QCOMPARE(name.mid(dash), QStringLiteral("-%1.xlsx").arg(earlier + 2));
            made << name;
        }
        for (const QString& name : taken) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("old report"));
        }
        QCOMPARE(FilesIn(dir.path()).size(), taken.size() + made.size());
    }

    void explicitFileIsReplacedWhole() {
        QTemporaryDir dir;
        const QString path = dir.filePath("report.xlsx");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        CMsExcelControl excel;
        excel.SetOutputPath(path);
        QVERIFY(excel.StartWorkbook());
        excel.SetCellText(u"A1", u"x");
        excel.WriteWorkbook();
        QCOMPARE(excel.GetFilePath(), path);
        QVERIFY(QFileInfo(path).size() > 100);
        QCOMPARE(FilesIn(dir.path()), QStringList{"report.xlsx"});
    }

    void noWorkbookWithoutAFolder_data() {
        QTest::addColumn<QString>("setup");
        QTest::newRow("reports folder is a file") << "reports";
        QTest::newRow("explicit folder missing") << "missing";
        QTest::newRow("explicit folder is a file") << "file";
        QTest::newRow("explicit folder read-only") << "readonly";
    }
    void noWorkbookWithoutAFolder() {
        QFETCH(QString, setup);
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CMsExcelControl excel;
        QString folder;
        if (setup == QLatin1String("reports")) {
            folder = CTestProperty::ReportsFolder();
            QDir(folder).removeRecursively();
            QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
            QFile f(folder);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else {
            folder = dir.filePath(setup);
            excel.SetOutputPath(folder + QStringLiteral("/report.xlsx"));
        }
        if (setup == QLatin1String("readonly")) {
            if (::geteuid() == 0)
                QSKIP("root writes into a read-only folder: run as nobody (_nobody)");
            QVERIFY(QDir().mkdir(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        QVERIFY(!excel.StartWorkbook());
        QCOMPARE(excel.GetStartFailure(), CMsExcelControl::START_NO_FOLDER);
        QCOMPARE(excel.GetStartFolder(), QDir::toNativeSeparators(folder));
        const QString error = excel.GetStartError();
        QVERIFY2(error.contains(QDir::toNativeSeparators(folder)), qPrintable(error));
        QVERIFY2(!excel.GetStartReason().isEmpty() && error.contains(excel.GetStartReason()),
                 qPrintable(error));
        QVERIFY2(!error.contains(QLatin1Char('\n')), qPrintable(error));
        if (setup == QLatin1String("reports"))
            QFile::remove(folder);
        QCOMPARE(FilesIn(dir.path()), QStringList{"file"});
    }

    void failedWriteLeavesNothing() {
        QTemporaryDir dir;
        CMsExcelControl excel;
        excel.SetTitle(QStringLiteral("Test1"));
        excel.SetOutputPath(dir.path());
        QVERIFY(excel.StartWorkbook());
        excel.SelectSheet(1);
        for (int row = 1; row <= 2000; ++row)
            excel.SetCellText(QStringLiteral("K%1").arg(row),
                              QStringLiteral("'comment %1").arg(row));
        bool thrown = false;
        WithDiskFull(4096, [&] {
            try {
                excel.WriteWorkbook();
            } catch (const CExcelError& e) {
                thrown = true;
                QCOMPARE(e.Operation(), QStringLiteral("WriteWorkbook"));
                QVERIFY(!e.Reason().isEmpty());
            }
        });
        QVERIFY(thrown);
        QVERIFY(excel.GetFilePath().isEmpty());
        QCOMPARE(FilesIn(dir.path()), QStringList());
        // with room again the same workbook is written
        excel.WriteWorkbook();
        QCOMPARE(FilesIn(dir.path()), QStringList{QFileInfo(excel.GetFilePath()).fileName()});
    }

    void folderGoneBeforeTheFile() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("reports");
        QVERIFY(QDir().mkpath(folder));
        CMsExcelControl excel;
        excel.SetOutputPath(folder);
        QVERIFY(excel.StartWorkbook());
        excel.SetCellText(u"A1", u"x");
        // the folder is taken away while the report is being written
        QVERIFY(QDir(folder).removeRecursively());
        QFile f(folder);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        try {
            excel.WriteWorkbook();
            QFAIL("written into a folder that is not there");
        } catch (const CExcelError& e) {
            QVERIFY2(e.Where().contains(QDir::toNativeSeparators(folder)), qPrintable(e.Text()));
        }
        QCOMPARE(FilesIn(dir.path()), QStringList{"reports"});
    }
};

QTEST_GUILESS_MAIN(TestReportExcel)
#include "tst_report_excel.moc"
