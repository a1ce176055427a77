// The written reports read back by independent readers: the workbook by Python's zipfile
// and xml, and opened in LibreOffice where it is installed; the PDF by poppler.
#include "ReportTestUtil.h"
#include "common/Csv.h"
#include "common/DiskFull.h"
#include "report/CPdfReport.h"
#include "report/CTestReport.h"
#include "settings/CTestProperty.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
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

    // The three-condition plan run at two test points, judged in turn "------", A, B, C, D
    // and every third step commented.
    static CExecList RunAtTwoPoints(const CVzrT8100Doc& doc) {
        CExecList steps;
        for (qint32 point = 1; point <= 2; ++point) {
            for (const auto& step : doc.GetExecList()) {
                steps.push_back(std::make_unique<CExecData>(*step));
                CExecData& s = *steps.back();
                s.m_lTestPointNo = point;
                s.m_nJudge = qint32(steps.size() % 5);
                if (steps.size() % 3 == 0)
                    s.m_strComment = QStringLiteral("表示が一瞬消えた, display flickered");
            }
        }
        return steps;
    }

    // The settings the PDF tests report, every one told apart.
    static CTestProperty PdfSettings() {
        CTestProperty p = Settings();
        p.m_strCompanyName = QStringLiteral("株式会社 試験所");
        p.m_strTestPlace = QStringLiteral("第2電波暗室");
        p.m_strEquipmentModel = QStringLiteral("VZR-T8100");
        p.m_strEquipmentSerialNo = QStringLiteral("E-0042");
        p.m_strGunModel = QStringLiteral("HV-52P");
        p.m_strGunSerialNo = QStringLiteral("G-0107");
        p.m_strCupModel = QStringLiteral("14-20385C");
        p.m_strCupSerialNo = QStringLiteral("K-33");
        p.m_strCrUnitModel = QStringLiteral("17-20388C");
        p.m_strCrUnitSerialNo = QStringLiteral("R-9");
        p.m_strOperator = QStringLiteral("山田 太郎");
        p.m_strStandard = QStringLiteral("IEC 61000-4-2:2008");
        p.m_strHumidity = QStringLiteral("45 %");
        return p;
    }

    // A pattern of texts one after the other on a line, blanks between them.
    static QString InLine(const QStringList& texts) {
        QStringList parts;
        for (const QString& text : texts)
            parts << QRegularExpression::escape(text).replace(QStringLiteral("\\ "),
                                                              QStringLiteral("\\s+"));
        return parts.join(QStringLiteral("\\s+"));
    }

    // The colour of a page of a PDF at a point (in points), drawn by poppler.
    static QImage PdfPage(const QString& path, int page) {
        QTemporaryDir dir;
        const QString base = dir.filePath("page");
        RunProcess(QStringLiteral("pdftoppm"),
                   {"-r", "144", "-f", QString::number(page + 1), "-l", QString::number(page + 1),
                    "-singlefile", "-png", path, base});
        return QImage(base + ".png");
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

    // The PDF read back by poppler: every setting beside its label, the equipment with its
    // serial numbers, the plan, the points, the summary per point and in all, every step in
    // its row in order with its values in their places, the judgement cells shaded by
    // verdict, the title and "n / N" on every page, A4, its fonts embedded.
    void pdfReadsBack() {
        CVzrT8100Doc doc;
        ReportTest::FillThreeConditions(doc);
        const CExecList steps = RunAtTwoPoints(doc);
        const QStringList points{QStringLiteral("USBコネクタ"), QStringLiteral("電源ボタン")};
        const CTestReport::Outcome made =
            CPdfReport::Create(doc.GetSettingList(), steps, points, PdfSettings(),
                               QStringLiteral("Test1.vzt"), m_dir.path());
        QCOMPARE(made.m_nResult, CTestReport::REPORT_MADE);
        QVERIFY2(QRegularExpression(QStringLiteral("^Test1_\\d{8}-\\d{6}\\.pdf$"))
                     .match(QFileInfo(made.m_strPath).fileName())
                     .hasMatch(),
                 qPrintable(made.m_strPath));
        QString error;
        const QStringList pages = ReportTest::PdfPages(made.m_strPath, &error);
        QVERIFY2(pages.size() >= 2, qPrintable(error));
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QString& page = pages[i];
            QVERIFY2(QRegularExpression(QStringLiteral("^\\s*") +
                                        InLine({"静電気放電イミュニティ試験 報告書", "Test1"}) +
                                        QStringLiteral("\n"))
                         .match(page)
                         .hasMatch(),
                     qPrintable(page));
            QVERIFY2(QRegularExpression(
                         QStringLiteral("\\n\\s*%1\\s*/\\s*%2\\s*$").arg(i + 1).arg(pages.size()))
                         .match(page)
                         .hasMatch(),
                     qPrintable(page));
        }
        auto onALine = [](const QString& text, const QStringList& texts) {
            return QRegularExpression(QStringLiteral("(^|\\s)") + InLine(texts) +
                                          QStringLiteral("(\\s|$)"),
                                      QRegularExpression::MultilineOption)
                .match(text)
                .hasMatch();
        };
        const QString& first = pages[0];
        const QList<QStringList> settings = {
            {"企業名", "株式会社 試験所", "試験場所", "第2電波暗室"},
            {"品名/型名", "2026/12/08", "シリアル番号", "0012"},
            {"試験者名", "山田 太郎", "規格名", "IEC 61000-4-2:2008"},
            {"試験日", CTestProperty::TestDateText(Settings().m_tmTest), "試験時刻",
             CTestProperty::TestTimeText(Settings().m_tmTest)},
            {"温度", "25", "湿度", "45 %"},
            {"試験器", "VZR-T8100", "E-0042"},
            {"放電ガン", "HV-52P", "G-0107"},
            {"放電カップ", "14-20385C", "K-33"},
            {"CRユニット", "17-20388C", "R-9"},
            {"1", "USBコネクタ"},
            {"2", "電源ボタン"},
        };
        for (const QStringList& line : settings)
            QVERIFY2(onALine(first, line), qPrintable(line.join('|') + "\n" + first));
        for (size_t i = 0; i < doc.GetSettingList().size(); ++i) {
            QStringList row{QString::number(i + 1)};
            for (int column : {0, 1, 2, 3, 4, 6, 5})
                row << doc.GetSettingList()[i]->GetColumnText(column);
            QVERIFY2(onALine(first, row), qPrintable(row.join('|') + "\n" + first));
        }
        // A, B, C, D, none and all, by point and in all: steps are judged in turn
        QVERIFY2(onALine(first, {"1: USBコネクタ", "2", "2", "2", "1", "1", "8"}),
                 qPrintable(first));
        QVERIFY2(onALine(first, {"2: 電源ボタン", "2", "1", "1", "2", "2", "8"}),
                 qPrintable(first));
        QVERIFY2(onALine(first, {"合計", "4", "3", "3", "3", "3", "16"}), qPrintable(first));
        QVERIFY(first.contains(QStringLiteral("総合判定")));
        for (const char* signature : {"試験者", "承認者", "署名", "日付"})
            QVERIFY2(first.contains(QString::fromUtf8(signature)), signature);

        // the results from the second page on, in order
        const QString results = pages.mid(1).join(QLatin1Char('\n'));
        qsizetype from = 0;
        for (size_t k = 0; k < steps.size(); ++k) {
            const CExecData& step = *steps[k];
            QStringList row{QString::number(k + 1), QStringLiteral("%1: %2")
                                                        .arg(step.m_lTestPointNo)
                                                        .arg(points[step.m_lTestPointNo - 1])};
            for (int column : {0, 1, 2, 3, 4, 6, 5, 7})
                row << step.GetColumnText(column);
            if (!step.m_strComment.isEmpty())
                row << QStringLiteral("表示が一瞬消えた,");
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^\\s*") + InLine(row) +
                                       QStringLiteral("(\\s|$)"),
                                   QRegularExpression::MultilineOption)
                    .match(results, from);
            QVERIFY2(m.hasMatch(), qPrintable(row.join('|') + "\n" + results));
            from = m.capturedEnd();
        }
        QCOMPARE(results.count(QStringLiteral("display flickered")) +
                     results.count(QStringLiteral("display\n")),
                 5);

        // the judgement cells: one colour per verdict, a colour of its own; none unshaded
        const QImage image = PdfPage(made.m_strPath, 1);
        QVERIFY(!image.isNull());
        auto colour = [&](double x, double y) { return image.pixelColor(int(x * 2), int(y * 2)); };
        QMap<QString, QColor> shades;
        double judgeColumn = 0; // the middle of the judgement cells
        const QList<ReportTest::PdfWord> words = ReportTest::PdfWords(made.m_strPath);
        for (const ReportTest::PdfWord& word : words) {
            if (word.page != 1 || word.text.size() != 1 ||
                !QStringLiteral("ABCD").contains(word.text))
                continue;
            const QColor shade = colour(word.xMin - 2, (word.yMin + word.yMax) / 2);
            QVERIFY2(shade != QColor(Qt::white), qPrintable(word.text));
            QVERIFY2(shades.value(word.text, shade) == shade, qPrintable(word.text));
            shades[word.text] = shade;
            judgeColumn = (word.xMin + word.xMax) / 2;
        }
        QCOMPARE(shades.size(), 4);
        QCOMPARE(
            QSet<QRgb>({shades["A"].rgb(), shades["B"].rgb(), shades["C"].rgb(), shades["D"].rgb()})
                .size(),
            4);
        int unjudged = 0;
        for (const ReportTest::PdfWord& word : words) {
            if (word.page == 1 && word.text == QLatin1String("------") &&
                std::abs((word.xMin + word.xMax) / 2 - judgeColumn) < 2) {
                QCOMPARE(colour((word.xMin + word.xMax) / 2, word.yMin + 1), QColor(Qt::white));
                ++unjudged;
            }
        }
        QCOMPARE(unjudged, 3);

        const ProcessRun info = RunProcess(QStringLiteral("pdfinfo"), {made.m_strPath});
        QVERIFY2(info.out.contains(QStringLiteral("(A4)")), qPrintable(info.out));
        QVERIFY2(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages.size()))
                     .match(info.out)
                     .hasMatch(),
                 qPrintable(info.out));
        const ProcessRun fonts = RunProcess(QStringLiteral("pdffonts"), {made.m_strPath});
        QCOMPARE(fonts.exitCode, 0);
        const QStringList fontLines = fonts.out.split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY2(!fontLines.isEmpty() && fonts.out.contains(QStringLiteral("IPAPGothic")),
                 qPrintable(fonts.out));
        for (const QString& line : fontLines) {
            // name type encoding emb sub uni object ID
            const QRegularExpressionMatch m =
                QRegularExpression(
                    QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"))
                    .match(line);
            QVERIFY2(m.hasMatch() && m.captured(1) == QLatin1String("yes"), qPrintable(line));
        }
    }

    // Texts too long for their cells wrap within them: a point's name over lines of its own
    // column, a comment taller than a page on the pages that follow, each of its words once
    // and in order, the headings on every page it goes over.
    void pdfTextsWrapWithinTheirCells() {
        CVzrT8100Doc doc;
        ReportTest::FillThreeConditions(doc);
        CExecList steps = RunAtTwoPoints(doc);
        QStringList comment;
        for (int i = 1; i <= 600; ++i)
            comment << QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0'));
        steps[1]->m_strComment = comment.join(QLatin1Char(' '));
        const QStringList points{QStringLiteral("電源ボタン周辺の金属ケース継ぎ目 上面 左側"),
                                 QStringLiteral("VCP")};
        const CTestReport::Outcome made =
            CPdfReport::Create(doc.GetSettingList(), steps, points, PdfSettings(),
                               QStringLiteral("Test1"), m_dir.path());
        QCOMPARE(made.m_nResult, CTestReport::REPORT_MADE);

        const QList<ReportTest::PdfWord> words = ReportTest::PdfWords(made.m_strPath);
        QMap<int, ReportTest::PdfWord> judge, mode; // the headings, page by page
        for (const ReportTest::PdfWord& word : words) {
            if (word.text == QStringLiteral("判定"))
                judge[word.page] = word;
            else if (word.text == QStringLiteral("放電")) // poppler's first word of 放電モード
                mode[word.page] = word;
        }
        const double right = 595.28 - 15 / 25.4 * 72; // the page's right margin
        QStringList read;
        QSet<int> commentPages;
        QSet<double> pointLines;
        for (const ReportTest::PdfWord& word : words) {
            if (word.page == 0)
                continue;
            if (word.text.startsWith(QLatin1Char('w'))) {
                read << word.text;
                commentPages << word.page;
                QVERIFY2(judge.contains(word.page) && mode.contains(word.page),
                         "no headings on a page the comment goes on to");
                QVERIFY2(word.xMin > judge[word.page].xMax && word.xMax <= right + 0.5,
                         qPrintable(word.text));
            } else if (QRegularExpression(QStringLiteral("[周辺金属継ぎ目上面左側]"))
                           .match(word.text)
                           .hasMatch()) {
                QVERIFY2(word.xMax < mode[word.page].xMin, qPrintable(word.text));
                pointLines << word.yMin;
            }
        }
        QCOMPARE(read, comment);
        QVERIFY2(commentPages.size() >= 2, "the comment fits on one page");
        QVERIFY(commentPages.contains(1));
        // the name takes more lines than the rows of its point that hold nothing else
        QVERIFY2(pointLines.size() > 7, qPrintable(QString::number(pointLines.size())));
    }

    // A disk that fills while the PDF is written leaves nothing behind; with room again the
    // same report is written whole.
    void pdfOnAFullDiskLeavesNothing() {
        CVzrT8100Doc doc;
        plans::SetPlan(doc, {plans::Sweep(200, 30500, 10)}); // 6,062 steps, about 100 pages
        QTemporaryDir dir;
        auto write = [&] {
            return CPdfReport::Create(doc.GetSettingList(), doc.GetExecList(), {}, Settings(),
                                      QStringLiteral("Test1"), dir.path());
        };
        const CTestReport::Outcome failed = WithDiskFull(400 * 1024, write);
        QCOMPARE(failed.m_nResult, CTestReport::REPORT_FAILED);
        QVERIFY2(failed.m_strDetail.startsWith(QStringLiteral("WritePdf (") +
                                               QDir::toNativeSeparators(dir.path()) + ')'),
                 qPrintable(failed.m_strDetail));
        QVERIFY2(failed.m_strMessage.contains(QStringLiteral("レポートは保存されていません")),
                 qPrintable(failed.m_strMessage));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        const CTestReport::Outcome made = write();
        QCOMPARE(made.m_nResult, CTestReport::REPORT_MADE);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(made.m_strPath).fileName()});
        QVERIFY(QFileInfo(made.m_strPath).size() > 400 * 1024);
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

QTEST_MAIN(TestReportFile)
#include "tst_report_file.moc"
