// The road of one test in the real program against the simulated instrument: start, a new
// plan made through the condition dialog, saved, closed and opened again, run through the
// environment and execution dialogs with judgements, and the report read back by the
// independent reader; then every other window. "tst_e2e_road --lang en" walks it in English,
// where no window may show a Japanese text. In both languages every text must fit its control.
// With VZR_SCREENSHOT_DIR set (scripts/screenshots, under Xvfb), the windows are also
// photographed on the way.
#include "CVzrT8100Sim.h"
#include "common/CNumberBox.h"
#include "common/SimulatedInstrument.h"
#include "common/UrlCatcher.h"
#include "common/VisibleTexts.h"
#include "common/WhenModal.h"
#include "data/CVzrT8100Doc.h"
#include "dialogs/CPropertyDlg.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CTestInfoDlg.h"
#include "execution/CExecDlg.h"
#include "execution/CJudgeDlg.h"
#include "plan/CPlanListCtrl.h"
#include "plan/CSettingsDlg.h"
#include "plan/CTestPointDlg.h"
#include "plan/CVzrT8100View.h"
#include "report/ReportTestUtil.h"
#include "shell/CAboutDlg.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/COpeningDlg.h"
#include "shell/CTypeSelectDlg.h"
#include "shell/CVzrT8100App.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

CVzrT8100Sim* g_sim = nullptr;
constexpr int WAIT_MS = 120000; // far beyond need: a run that never ends fails
bool g_english = false;
QStringList g_faults; // what the windows looked at showed wrong

// The text in the language of the run.
QString L(const char* japanese, const char* english) {
    return QString::fromUtf8(g_english ? english : japanese);
}

// The operator's own data, in his language.
QString Operator() {
    return L("山田", "Smith");
}
QString Comment() {
    return L("放電後に再起動", "Restarted after the discharge");
}

// Photographs a window when screenshots are asked for.
void photograph(QWidget* window, const char* name) {
    const QString dir = qEnvironmentVariable("VZR_SCREENSHOT_DIR");
    if (dir.isEmpty() || !window)
        return;
    QDir().mkpath(dir);
    QApplication::processEvents();
    window->grab().save(QDir(dir).filePath(QLatin1String(name) + QStringLiteral(".png")));
}

// Looks at a window as the operator sees it: in English no Japanese text, in both languages
// no text cut (the toolkit's own file dialog excepted, laid out by the toolkit); photographs it.
void look(QWidget* window, const char* name) {
    QApplication::processEvents();
    if (g_english) {
        for (const QString& text : visible::JapaneseTexts(window))
            g_faults << QStringLiteral("%1: Japanese: %2").arg(QLatin1String(name), text);
    }
    if (!qobject_cast<QFileDialog*>(window)) {
        for (const QString& text : visible::CutTexts(window))
            g_faults << QStringLiteral("%1: cut: %2").arg(QLatin1String(name), text);
    }
    photograph(window, name);
}

// The operator picks a list row with the keyboard.
void choose(QWidget* dlg, const char* name, const QString& text) {
    auto* combo = dlg->findChild<QComboBox*>(name);
    QVERIFY2(combo, name);
    const int row = combo->findText(text, Qt::MatchStartsWith);
    QVERIFY2(row >= 0, qPrintable(text));
    combo->setFocus();
    while (combo->currentIndex() != row)
        QTest::keyClick(combo, combo->currentIndex() < row ? Qt::Key_Down : Qt::Key_Up);
}

// The operator types a value into a number box and leaves it.
void type(QWidget* dlg, const char* name, const QString& text) {
    auto* box = dlg->findChild<CNumberBox*>(name);
    QVERIFY2(box, name);
    // focus moves, and with them the box's commit, reach the active window only (under a
    // window system; offscreen every window is); the plan's rows tell when it never was
    if (!dlg->isActiveWindow()) {
        dlg->activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(dlg));
    }
    box->setFocus(Qt::TabFocusReason);
    box->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(box, text);
    dlg->findChild<QWidget*>("buttonCancel")->setFocus(Qt::TabFocusReason);
}

