// The run record end to end: the execution dialog offscreen on the simulated instrument at
// line speed writes it, the next opening offers its results back, and the program's command
// line lists and reports it. (A program killed in the middle of a run: tests/e2e.)
#include "ExecDlgFixture.h"
#include "RunFixture.h"

#include "common/ChildProcess.h"
#include "common/Csv.h"
#include "common/DiskFull.h"

#include "data/SelectTable.h"
#include "execution/CExecDlg.h"
#include "execution/CRunRecord.h"
#include "execution/CRunRecordReader.h"
#include "execution/CRunRecordStore.h"
#include "execution/RunRecordFormat.h"
#include "report/ReportTestUtil.h"
#include "settings/CTestProperty.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace run;

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// The event lines of a record: the rows after the column headings.
QList<QStringList> EventRows(const QString& path) {
    const QList<QStringList> rows = ReadCsvFile(path);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].size() > 1 && rows[i][0] == Utf8("時刻") && rows[i][1] == Utf8("イベント"))
            return rows.mid(i + 1);
    }
    return {};
}

// "EVENT" or "EVENT step" of each event line.
QStringList Events(const QString& path) {
    QStringList events;
    for (const QStringList& row : EventRows(path))
        events.append(row.value(2).isEmpty() ? row.value(1) : row.value(1) + ' ' + row.value(2));
    return events;
}

// The header's value (second field) under a key.
QString HeaderValue(const QString& path, const char* key, int field = 1) {
    for (const QStringList& row : ReadCsvFile(path)) {
        if (row.value(0) == Utf8(key))
            return row.value(field);
        if (row.value(0) == Utf8("時刻"))
            break;
    }
    return QString();
}

// One long CONTACT step of each polarity, and a short AIR step: a run stays a while in
// its first step.
std::unique_ptr<CVzrT8100Doc> LongPlan() {
    std::vector<std::unique_ptr<CSettingData>> conds;
    conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 60));
    conds.push_back(Condition(DISC_AIR, TRIG_VZR, 4000, 1000, 1, POLA_BIT_PLUS));
    return Plan(std::move(conds));
}

QString StepState(const CExecData& step) {
    return QStringLiteral("%1|%2").arg(step.m_nJudge).arg(step.m_strComment);
}

} // namespace

class TestExecRecord : public QObject {
    Q_OBJECT

    Instrument m_inst;
    CTestProperty m_property;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QMainWindow> m_main;
    std::unique_ptr<CVzrT8100Doc> m_doc;
    std::unique_ptr<CExecDlg> m_dlg;
    std::unique_ptr<CModalAnswerer> m_modal;
    CUrlCatcher m_catcher;

    QString DataFile() const { return m_dir->filePath("Test1.vzt"); }
    QString Program() const { return QCoreApplication::applicationDirPath() + "/vzr-t8100"; }

    template <class T> T* Find(const char* name) {
        return m_dlg->findChild<T*>(QLatin1String(name));
    }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QTableView* List() { return Find<QTableView>("listResults"); }
    CExecData& Step(int i) { return *m_doc->GetExecList()[size_t(i)]; }
    QString StatusText() { return m_main->statusBar()->currentMessage(); }

    bool Save(CVzrT8100Doc& doc, const QString& path) {
        QString error;
        return doc.SaveFile(path, &error);
    }
    std::unique_ptr<CVzrT8100Doc> Reopen(const QString& path) {
        auto doc = std::make_unique<CVzrT8100Doc>();
        return doc->OpenFile(path, nullptr) ? std::move(doc) : nullptr;
    }

