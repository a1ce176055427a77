// The written workbook read back by an independent reader (Python's zipfile and xml), and
// opened in LibreOffice where it is installed.
#include "ReportTestUtil.h"
#include "common/Csv.h"
#include "report/CTestReport.h"
#include "settings/CTestProperty.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

class TestReportFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    static CTestProperty Settings() {
        CTestProperty p;
        p.LoadIni();
        p.m_strSerial = QStringLiteral("0012");
        p.m_strTemperature = QStringLiteral("25");
        p.m_strModel = QStringLiteral("2026/12/08");
        p.m_tmTest = 1796740205;
        return p;
    }

    // The report of the three-condition plan, written by the path the program takes.
    QString WriteReport(CMsExcelControl& excel, CVzrT8100Doc& doc) {
        ReportTest::FillThreeConditions(doc);
        doc.GetExecList()[0]->m_nJudge = JUDGE_A;
        doc.GetExecList()[0]->m_strComment = QStringLiteral("異常なし");
        excel.SetTitle(QStringLiteral("Test1"));
        excel.SetOutputPath(m_dir.path());
        if (!excel.StartWorkbook())
            return {};
        CTestReport::Write(excel, doc.GetSettingList(), doc.GetExecList(), doc.TestPoints(),
                           Settings());
        excel.WriteWorkbook();
        return excel.GetFilePath();
    }