// Answers a file dialog with a path.
void answerFileDialog(const QString& path) {
    WhenModal<QFileDialog>([path](QFileDialog* dlg) {
        look(dlg, "file-dialog");
        // typed into the name box, as the operator would
        auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        QMetaObject::invokeMethod(dlg, "accept");
    });
}

// The operator at the run: confirms the environment, starts the run from the first step,
// judges each completed step (the second B with a comment, the last C, the others as
// offered), and after the end closes the dialog asking for the report.
class RunDriver {
public:
    bool m_bEnvironmentSeen = false;
    QString m_strOperator;
    QStringList m_listJudgePresets;
    QStringList m_listBoxes;
    QString m_strFailure;

private:
    bool Look(QWidget* modal) {
        if (auto* info = qobject_cast<CTestInfoDlg*>(modal)) {
            look(info, "environment-dialog");
            m_bEnvironmentSeen = true;
            m_strOperator = info->findChild<QLineEdit*>("editOperator")->text();
            info->findChild<QPushButton*>("buttonOk")->click();
        } else if (auto* exec = qobject_cast<CExecDlg*>(modal)) {
            Exec(exec);
            return false; // looked at again on every tick
        } else if (auto* judge = qobject_cast<CJudgeDlg*>(modal)) {
            auto* combo = judge->findChild<QComboBox*>("comboJudge");
            m_listJudgePresets << combo->currentText();
            const int n = m_listJudgePresets.size();
            if (n == 1)
                look(judge, "judgement-dialog");
            if (n == 2 || n == 5) {
                combo->setCurrentIndex(combo->findText(n == 2 ? "B" : "C"));
                if (n == 2)
                    judge->findChild<QLineEdit*>("editComment")->setText(Comment());
            }
            judge->findChild<QPushButton*>("buttonOk")->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_listBoxes << box->text();
            const bool report = box->standardButtons().testFlag(QMessageBox::Yes);
            look(box, report ? "report-question" : "end-message");
            box->button(report ? QMessageBox::Yes : QMessageBox::Ok)->click();
            if (box->text() == L("試験が終了しました。", "The test has finished."))
                m_bEnded = true;
        }
        return true;
    }

    void Exec(CExecDlg* exec) {
        auto* start = exec->findChild<QPushButton*>("buttonStart");
        auto* stop = exec->findChild<QPushButton*>("buttonStop");
        if (!m_bStarted) {
            if (exec->findChild<QCheckBox*>("checkJudgeAuto")->isChecked()) {
                m_strFailure = "automatic judgement was on";
                m_bStarted = m_bEnded = true; // close as soon as possible
                return;
            }
            if (!start->isEnabled())
                return; // until the first poll has found the instrument idle
            m_bStarted = true;
            start->click();
        } else if (!m_bPhotographed && stop->isEnabled() && m_listJudgePresets.size() >= 1) {
            m_bPhotographed = true;
            look(exec, "execution-dialog");
        } else if (m_bEnded && start->isEnabled() && m_nCloses < 2 &&
                   m_listBoxes.size() >= m_nCloses + 1) {
            // closing asks for the report and stays open after it; the second close ends
            ++m_nCloses;
            // from outside this tick: the question it asks is answered by the next ones
            QTimer::singleShot(0, exec,
                               [exec] { exec->findChild<QPushButton*>("buttonClose")->click(); });
        }
    }

    bool m_bStarted = false;
    bool m_bPhotographed = false;
    bool m_bEnded = false;
    int m_nCloses = 0;
    CModalWatcher m_watch{[this](QWidget* modal) { return Look(modal); }};
};

} // namespace

class TestRoadOfOneTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    CUrlCatcher m_catcher;

    CMainFrame* Main() { return CVzrT8100App::Instance()->GetMainFrame(); }
    CVzrT8100View* View() { return qobject_cast<CVzrT8100View*>(Main()->ActiveFrame()->widget()); }
    QPushButton* ViewButton(const char* name) { return View()->findChild<QPushButton*>(name); }
    QStringList PlanRows() {
        QStringList rows;
        QAbstractItemModel* m = View()->GetListCtrl()->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->data(m->index(r, c)).toString();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        // judgements are asked for at every completed step
        CTestProperty::WriteIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, "0");
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, Operator());
        QVERIFY(CVzrT8100App::Instance()->StartUp());
        QVERIFY(CVzrT8100App::Instance()->GetCntl().IsConnected());
        QVERIFY(Main() && Main()->isVisible());
        Main()->resize(1100, 720);
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void init() { g_faults.clear(); }
    void cleanup() { QVERIFY2(g_faults.isEmpty(), qPrintable(g_faults.join(QLatin1Char('\n')))); }

    void roadOfOneTest() {
        // a new document with its one default condition
        QCOMPARE(Main()->windowTitle(), QString("VZR-T8100 - [Test1]"));
        QCOMPARE(PlanRows().size(), 1);

        // the default condition made to discharge by itself: trigger VZR, 2 x 0.05 s
        WhenModal<CSettingsDlg>([](CSettingsDlg* dlg) {
            choose(dlg, "comboTrig", "VZR");
            type(dlg, "editInterval", "0.05");
            type(dlg, "editCount", "2");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        ViewButton("buttonEdit")->click();
        // an AIR condition
        WhenModal<CSettingsDlg>([](CSettingsDlg* dlg) {
            choose(dlg, "comboDiscMode", "AIR");
            choose(dlg, "comboTrig", "VZR");
            type(dlg, "editVoltage", "2");
            type(dlg, "editCount", "2");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        ViewButton("buttonAdd")->click();
        // a CONTACT sweep 0.20, 0.30, 0.40 kV
        WhenModal<CSettingsDlg>([](CSettingsDlg* dlg) {
            choose(dlg, "comboTrig", "VZR");
            dlg->findChild<QCheckBox*>("checkSweep")->click();
            type(dlg, "editEnd", "0.4");
            type(dlg, "editInterval", "0.05");
            type(dlg, "editCount", "1");
            look(dlg, "condition-dialog");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        ViewButton("buttonAdd")->click();
        const QStringList plan = PlanRows();
        QCOMPARE(plan.size(), 3);
        QCOMPARE(plan.at(0), QString("Test No.  1|CONTACT|IEC LEVEL X|VZR|+|0.20|0.05|2"));
        QCOMPARE(plan.at(1), QString("Test No.  2|AIR|IEC LEVEL X|VZR|+|2.00|------|2"));
        QVERIFY2(plan.at(2).contains("0.40"), qPrintable(plan[2]));
        CVzrT8100Doc* doc = View()->GetDocument();
        QCOMPARE(doc->GetExecList().size(), size_t(1 + 1 + 3));
        QVERIFY(doc->IsModified());

        // saved under a name, closed, opened again
        const QString path = m_dir.filePath("road.vzt");
        answerFileDialog(path);
        Main()->findChild<QAction*>("actionFileSaveAs")->trigger();
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(Main()->windowTitle(), QString("VZR-T8100 - [road.vzt]"));
        Main()->findChild<QAction*>("actionFileClose")->trigger();
        QTRY_VERIFY(Main()->GetMdiArea()->subWindowList().isEmpty());
        QCOMPARE(Main()->windowTitle(), QString("VZR-T8100"));
        answerFileDialog(path);
        Main()->findChild<QAction*>("actionFileOpen")->trigger();
        QTRY_VERIFY(Main()->ActiveFrame() != nullptr);
        QCOMPARE(PlanRows(), plan);
        doc = View()->GetDocument();
        QVERIFY(!doc->IsModified());
        look(Main(), "main-window-small");
        if (!qEnvironmentVariableIsEmpty("VZR_SCREENSHOT_DIR")) {
            // the plan filling the window, as an operator keeps it
            Main()->ActiveFrame()->showMaximized();
            look(Main(), "main-window");
            Main()->ActiveFrame()->showNormal();
        }

        // run: the environment dialog, then the execution dialog; the button returns once
        // the execution dialog has closed
        RunDriver driver;
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        ViewButton("buttonRun")->click();
        const qint64 after = QDateTime::currentSecsSinceEpoch();
        QVERIFY2(driver.m_strFailure.isEmpty(), qPrintable(driver.m_strFailure));
        QVERIFY(driver.m_bEnvironmentSeen);
        QCOMPARE(driver.m_strOperator, Operator());
        QCOMPARE(driver.m_listJudgePresets, QStringList(5, QStringLiteral("A")));
        QVERIFY2(driver.m_listBoxes.contains(L("試験が終了しました。", "The test has finished.")),
                 qPrintable(driver.m_listBoxes.join(" / ")));
        QVERIFY(driver.m_listBoxes.contains(L("試験結果が存在します。\nレポートを作成しますか？",
                                              "There are test results.\nDo you want to create a "
                                              "report?")));
        const std::int64_t tested = CVzrT8100App::Instance()->GetProperty().m_tmTest;
        QVERIFY(tested >= before && tested <= after);

        // the judgements stay in the run list; running did not change the document
        const CExecList& steps = doc->GetExecList();
        QCOMPARE(steps.size(), size_t(5));
        const QList<qint32> judged = {JUDGE_A, JUDGE_B, JUDGE_A, JUDGE_A, JUDGE_C};
        for (size_t i = 0; i < steps.size(); ++i)
            QCOMPARE(steps[i]->m_nJudge, judged[int(i)]);
        QCOMPARE(steps[1]->m_strComment, Comment());
        QVERIFY(!doc->IsModified());
        // every step went to the instrument as its own parameters
        const QStringList log = g_sim->CommandLog();
        QCOMPARE(log.filter(QRegularExpression("^PH")).size(), 5);
        QVERIFY(log.contains("PH1")); // the AIR step

        // the report, handed to the desktop, read back by the independent reader
        QCOMPARE(m_catcher.m_urls.size(), 1);
        const QString report = m_catcher.m_urls.first().toLocalFile();
        QVERIFY(report.endsWith(".xlsx"));
        const QJsonObject book = ReportTest::ReadWorkbook(report);
        const QJsonArray sheets = book.value("sheets").toArray();
        QCOMPARE(sheets.size(), 3);
        QCOMPARE(sheets[0].toObject().value("name").toString(), L("試験条件", "Test Conditions"));
        QCOMPARE(sheets[1].toObject().value("name").toString(), L("試験内容", "Test Results"));
        const QJsonObject conditions = sheets[0].toObject().value("cells").toObject();
        const QJsonObject results = sheets[1].toObject().value("cells").toObject();
        auto cell = [](const QJsonObject& cells, const char* name) {
            return cells.value(QLatin1String(name)).toObject().value("value").toString();
        };
        QCOMPARE(cell(conditions, "C16"), Operator());
        QCOMPARE(cell(conditions, "B16"), L("試験者名", "Operator"));
        QCOMPARE(cell(conditions, "H14"),
                 QDateTime::fromSecsSinceEpoch(tested).toString("yyyy/MM/dd"));
        QCOMPARE(cell(conditions, "A23"), QString("Test No.   1"));
        QCOMPARE(cell(conditions, "B24"), QString("AIR"));
        QCOMPARE(cell(conditions, "A25"), QString("Test No.   3"));
        QVERIFY(cell(conditions, "A26").isEmpty());
        QCOMPARE(cell(results, "A15"), QString("Step No.   5"));
        QStringList judgements;
        for (const char* name : {"J11", "J12", "J13", "J14", "J15"})
            judgements << cell(results, name);
        QCOMPARE(judgements, (QStringList{"A", "B", "A", "A", "C"}));
        QCOMPARE(cell(results, "K12"), Comment());
        QCOMPARE(cell(results, "J10"), L("判定", "Judgement"));
        QCOMPARE(cell(results, "K10"), L("コメント", "Comment"));
        QCOMPARE(cell(results, "B11"), QString("CONTACT")); // the data's values as they are
        if (g_english) {
            for (const QJsonValue& sheet : sheets) {
                const QJsonObject cells = sheet.toObject().value("cells").toObject();
                for (auto it = cells.begin(); it != cells.end(); ++it) {
                    const QString value = it.value().toObject().value("value").toString();
                    QVERIFY2(!visible::HasJapanese(value), qPrintable(it.key() + ": " + value));
                }
            }
        }
        QCOMPARE(cell(results, "F15"), QString("0.40"));
        const QString shots = qEnvironmentVariable("VZR_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            QFile::copy(report, QDir(shots).filePath("report.xlsx"));
    }

    // The names the operator is told to look for.
    void namesTheOperatorReliesOn() {
        const std::pair<const char*, QString> buttons[] = {
            {"buttonRun", L("試験実行...", "Run Test...")},
            {"buttonAdd", L("追加...", "Add...")},
            {"buttonDelete", L("削除...", "Delete...")},
            {"buttonEdit", L("試験条件設定...", "Edit Condition...")}};
        for (const auto& [name, text] : buttons)
            QCOMPARE(ViewButton(name)->text(), text);
        CVzrT8100App* app = CVzrT8100App::Instance();
        CVzrT8100Doc* doc = View()->GetDocument();
        CSettingData condition;
        CSettingsDlg conditionDlg(condition);
        CTestInfoDlg environment(app->GetProperty());
        CJudgeDlg judgement;
        CExecDlg exec(app->GetCntl(), app->GetProperty(), &doc->GetSettingList(),
                      &doc->GetExecList(), doc->TestPoints());
        QCOMPARE(conditionDlg.windowTitle(), L("試験設定", "Test Condition"));
        QCOMPARE(environment.windowTitle(), L("試験環境", "Test Environment"));
        QCOMPARE(judgement.windowTitle(), L("判定", "Judgement"));
        QCOMPARE(exec.windowTitle(), L("試験実行", "Test Run"));
        const std::pair<const char*, QString> execButtons[] = {
            {"buttonStart", "START"},
            {"buttonStop", "STOP"},
            {"buttonTrig", "TRIG"},
            {"buttonReport", L("レポート作成...", "Create Report...")},
            {"buttonPdf", L("PDF作成...", "Create PDF...")},
            {"buttonClose", L("閉じる", "Close")}};
        for (const auto& [name, text] : execButtons)
            QCOMPARE(exec.findChild<QPushButton*>(name)->text(), text);
    }

    // The windows off the road, each looked at and answered No.
    void everyOtherWindow() {
        const std::pair<const char*, const char*> dialogs[] = {
            {"actionOption", "options-dialog"},
            {"actionRemote", "connection-dialog"},
            {"actionAppAbout", "about-dialog"}};
        for (const auto& [action, name] : dialogs) {
            WhenModal<QDialog>([name](QDialog* dlg) {
                look(dlg, name);
                dlg->reject();
            });
            Main()->findChild<QAction*>(action)->trigger();
        }
        auto cancelNextBox = [](const char* name) {
            WhenModal<QMessageBox>([name](QMessageBox* box) {
                look(box, name);
                QTest::keyClick(box, Qt::Key_Escape);
            });
        };
        WhenModal<CTestInfoDlg>([cancelNextBox](CTestInfoDlg* dlg) {
            cancelNextBox("save-question");
            dlg->findChild<QPushButton*>("buttonSave")->click();
            dlg->reject();
        });
        Main()->findChild<QAction*>("actionTestInfo")->trigger();
        WhenModal<CTestPointDlg>([](CTestPointDlg* dlg) {
            look(dlg, "test-points-dialog");
            dlg->reject();
        });
        ViewButton("buttonTestPoints")->click();
        View()->GetListCtrl()->selectRow(0);
        cancelNextBox("delete-question");
        ViewButton("buttonDelete")->click();
        cancelNextBox("sequence-question");
        ViewButton("buttonSendSequence")->click();
        QCOMPARE(PlanRows().size(), 3); // nothing was deleted
        // the windows of the start-up
        COpeningDlg opening;
        opening.show();
        look(&opening, "opening-window");
        CTypeSelectDlg failure;
        failure.show();
        look(&failure, "communication-check");
    }
};

int main(int argc, char** argv) {
    // "--lang en": the road in English ("--lang ja", the default, in Japanese)
    if (argc >= 3 && qstrcmp(argv[1], "--lang") == 0) {
        g_english = qstrcmp(argv[2], "en") == 0;
        argv[2] = argv[0];
        argc -= 2;
        argv += 2;
    }
    return simulated::RunWithApplication<CVzrT8100App, TestRoadOfOneTest>(
        argc, argv, true, &g_sim, g_english ? CLanguage::ENGLISH : CLanguage::JAPANESE);
}

#include "tst_e2e_road.moc"
