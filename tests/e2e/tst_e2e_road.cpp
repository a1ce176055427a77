// The road of one test in the real program against the simulated instrument: start, a new
// plan made through the condition dialog, saved, closed and opened again, run through the
// environment and execution dialogs with judgements, and the report read back by the
// independent reader. With VZR_SCREENSHOT_DIR set (scripts/screenshots, under Xvfb), the
// windows are also photographed on the way.
#include "CVzrT8100Sim.h"
#include "common/CNumberBox.h"
#include "common/SimulatedInstrument.h"
#include "common/UrlCatcher.h"
#include "common/WhenModal.h"
#include "data/CVzrT8100Doc.h"
#include "dialogs/CTestInfoDlg.h"
#include "execution/CExecDlg.h"
#include "execution/CJudgeDlg.h"
#include "plan/CPlanListCtrl.h"
#include "plan/CSettingsDlg.h"
#include "plan/CVzrT8100View.h"
#include "report/ReportTestUtil.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
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

// Photographs a window when screenshots are asked for.
void photograph(QWidget* window, const char* name) {
    const QString dir = qEnvironmentVariable("VZR_SCREENSHOT_DIR");
    if (dir.isEmpty() || !window)
        return;
    QDir().mkpath(dir);
    QApplication::processEvents();
    window->grab().save(QDir(dir).filePath(QLatin1String(name) + QStringLiteral(".png")));
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
    QVERIFY(QTest::qWaitForWindowActive(dlg)); // focus moves reach only the active window
    box->setFocus(Qt::TabFocusReason);
    box->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(box, text);
    dlg->findChild<QWidget*>("buttonCancel")->setFocus(Qt::TabFocusReason);
}

// Answers a file dialog with a path.
void answerFileDialog(const QString& path) {
    WhenModal<QFileDialog>([path](QFileDialog* dlg) {
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
            if (n == 2 || n == 5) {
                combo->setCurrentIndex(combo->findText(n == 2 ? "B" : "C"));
                if (n == 2)
                    judge->findChild<QLineEdit*>("editComment")->setText("放電後に再起動");
            }
            judge->findChild<QPushButton*>("buttonOk")->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_listBoxes << box->text();
            const bool report = box->standardButtons().testFlag(QMessageBox::Yes);
            box->button(report ? QMessageBox::Yes : QMessageBox::Ok)->click();
            if (box->text() == QStringLiteral("試験が終了しました。"))
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
            photograph(exec, "execution-dialog");
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
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, "山田");
        QVERIFY(CVzrT8100App::Instance()->StartUp());
        QVERIFY(CVzrT8100App::Instance()->GetCntl().IsConnected());
        QVERIFY(Main() && Main()->isVisible());
        Main()->resize(1100, 720);
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

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
            photograph(dlg, "condition-dialog");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        ViewButton("buttonAdd")->click();
        const QStringList plan = PlanRows();
        QCOMPARE(plan.size(), 3);
        QVERIFY2(plan.at(0).startsWith("Test No.  1|CONTACT|IEC LEVEL X|VZR"), qPrintable(plan[0]));
        QVERIFY2(plan.at(1).startsWith("Test No.  2|AIR|"), qPrintable(plan[1]));
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
        if (!qEnvironmentVariableIsEmpty("VZR_SCREENSHOT_DIR")) {
            // the plan filling the window, as an operator keeps it
            Main()->ActiveFrame()->showMaximized();
            photograph(Main(), "main-window");
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
        QCOMPARE(driver.m_strOperator, QString("山田"));
        QCOMPARE(driver.m_listJudgePresets, QStringList(5, QStringLiteral("A")));
        QVERIFY2(driver.m_listBoxes.contains("試験が終了しました。"),
                 qPrintable(driver.m_listBoxes.join(" / ")));
        QVERIFY(driver.m_listBoxes.contains("試験結果が存在します。\nレポートを作成しますか？"));
        const std::int64_t tested = CVzrT8100App::Instance()->GetProperty().m_tmTest;
        QVERIFY(tested >= before && tested <= after);

        // the judgements stay in the run list; running did not change the document
        const CExecList& steps = doc->GetExecList();
        QCOMPARE(steps.size(), size_t(5));
        const QList<qint32> judged = {JUDGE_A, JUDGE_B, JUDGE_A, JUDGE_A, JUDGE_C};
        for (size_t i = 0; i < steps.size(); ++i)
            QCOMPARE(steps[i]->m_nJudge, judged[int(i)]);
        QCOMPARE(steps[1]->m_strComment, QString("放電後に再起動"));
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
        QCOMPARE(sheets[0].toObject().value("name").toString(), QString("試験条件"));
        QCOMPARE(sheets[1].toObject().value("name").toString(), QString("試験内容"));
        const QJsonObject conditions = sheets[0].toObject().value("cells").toObject();
        const QJsonObject results = sheets[1].toObject().value("cells").toObject();
        auto cell = [](const QJsonObject& cells, const char* name) {
            return cells.value(QLatin1String(name)).toObject().value("value").toString();
        };
        QCOMPARE(cell(conditions, "C16"), QString("山田"));
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
        QCOMPARE(cell(results, "K12"), QString("放電後に再起動"));
        QCOMPARE(cell(results, "F15"), QString("0.40"));
        const QString shots = qEnvironmentVariable("VZR_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            QFile::copy(report, QDir(shots).filePath("report.xlsx"));
    }
};

int main(int argc, char** argv) {
    return simulated::RunWithApplication<CVzrT8100App, TestRoadOfOneTest>(argc, argv, true, &g_sim);
}

#include "tst_e2e_road.moc"