private slots:
    void reportReadsBackCellForCell() {
        CMsExcelControl excel;
        CVzrT8100Doc doc;
        const QString path = WriteReport(excel, doc);
        QVERIFY(!path.isEmpty());
        QString error;
        const QJsonObject book = ReportTest::ReadWorkbook(path, &error);
        QVERIFY2(!book.isEmpty(), qPrintable(error));
        const QString difference = ReportTest::Difference(book, ReportTest::Expected(excel));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));

        // spelled out for the cells the report is about
        const QJsonArray sheets = book[QStringLiteral("sheets")].toArray();
        QCOMPARE(sheets.size(), 3);
        QCOMPARE(sheets[0][QStringLiteral("name")].toString(), QStringLiteral("試験条件"));
        QCOMPARE(sheets[1][QStringLiteral("name")].toString(), QStringLiteral("試験内容"));
        QCOMPARE(sheets[2][QStringLiteral("name")].toString(), QStringLiteral(" "));
        const QJsonObject conditions = sheets[0][QStringLiteral("cells")].toObject();
        const QJsonObject content = sheets[1][QStringLiteral("cells")].toObject();
        for (const char* cell : {"C15", "H16", "C14", "H23", "A23"}) {
            const QString type = conditions[QLatin1String(cell)][QStringLiteral("type")].toString();
            QVERIFY2(type == QLatin1String("s") || type == QLatin1String("inlineStr"), cell);
        }
        QCOMPARE(conditions[QStringLiteral("C15")][QStringLiteral("value")].toString(),
                 QStringLiteral("0012"));
        QCOMPARE(conditions[QStringLiteral("H16")][QStringLiteral("value")].toString(),
                 QStringLiteral("25"));
        QCOMPARE(conditions[QStringLiteral("A25")][QStringLiteral("value")].toString(),
                 QStringLiteral("Test No.   3"));
        QCOMPARE(content[QStringLiteral("J2")][QStringLiteral("value")].toString(),
                 QStringLiteral("総合判定"));
        QCOMPARE(content[QStringLiteral("K11")][QStringLiteral("value")].toString(),
                 QStringLiteral("異常なし"));
        QCOMPARE(content[QStringLiteral("G17")][QStringLiteral("value")].toString(),
                 QStringLiteral("------"));
        QCOMPARE(content[QStringLiteral("K12")][QStringLiteral("type")].toString(),
                 QStringLiteral("blank"));
        QCOMPARE(content[QStringLiteral("K12")][QStringLiteral("valign")].toString(),
                 QStringLiteral("top"));
        QCOMPARE(sheets[2][QStringLiteral("cells")].toObject().size(), 0);
    }

    void awkwardTextsSurvive() {
        CMsExcelControl excel;
        excel.SetOutputPath(m_dir.path());
        QVERIFY(excel.StartWorkbook());
        const QString texts[] = {
            QStringLiteral("'<b>&amp; \"quoted\" 'single'</b>"),
            QStringLiteral("'  blanks around  "),
            QStringLiteral("'two\nlines\tand a tab"),
            QStringLiteral("'control \x01 and \x1f"),
            QStringLiteral("'literal _x0041_ stays"),
            QStringLiteral("'emoji ") + QString::fromUcs4(U"\U0001F600"),
            QStringLiteral("'lone ") + QChar(0xD800) + QStringLiteral(" surrogate"),
            QStringLiteral("25"),
            QStringLiteral("-1.5e3"),
            QStringLiteral("'"),
        };
        int row = 1;
        for (const QString& text : texts)
            excel.SetCellText(QStringLiteral("B%1").arg(row++), text);
        excel.WriteWorkbook();
        QString error;
        const QJsonObject book = ReportTest::ReadWorkbook(excel.GetFilePath(), &error);
        QVERIFY2(!book.isEmpty(), qPrintable(error));
        const QString difference = ReportTest::Difference(book, ReportTest::Expected(excel));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        const QJsonObject cells =
            book[QStringLiteral("sheets")][0][QStringLiteral("cells")].toObject();
        QCOMPARE(cells[QStringLiteral("B8")][QStringLiteral("type")].toString(),
                 QStringLiteral("n"));
        QCOMPARE(cells[QStringLiteral("B7")][QStringLiteral("value")].toString(),
                 QStringLiteral("lone ") + QChar(QChar::ReplacementCharacter) +
                     QStringLiteral(" surrogate"));
    }

    void commandLineAndDialogShareTheLayout() {
        // the same plan through Create (the dialog's and the command line's path)
        CMsExcelControl excel;
        CVzrT8100Doc doc;
        QVERIFY(!WriteReport(excel, doc).isEmpty());
        const CTestReport::Outcome made =
            CTestReport::Create(doc.GetSettingList(), doc.GetExecList(), doc.TestPoints(),
                                Settings(), QStringLiteral("Test1"), m_dir.path());
        QCOMPARE(made.m_nResult, CTestReport::REPORT_MADE);
        const QJsonObject book = ReportTest::ReadWorkbook(made.m_strPath);
        const QString difference = ReportTest::Difference(book, ReportTest::Expected(excel));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void opensInLibreOffice() {
        QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            soffice = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed (scripts/bootstrap installs "
                  "libreoffice-calc-nogui): the workbook was not opened in it");
        CMsExcelControl excel;
        CVzrT8100Doc doc;
        const QString path = WriteReport(excel, doc);
        QVERIFY(!path.isEmpty());
        QTemporaryDir out;
        // as root too (CI): a profile of its own in a writable folder
        auto convert = [&](const QString& format) {
            const ProcessRun run =
                RunProcess(soffice, {QStringLiteral("-env:UserInstallation=") +
                                         QUrl::fromLocalFile(out.filePath("profile")).toString(),
                                     QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                     format, QStringLiteral("--outdir"), out.path(), path});
            if (run.exitCode != 0)
                qWarning() << "soffice ended with" << run.exitCode << run.err;
        };
        const QString base = out.filePath(QFileInfo(path).completeBaseName());
        convert(QStringLiteral("pdf"));
        QVERIFY(QFileInfo(base + QStringLiteral(".pdf")).size() > 0);

        // every sheet as LibreOffice shows it, cell for cell
        convert(QStringLiteral(
            "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"));
        for (int s = 0; s < 2; ++s) {
            const QString csv =
                base + QLatin1Char('-') + excel.SheetName(s) + QStringLiteral(".csv");
            QVERIFY2(QFileInfo::exists(csv), qPrintable(csv));
            const QList<QStringList> shown = ReadCsvFile(csv);
            qsizetype cells = 0;
            for (const QStringList& row : shown)
                cells += row.size() - row.count(QString());
            qsizetype expected = 0;
            excel.VisitCells(s, [&](int row, int column, const CMsExcelControl::Cell& cell) {
                const QString text = shown.value(row).value(column);
                QVERIFY2(text == cell.text,
                         qPrintable(QStringLiteral("sheet %1 row %2 column %3: '%4', expected '%5'")
                                        .arg(s + 1)
                                        .arg(row + 1)
                                        .arg(column + 1)
                                        .arg(text, cell.text)));
                expected += cell.text.isEmpty() ? 0 : 1;
            });
            QCOMPARE(cells, expected); // and nothing else
        }
    }
};

QTEST_GUILESS_MAIN(TestReportFile)
#include "tst_report_file.moc"