    // The dialog on a document of the data file, shown; its record begun.
    void Open(std::unique_ptr<CVzrT8100Doc> doc, const QString& dataFile) {
        m_dlg.reset();
        m_doc = std::move(doc);
        QVERIFY(m_doc);
        m_dlg =
            std::make_unique<CExecDlg>(*m_inst.cntl, m_property, &m_doc->GetSettingList(),
                                       &m_doc->GetExecList(), m_doc->TestPoints(), m_main.get());
        m_dlg->SetDocumentTitle(QStringLiteral("Test1.vzt"));
        m_dlg->SetDataFilePath(dataFile);
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Record(), WAIT_MS);
    }

    void Close() {
        Button("buttonClose")->click();
        QVERIFY(m_dlg->isHidden());
    }

    bool WaitForIdlePoll() {
        return QTest::qWaitFor([this] { return Button("buttonStart")->isEnabled(); }, WAIT_MS);
    }
    bool WaitForBox(const QString& text) {
        return QTest::qWaitFor([&] { return m_modal->boxTexts.contains(text); }, WAIT_MS);
    }

    void ClickRow(int row, bool twice = false) {
        const QPoint at = List()->visualRect(List()->model()->index(row, 1)).center();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
    }

    // Judges the row through the judgement dialog a double click opens.
    void JudgeByDialog(int row, qint32 judge, const QString& comment) {
        m_modal->judgeAnswer = [=](CJudgeDlg* dlg) {
            SelectComboByValue(dlg->findChild<QComboBox*>("comboJudge"), judge);
            dlg->findChild<QLineEdit*>("editComment")->setText(comment);
            return true;
        };
        const qsizetype asked = m_modal->judgePresets.size();
        ClickRow(row, true);
        QTRY_COMPARE(m_modal->judgePresets.size(), asked + 1);
        QTRY_COMPARE(Step(row).m_nJudge, judge);
    }

    // 確定 on a row.
    void Apply(int row, qint32 judge, const QString& comment) {
        ClickRow(row);
        SelectComboByValue(Find<QComboBox>("comboJudge"), judge);
        Find<QLineEdit>("editComment")->setText(comment);
        Button("buttonApply")->click();
    }

    QStringList RecordFiles() const {
        QDir dir(m_dir->filePath("Test1.runs"));
        QStringList files;
        for (const QString& name : dir.entryList({"*.csv"}, QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
        return files;
    }

    using Run = ProcessRun;
    Run RunProgram(const QStringList& args) { return RunProcess(Program(), args); }

private slots:
    void initTestCase() {
        // a program that stops reading closes the pipe under our feet
        std::signal(SIGPIPE, SIG_IGN);
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(m_inst.Start());
        m_property = CTestProperty();
        m_main = std::make_unique<QMainWindow>();
        m_main->statusBar();
        m_modal = std::make_unique<CModalAnswerer>();
        m_catcher.m_urls.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        QDir(CTestProperty::ReportsFolder()).removeRecursively();
    }

    void cleanup() {
        m_dlg.reset();
        m_doc.reset();
        m_modal.reset();
        m_main.reset();
        m_inst.Stop();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        if (m_dir)
            QProcess::execute("chmod", {"-R", "u+w", m_dir->path()});
        m_dir.reset();
    }

    // A run from START to its end on the simulator, then closing: beside the data file, the
    // header names the run and every event is written in the order it happened.
    void runWritesItsEventsInOrder() {
        m_property.m_bJudgeAuto = true;
        m_property.m_strOperator = Utf8("山田");
        m_property.m_strTemperature = "25";
        m_property.m_tmTest = 1796000000;
        auto doc = MixedPlan();
        QVERIFY(Save(*doc, DataFile()));
        Open(std::move(doc), DataFile());
        const QString path = m_dlg->Record()->Path();
        QCOMPARE(QFileInfo(path).absolutePath(), m_dir->filePath("Test1.runs"));
        QVERIFY2(QRegularExpression("^\\d{8}-\\d{6}\\.csv$")
                     .match(QFileInfo(path).fileName())
                     .hasMatch(),
                 qPrintable(path));
        QCOMPARE(StatusText(), Utf8("試験記録: ") + path);

        QVERIFY(WaitForIdlePoll());
        Button("buttonStart")->click();
        QVERIFY(WaitForBox(Utf8("試験が終了しました。")));
        QVERIFY(WaitForIdlePoll());
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Close();

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> rows = ReadCsvFile(path);
        QCOMPARE(rows.first(), (QStringList{Utf8("VZR-T8100 試験記録"), "1"}));
        QCOMPARE(HeaderValue(path, "プログラム", 2), CTestProperty::GetVersionText());
        QCOMPARE(HeaderValue(path, "試験器応答"), m_inst.cntl->IdentReply());
        QVERIFY(HeaderValue(path, "試験器応答").contains(CVzrT8100Cntl::IDENT_TEXT));
        QCOMPARE(HeaderValue(path, "ポート"), m_inst.sim->PortPath());
        QCOMPARE(HeaderValue(path, "データファイル"), DataFile());
        QCOMPARE(HeaderValue(path, "ステップ数"), QString("4"));
        QVERIFY(QRegularExpression("^[0-9a-f]{64}$")
                    .match(HeaderValue(path, "計画ハッシュ"))
                    .hasMatch());
        QCOMPARE(HeaderValue(path, "試験者名"), Utf8("山田"));
        QCOMPARE(HeaderValue(path, "温度"), QString("25"));
        QCOMPARE(HeaderValue(path, "試験日時", 2), QString("1796000000"));

        QCOMPARE(Events(path),
                 (QStringList{"START 1", "LOAD 1", "DISCHARGE 1", "COMPLETE 1", "JUDGE 1", "LOAD 2",
                              "DISCHARGE 2", "COMPLETE 2", "JUDGE 2", "LOAD 3", "DISCHARGE 3",
                              "COMPLETE 3", "JUDGE 3", "LOAD 4", "DISCHARGE 4", "COMPLETE 4",
                              "JUDGE 4", "END", "CLOSE"}));
        const QList<QStringList> events = EventRows(path);
        QString previous;
        for (const QStringList& row : events) {
            QCOMPARE(row.size(), 14);
            QVERIFY2(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$")
                         .match(row[0])
                         .hasMatch(),
                     qPrintable(row[0]));
            QVERIFY(row[0] >= previous);
            previous = row[0];
        }
        // the steps as the list shows them; the automatic judgement and where it came from
        QCOMPARE(events[1].mid(2, 8),
                 (QStringList{"1", "CONTACT", "IEC LEVEL X", "VZR", "+", "4.00", "1.00", "2"}));
        QCOMPARE(events[13].mid(2, 8),
                 (QStringList{"4", "AIR", "IEC LEVEL X", "EXTERNAL", "-", "8.00", "------", "2"}));
        QCOMPARE(events[16].mid(10, 3), (QStringList{"A", "", Utf8("自動A")}));
    }

    // What the operator does and what the instrument reports, from every path: the
    // judgement dialog, 確定, the bulk operations, a report, TRIG and STOP, the judgement
    // cleared as discharging begins, an instrument error, a communication error.
    void everyPathIsRecorded() {
        auto doc = LongPlan();
        QVERIFY(Save(*doc, DataFile()));
        Open(std::move(doc), DataFile());
        const QString path = m_dlg->Record()->Path();
        QVERIFY(WaitForIdlePoll());

        JudgeByDialog(1, JUDGE_C, "a,\"b\"");
        Apply(2, JUDGE_D, Utf8("確定の"));
        SelectComboByValue(Find<QComboBox>("comboJudgeAll"), JUDGE_B);
        Button("buttonJudgeAll")->click();
        Button("buttonDeleteComments")->click();
        Button("buttonReport")->click();
        Button("buttonPdf")->click();
        QCOMPARE(m_catcher.m_urls.size(), 2);

        ClickRow(0);
        Button("buttonStart")->click();
        QVERIFY(
            QTest::qWaitFor([this] { return Find<QLabel>("labelTrigOn")->isVisible(); }, WAIT_MS));
        Button("buttonTrig")->click();
        Button("buttonStop")->click();
        QVERIFY(QTest::qWaitFor([this] { return m_inst.sim->Status() == 0; }, WAIT_MS));
        QVERIFY(WaitForIdlePoll());

        m_inst.sim->InjectErrorOnNextStart(1);
        Button("buttonStart")->click();
        QVERIFY(WaitForBox(Utf8("ガンインターロックエラー")));
        QVERIFY(WaitForIdlePoll());

        Button("buttonStart")->click();
        QVERIFY(QTest::qWaitFor([this] { return Button("buttonStop")->isEnabled(); }, WAIT_MS));
        m_inst.sim->FailQuery("QD");
        QVERIFY(WaitForBox(Utf8("通信エラーが発生しました。")));
        QVERIFY(QTest::qWaitFor([this] { return m_inst.sim->Status() == 0; }, WAIT_MS));
        Close();

        QStringList events = Events(path);
        // discharging may or may not have been seen before the status query failed
        const qsizetype beforeFailure = events.size() - 3;
        if (events.value(beforeFailure) == "DISCHARGE 1")
            events.removeAt(beforeFailure);
        QCOMPARE(events,
                 (QStringList{"JUDGE 2", "JUDGE 3", "JUDGE_ALL", "COMMENTS_CLEARED", "REPORT",
                              "REPORT", "START 1", "LOAD 1", "DISCHARGE 1", "JUDGE 1", "TRIG 1",
                              "STOP 1", "START 1", "LOAD 1", "INSTRUMENT_ERROR 1", "START 1",
                              "LOAD 1", "COMM_ERROR 1", "CLOSE"}));
        const QList<QStringList> rows = EventRows(path);
        QCOMPARE(rows[0].mid(10, 3), (QStringList{"C", "a,\"b\"", Utf8("判定ダイアログ")}));
        QCOMPARE(rows[1].mid(10, 3), (QStringList{"D", Utf8("確定の"), Utf8("確定")}));
        QCOMPARE(rows[2].mid(10, 3), (QStringList{"B", "", Utf8("判定全変更")}));
        QCOMPARE(rows[3][12], Utf8("コメント全削除"));
        QCOMPARE(rows[4][12], QDir::toNativeSeparators(m_catcher.m_urls.first().toLocalFile()));
        QCOMPARE(rows[5][12], QDir::toNativeSeparators(m_catcher.m_urls.last().toLocalFile()));
        QVERIFY(rows[5][12].endsWith(".pdf"));
        QCOMPARE(rows[9].mid(10, 3), (QStringList{"------", "", Utf8("放電開始")}));
        QCOMPARE(rows[10][12], QString("ON"));
        QCOMPARE(rows[14].mid(12, 2), (QStringList{Utf8("ガンインターロックエラー"), "1"}));

        // the record's results are the run list's
        CRunRecordReader reader;
        QCOMPARE(reader.Read(path), CRunRecordReader::READ_OK);
        QVERIFY(reader.SameResults(m_doc->GetExecList()));
        QCOMPARE(reader.ErrorCount(), 1);
        QVERIFY(reader.Closed());
    }

    // Only a run that never closed is offered back, with No as the default. Closed
    // normally, the next opening asks nothing. Interrupted (the dialog never closed), the
    // next asks, saying when the record's end is torn; Yes puts every judgement and comment
    // back as last set, with the run's own test time, and the new record carries them on;
    // Enter leaves the run list clean. On a run list that holds them already nothing is
    // asked.
    void restoreOnlyAnInterruptedRun() {
        auto doc = MixedPlan();
        QVERIFY(Save(*doc, DataFile()));
        Open(Reopen(DataFile()), DataFile());
        Apply(1, JUDGE_C, "closed");
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Close();

        m_modal->boxTexts.clear();
        m_property.m_tmTest = 1796000000;
        Open(Reopen(DataFile()), DataFile());
        QTest::qWait(200);
        QVERIFY(m_modal->boxTexts.isEmpty());
        JudgeByDialog(0, JUDGE_B, "c1");
        Apply(2, JUDGE_D, Utf8("引用\"符\",カンマ"));
        Apply(3, JUDGE_NONE, Utf8("判定なしのコメント"));
        const QString killed = m_dlg->Record()->Path();
        QStringList expected;
        for (const auto& step : m_doc->GetExecList())
            expected.append(StepState(*step));
        m_dlg.reset(); // the program killed: the dialog never closes
        QFile torn(killed);
        QVERIFY(torn.open(QIODevice::Append));
        torn.write("2026/12/08 10:00:0"); // the line being written at a power cut
        torn.close();
        auto question = [](const QString& record, bool damaged) {
            return Utf8("前回の試験結果（%1、判定 2 件）を復元しますか？%2")
                .arg(HeaderValue(record, "開始").left(16),
                     damaged ? Utf8("\n（記録の末尾が読めませんでした）") : QString());
        };

        // Yes: back exactly as they were, in the test time of their run
        m_modal->boxTexts.clear();
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::Yes; };
        m_property.m_tmTest = 1797000000;
        Open(Reopen(DataFile()), DataFile());
        QTRY_COMPARE(m_modal->boxTexts, QStringList{question(killed, true)});
        QStringList restored;
        for (const auto& step : m_doc->GetExecList())
            restored.append(StepState(*step));
        QCOMPARE(restored, expected);
        QCOMPARE(List()->model()->index(2, 9).data().toString(), Utf8("引用\"符\",カンマ"));
        QCOMPARE(Find<QComboBox>("comboJudge")->currentText(), QString("B")); // step 1
        QVERIFY(m_dlg->ResultExist());
        QCOMPARE(m_property.m_tmTest, 1796000000);
        const QString third = m_dlg->Record()->Path();
        QCOMPARE(HeaderValue(third, "試験日時", 2), QString("1796000000"));
        QCOMPARE(Events(third), (QStringList{"RESTORE", "JUDGE 1", "JUDGE 3", "JUDGE 4"}));
        QCOMPARE(EventRows(third)[0][12], killed);
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Close();

        // opened again on the same document: it holds the results, nothing to ask
        m_modal->boxTexts.clear();
        auto same = std::move(m_doc);
        Open(std::move(same), DataFile());
        QTest::qWait(200);
        QVERIFY(m_modal->boxTexts.isEmpty());
        const QString fourth = m_dlg->Record()->Path();
        QCOMPARE(Events(fourth), (QStringList{"JUDGE 1", "JUDGE 3", "JUDGE 4"}));
        m_dlg.reset();

        // Enter: No, the run list stays clean; closed, that run is the latest
        m_modal->boxAnswer = [](const QString&) { return CModalAnswerer::ENTER; };
        m_property.m_tmTest = 1798000000;
        Open(Reopen(DataFile()), DataFile());
        QTRY_COMPARE(m_modal->boxTexts, QStringList{question(fourth, false)});
        for (const auto& step : m_doc->GetExecList())
            QCOMPARE(StepState(*step), StepState(CExecData()));
        QVERIFY(!m_dlg->ResultExist());
        QCOMPARE(m_property.m_tmTest, 1798000000);
        QCOMPARE(Events(m_dlg->Record()->Path()), QStringList{});
        Close();
        m_modal->boxTexts.clear();
        Open(Reopen(DataFile()), DataFile());
        QTest::qWait(200);
        QVERIFY(m_modal->boxTexts.isEmpty());
        QCOMPARE(RecordFiles().size(), 6);
    }

    // A record is offered only to the run list it was written for: a changed value, steps
    // in another order, one step more, or another data file are not offered.
    void changedPlanIsNotOffered() {
        auto doc = MixedPlan();
        QVERIFY(Save(*doc, DataFile()));
        Open(Reopen(DataFile()), DataFile());
        JudgeByDialog(1, JUDGE_C, "x");
        m_dlg.reset(); // interrupted
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };

        auto changed = Reopen(DataFile());
        changed->GetExecList()[1]->m_lVolt = 4010;
        auto reordered = Reopen(DataFile());
        std::swap(reordered->GetExecList()[0], reordered->GetExecList()[1]);
        auto longer = Reopen(DataFile());
        longer->GetExecList().push_back(std::make_unique<CExecData>());
        const QString other = m_dir->filePath("Other.vzt");
        QVERIFY(QFile::copy(DataFile(), other));
        struct Case {
            const char* what;
            std::unique_ptr<CVzrT8100Doc> doc;
            QString file;
        } cases[] = {{"value", std::move(changed), DataFile()},
                     {"order", std::move(reordered), DataFile()},
                     {"steps", std::move(longer), DataFile()},
                     {"other file", Reopen(other), other},
                     {"unsaved", Reopen(DataFile()), QString()}};
        for (Case& c : cases) {
            m_modal->boxTexts.clear();
            Open(std::move(c.doc), c.file);
            QTest::qWait(200);
            QVERIFY2(m_modal->boxTexts.isEmpty(), c.what);
            Close();
        }
        // the same plan is still offered it: the later runs were of other run lists
        Open(Reopen(DataFile()), DataFile());
        QTRY_COMPARE(m_modal->boxTexts.size(), 1);
    }

    // --report FILE --results RECORD writes, through the same layout, the workbook and the
    // PDF the dialog's report buttons wrote; a record of another run list is refused.
    void reportFromTheRecordIsTheDialogs() {
        const QList<QString CTestProperty::*> fields = {
            &CTestProperty::m_strCompanyName,    &CTestProperty::m_strTestPlace,
            &CTestProperty::m_strEquipmentModel, &CTestProperty::m_strEquipmentSerialNo,
            &CTestProperty::m_strGunModel,       &CTestProperty::m_strGunSerialNo,
            &CTestProperty::m_strCupModel,       &CTestProperty::m_strCupSerialNo,
            &CTestProperty::m_strCrUnitModel,    &CTestProperty::m_strCrUnitSerialNo,
            &CTestProperty::m_strModel,          &CTestProperty::m_strSerial,
            &CTestProperty::m_strOperator,       &CTestProperty::m_strStandard,
            &CTestProperty::m_strTemperature,    &CTestProperty::m_strHumidity};
        for (int i = 0; i < fields.size(); ++i)
            m_property.*fields[i] = Utf8("値%1,\"%1\"").arg(i);
        m_property.m_strSerial = "0012";
        m_property.m_tmTest = 1796000000;
        auto doc = std::make_unique<CVzrT8100Doc>();
        ReportTest::FillThreeConditions(*doc);
        QVERIFY(Save(*doc, DataFile()));
        Open(Reopen(DataFile()), DataFile());
        JudgeByDialog(1, JUDGE_B, Utf8("コメント, \"1\""));
        Apply(5, JUDGE_D, "x");
        Button("buttonReport")->click();
        Button("buttonPdf")->click();
        QCOMPARE(m_catcher.m_urls.size(), 2);
        const QString dialogBook = m_catcher.m_urls.first().toLocalFile();
        const QString dialogPdf = m_catcher.m_urls.last().toLocalFile();
        const QString record = m_dlg->Record()->Path();
        Close();

        // the settings file says otherwise now: the record's settings are the run's
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, "someone else");
        const QString cliBook = m_dir->filePath("cli.xlsx");
        const QString cliPdf = m_dir->filePath("cli.pdf");
        const Run r = RunProgram(
            {"--report", DataFile(), "--results", record, "--out", cliBook, "--pdf", cliPdf});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, cliBook + "\n" + cliPdf + "\n");
        // page for page the same text, but for the minute each was made
        auto pdfText = [](const QString& path) {
            return ReportTest::PdfPages(path).join('\f').remove(
                QRegularExpression(Utf8("作成日時 [0-9/: ]+")));
        };
        const QString pdfFromDialog = pdfText(dialogPdf);
        QVERIFY(pdfFromDialog.contains(Utf8("コメント, \"1\"")));
        QVERIFY(pdfFromDialog.contains(Utf8("値0,\"0\"")));
        QCOMPARE(pdfText(cliPdf), pdfFromDialog);
        QString error;
        const QJsonObject fromDialog = ReportTest::ReadWorkbook(dialogBook, &error);
        QVERIFY2(!fromDialog.isEmpty(), qPrintable(error));
        const QJsonObject fromRecord = ReportTest::ReadWorkbook(cliBook, &error);
        QVERIFY2(!fromRecord.isEmpty(), qPrintable(error));
        QCOMPARE(fromRecord, fromDialog);
        const QJsonObject steps = fromDialog["sheets"].toArray()[1].toObject()["cells"].toObject();
        QCOMPARE(steps["J12"].toObject()["value"].toString(), QString("B"));
        QCOMPARE(steps["K12"].toObject()["value"].toString(), Utf8("コメント, \"1\""));

        // a record not read to its end: the workbook of what was read, the last line read
        // named, exit 3
        const QString damaged = m_dir->filePath("damaged.csv");
        QVERIFY(QFile::copy(record, damaged));
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::Append));
        file.write("2026/12/08 10:00:00.000,EXPLODE,,,,,,,,,,,,\r\n");
        file.close();
        const QString damagedBook = m_dir->filePath("damaged.xlsx");
        const Run r3 =
            RunProgram({"--report", DataFile(), "--results", damaged, "--out", damagedBook});
        QCOMPARE(r3.exitCode, 3);
        QCOMPARE(r3.out.trimmed(), damagedBook);
        QVERIFY2(r3.err.startsWith(Utf8("試験記録 %1 は破損しています: %2 行目まで読みました: ")
                                       .arg(damaged)
                                       .arg(ReadCsvFile(record).size())),
                 qPrintable(r3.err));
        QCOMPARE(ReportTest::ReadWorkbook(damagedBook, &error), fromDialog);

        // a data file whose run list is not the record's
        auto changed = Reopen(DataFile());
        changed->GetExecList()[0]->m_lCount = 11;
        const QString other = m_dir->filePath("Changed.vzt");
        QVERIFY(Save(*changed, other));
        const QString refusedBook = m_dir->filePath("refused.xlsx");
        const Run refused =
            RunProgram({"--report", other, "--results", record, "--out", refusedBook});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(Utf8("の試験計画と一致しません。")), qPrintable(refused.err));
        QVERIFY(!QFile::exists(refusedBook));
    }

    // --runs FILE: every record of the data file, oldest first: start, end (or where an
    // interrupted run stopped), steps judged, the instrument's errors, whether the file's
    // run list is the record's, and where the record is.
    void runsListsTheRecords() {
        auto doc = MixedPlan();
        QVERIFY(Save(*doc, DataFile()));
        CExecList& steps = doc->GetExecList();
        auto write = [&](const QString& dataFile, const QDateTime& start, const CExecList& list,
                         const std::function<void(CRunRecord&)>& events) {
            CRunRecord record(list);
            CRunRecord::Header header;
            header.strDataFile = dataFile;
            header.strTitle = "Test1.vzt";
            header.tmStart = start;
            record.Begin(header, m_property);
            events(record);
            return record.Path();
        };
        const QDate day(2026, 12, 8);
        const QString closed =
            write(DataFile(), QDateTime(day, QTime(10, 0)), steps, [&](CRunRecord& r) {
                steps[0]->m_nJudge = JUDGE_A;
                r.Judged(0, CRunSequencer::JUDGED_AUTO);
                r.InstrumentError(1, 1, Utf8("ガンインターロックエラー"));
                steps[1]->m_nJudge = JUDGE_C;
                r.Judged(1, CRunSequencer::JUDGED_DIALOG);
                r.Closed();
            });
        const QString killed =
            write(DataFile(), QDateTime(day, QTime(11, 0)), steps, [&](CRunRecord& r) {
                steps[2]->m_nJudge = JUDGE_B;
                r.Judged(2, CRunSequencer::JUDGED_APPLY);
            });
        auto changed = MixedPlan();
        changed->GetExecList()[3]->m_lVolt = 9000;
        const QString otherPlan = write(DataFile(), QDateTime(day, QTime(9, 0)),
                                        changed->GetExecList(), [](CRunRecord& r) { r.Closed(); });
        // one that went to the reports folder (its data file's folder took none), and one
        // there of another data file of the same name
        const QString moved = write(DataFile(), QDateTime(day, QTime(12, 0)), steps,
                                    [](CRunRecord& r) { r.Closed(); });
        const QString reports = CRunRecordStore::FolderInReports(DataFile());
        QVERIFY(QDir().mkpath(reports));
        const QString inReports = reports + "/20261208-120000.csv";
        QVERIFY(QFile::rename(moved, inReports));
        const QString stranger = write("/nowhere/Test1.vzt", QDateTime(day, QTime(13, 0)), steps,
                                       [](CRunRecord& r) { r.Closed(); });
        QVERIFY(stranger.startsWith(reports));
        // a daylight-saving change between two runs: the later run began at an earlier
        // local time
        auto setStart = [](const QString& path, const QByteArray& start) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            const qsizetype at = bytes.indexOf("\r\n開始,") + 2;
            bytes.replace(at, bytes.indexOf("\r\n", at) - at, "開始," + start);
            QVERIFY(file.resize(0) && file.seek(0) && file.write(bytes) == bytes.size());
        };
        const QString summer = write(DataFile(), QDateTime(QDate(2026, 10, 25), QTime(2, 30)),
                                     steps, [](CRunRecord& r) { r.Closed(); });
        setStart(summer, "2026/10/25 02:30:00.000,+02:00");
        const QString winter = write(DataFile(), QDateTime(QDate(2026, 10, 25), QTime(2, 10)),
                                     steps, [](CRunRecord& r) { r.Closed(); });
        setStart(winter, "2026/10/25 02:10:00.000,+01:00");
        // the killed run's last line torn
        QFile torn(killed);
        QVERIFY(torn.open(QIODevice::Append));
        torn.write("2026/12/08 11:00:0");
        torn.close();
        QFile junk(m_dir->filePath("Test1.runs/junk.csv"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a record\r\n");
        junk.close();

        auto lastTime = [](const QString& path) { return EventRows(path).last().first().left(19); };
        const Run r = RunProgram({"--runs", DataFile()});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        const QString errors = Utf8("1 件: %1 Step 2 ガンインターロックエラー (コード 1)")
                                   .arg(EventRows(closed)[1][0].mid(11, 8));
        QCOMPARE(
            lines,
            (QStringList{
                Utf8("開始\t終了\t判定\t試験器エラー\t計画\t記録"),
                Utf8("2026/10/25 02:30:00\t%1\t0/4\tなし\t一致\t%2").arg(lastTime(summer), summer),
                Utf8("2026/10/25 02:10:00\t%1\t0/4\tなし\t一致\t%2").arg(lastTime(winter), winter),
                Utf8("2026/12/08 09:00:00\t%1\t0/4\tなし\t不一致\t%2")
                    .arg(lastTime(otherPlan), otherPlan),
                Utf8("2026/12/08 10:00:00\t%1\t2/4\t%2\t一致\t%3")
                    .arg(lastTime(closed), errors, closed),
                Utf8("2026/12/08 11:00:00\t%1 (中断) (記録破損: %2 行目まで)\t1/4"
                     "\tなし\t一致\t%3")
                    .arg(lastTime(killed))
                    .arg(ReadCsvFile(killed).size())
                    .arg(killed),
                Utf8("2026/12/08 12:00:00\t%1\t0/4\tなし\t一致\t%2")
                    .arg(lastTime(inReports), inReports),
            }));
        QVERIFY2(r.err.contains(Utf8("試験記録を読めません: ") + junk.fileName()),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(killed + Utf8(" は破損しています")), qPrintable(r.err));
        QVERIFY(!r.out.contains(stranger));
    }

    // The data file's folder takes no file (a read-only stick): the record goes to the
    // reports folder and the status bar says where. When no folder takes it, the title and
    // the status bar say so once, and the run goes on to its end.
    void readOnlyFolders() {
        if (geteuid() == 0)
            QSKIP("root ignores file modes: the _nobody entry runs this unprivileged");
        m_property.m_bJudgeAuto = true;
        auto doc = MixedPlan();
        QVERIFY(Save(*doc, DataFile()));
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0555), 0);
        Open(Reopen(DataFile()), DataFile());
        const QString reports = CRunRecordStore::FolderInReports(DataFile());
        const QString path = m_dlg->Record()->Path();
        QCOMPARE(QFileInfo(path).absolutePath(), reports);
        QVERIFY2(StatusText().startsWith(Utf8("試験記録: ") + path +
                                         Utf8("（データファイルのフォルダに書き込めません: ") +
                                         m_dir->filePath("Test1.runs")),
                 qPrintable(StatusText()));
        QCOMPARE(m_dlg->windowTitle(), Utf8("試験実行"));
        Close();

        QVERIFY(QDir(reports).removeRecursively());
        QCOMPARE(::chmod(QFile::encodeName(CTestProperty::ReportsFolder()).constData(), 0555), 0);
        Open(Reopen(DataFile()), DataFile());
        QSignalSpy titles(m_dlg.get(), &QWidget::windowTitleChanged);
        QCOMPARE(m_dlg->windowTitle(), Utf8("試験実行 - 試験記録を書き込めません"));
        QVERIFY2(StatusText().startsWith(Utf8("試験記録を書き込めません: ")),
                 qPrintable(StatusText()));
        QVERIFY(WaitForIdlePoll());
        Button("buttonStart")->click();
        QVERIFY(WaitForBox(Utf8("試験が終了しました。")));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Step(i).m_nJudge, JUDGE_A);
        QCOMPARE(titles.count(), 0); // told once
        QVERIFY(m_modal->boxTexts.size() == 1);
        QVERIFY(WaitForIdlePoll());
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Close();
        ::chmod(QFile::encodeName(CTestProperty::ReportsFolder()).constData(), 0755);
    }

    // The disk fills in the middle of a run: the title and the status bar say so once, the
    // run goes on, nothing torn is left in the file; once there is room again every line
    // is written in order, with no gap.
    void diskFullDuringARun() {
        m_property.m_bJudgeAuto = true;
        auto doc = MixedPlan();
        QVERIFY(Save(*doc, DataFile()));
        Open(Reopen(DataFile()), DataFile());
        QVERIFY(WaitForIdlePoll());
        const QString path = m_dlg->Record()->Path();
        const qint64 size = QFileInfo(path).size();
        QSignalSpy titles(m_dlg.get(), &QWidget::windowTitleChanged);

        // the record may not grow
        const auto [ended, sizeWhileFull] = WithDiskFull(rlim_t(size), [&] {
            Button("buttonStart")->click();
            const bool end = WaitForBox(Utf8("試験が終了しました。"));
            return std::pair{end, QFileInfo(path).size()};
        });
        QVERIFY(ended);
        QCOMPARE(sizeWhileFull, size);
        QCOMPARE(titles.count(), 1);
        QCOMPARE(m_dlg->windowTitle(), Utf8("試験実行 - 試験記録を書き込めません"));
        QVERIFY2(StatusText().startsWith(Utf8("試験記録を書き込めません: ") + path),
                 qPrintable(StatusText()));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Step(i).m_nJudge, JUDGE_A);

        QVERIFY(WaitForIdlePoll());
        Apply(1, JUDGE_C, "room again");
        // told once the lines are flushed
        QTRY_COMPARE_WITH_TIMEOUT(titles.count(), 2, WAIT_MS);
        QCOMPARE(m_dlg->windowTitle(), Utf8("試験実行"));
        QCOMPARE(StatusText(), Utf8("試験記録: ") + path);
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Close();
        QCOMPARE(Events(path), (QStringList{"START 1", "LOAD 1", "DISCHARGE 1", "COMPLETE 1",
                                            "JUDGE 1", "LOAD 2", "DISCHARGE 2", "COMPLETE 2",
                                            "JUDGE 2", "LOAD 3", "DISCHARGE 3", "COMPLETE 3",
                                            "JUDGE 3", "LOAD 4", "DISCHARGE 4", "COMPLETE 4",
                                            "JUDGE 4", "END",    "JUDGE 2",     "CLOSE"}));
        CRunRecordReader reader;
        QCOMPARE(reader.Read(path), CRunRecordReader::READ_OK);
        QVERIFY(!reader.TornLine() && reader.StoppedAtLine() == 0);
        QVERIFY(reader.SameResults(m_doc->GetExecList()));
    }

    // The record's folder goes away in the middle of a run (a stick pulled out, its mount
    // point left): the record goes on in the reports folder, whole from its header, the
    // title and the status bar say where once, and the program finds it as the data
    // file's record.
    void recordFolderLostDuringARun() {
        m_property.m_bJudgeAuto = true;
        auto doc = MixedPlan();
        QVERIFY(Save(*doc, DataFile()));
        Open(Reopen(DataFile()), DataFile());
        QVERIFY(WaitForIdlePoll());
        const QString lost = m_dlg->Record()->Path();
        QSignalSpy titles(m_dlg.get(), &QWidget::windowTitleChanged);
        Button("buttonStart")->click();
        QVERIFY(QDir(m_dir->filePath("Test1.runs")).removeRecursively());
        QVERIFY(WaitForBox(Utf8("試験が終了しました。")));
        QVERIFY(WaitForIdlePoll());
        QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->Record()->MovedFrom().isEmpty(), WAIT_MS);
        const QString path = m_dlg->Record()->Path();
        QCOMPARE(m_dlg->Record()->MovedFrom(), lost);
        QCOMPARE(QFileInfo(path).absolutePath(), CRunRecordStore::FolderInReports(DataFile()));
        QCOMPARE(titles.count(), 1);
        QCOMPARE(m_dlg->windowTitle(), Utf8("試験実行 - 試験記録の保存先が変わりました"));
        QCOMPARE(StatusText(), Utf8("試験記録の保存先が失われました。記録を続けます: ") + path);
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Close();
        QCOMPARE(titles.count(), 1);
        QVERIFY(!QFileInfo::exists(m_dir->filePath("Test1.runs")));

        QCOMPARE(HeaderValue(path, "データファイル"), DataFile());
        QCOMPARE(Events(path),
                 (QStringList{"START 1", "LOAD 1", "DISCHARGE 1", "COMPLETE 1", "JUDGE 1", "LOAD 2",
                              "DISCHARGE 2", "COMPLETE 2", "JUDGE 2", "LOAD 3", "DISCHARGE 3",
                              "COMPLETE 3", "JUDGE 3", "LOAD 4", "DISCHARGE 4", "COMPLETE 4",
                              "JUDGE 4", "END", "CLOSE"}));
        const QList<CRunRecordStore::Entry> records = CRunRecordStore::RecordsOf(DataFile());
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().strPath, path);
        CRunRecordReader reader;
        QCOMPARE(reader.Read(path), CRunRecordReader::READ_OK);
        QVERIFY(reader.SameResults(m_doc->GetExecList()));
    }
};

QTEST_MAIN(TestExecRecord)
#include "tst_ExecRecord.moc"
