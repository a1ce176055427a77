// The run record in the whole program: a copy of the program (this executable with --child)
// starts on a data file, runs it from the plan view's "試験実行..." through the environment
// and execution dialogs on the simulated instrument, and is killed with SIGKILL in the
// middle of a step; the program started again on the file offers the run back (No the
// default), and Yes restores every judgement and comment entered before the kill.
#include "common/SimulatedInstrument.h"
#include "common/WhenModal.h"
#include "dialogs/CTestInfoDlg.h"
#include "execution/CExecDlg.h"
#include "execution/RunFixture.h"
#include "plan/CVzrT8100View.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CVzrT8100App.h"

#include "data/SelectTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>

namespace {

constexpr int WAIT_MS = 120000; // far beyond need: a run that never ends fails

CVzrT8100View* View() {
    CMainFrame* main = CVzrT8100App::Instance()->GetMainFrame();
    return main && main->ActiveFrame() ? qobject_cast<CVzrT8100View*>(main->ActiveFrame()->widget())
                                       : nullptr;
}

QString StepState(const CExecData& step) {
    return QStringLiteral("%1|%2").arg(step.m_nJudge).arg(step.m_strComment);
}

// Two short CONTACT steps, one that discharges for a quarter of a minute, an AIR step.
std::unique_ptr<CVzrT8100Doc> KillPlan() {
    std::vector<std::unique_ptr<CSettingData>> conds;
    conds.push_back(run::Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 2));
    conds.push_back(run::Condition(DISC_CONTACT, TRIG_VZR, 3000, 1000, 60, POLA_BIT_PLUS));
    conds.push_back(run::Condition(DISC_AIR, TRIG_VZR, 4000, 1000, 1, POLA_BIT_PLUS));
    return run::Plan(std::move(conds));
}

// The operator of the killed program, watching it every 10 ms: confirms the environment,
// starts the run with automatic judgement, prints every change of a step's judgement or
// comment once it is made, enters a judgement and a comment with 確定 while the third step
// discharges, and then asks to be killed.
class ChildOperator {
public:
    ChildOperator() : m_out(stdout) {}

private:
    bool Look(QWidget* modal) {
        if (auto* info = qobject_cast<CTestInfoDlg*>(modal)) {
            info->findChild<QPushButton*>("buttonOk")->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_out << "BOX " << box->text().replace('\n', ' ') << Qt::endl;
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click()
                                         : box->escapeButton()->click();
        } else if (auto* exec = qobject_cast<CExecDlg*>(modal)) {
            Exec(exec);
            return false; // looked at on every tick
        }
        return true;
    }

    void Exec(CExecDlg* exec) {
        auto* start = exec->findChild<QPushButton*>("buttonStart");
        if (!m_bStarted) {
            if (exec->Record() && start->isEnabled()) {
                m_bStarted = true;
                start->click();
            }
            return;
        }
        const CExecList& steps = View()->GetDocument()->GetExecList();
        m_listPrinted.resize(int(steps.size()));
        for (size_t i = 0; i < steps.size(); ++i) {
            const QString state = StepState(*steps[i]);
            if (state != m_listPrinted[int(i)]) {
                m_listPrinted[int(i)] = state;
                m_out << "STEP " << i << ' ' << state << Qt::endl;
            }
        }
        if (!m_bApplied && exec->Sequencer().CurrentStep() == 2 &&
            exec->findChild<QLabel*>("labelTrigOn")->isVisible()) {
            m_bApplied = true;
            SelectComboByValue(exec->findChild<QComboBox*>("comboJudge"), JUDGE_B);
            exec->findChild<QLineEdit*>("editComment")->setText(QStringLiteral("放電中, \"確定\""));
            exec->findChild<QPushButton*>("buttonApply")->click();
            return; // printed on the next look
        }
        if (m_bApplied && m_listPrinted[2].startsWith(QString::number(JUDGE_B)))
            m_out << "KILL" << Qt::endl;
    }

    QTextStream m_out;
    QStringList m_listPrinted;
    bool m_bStarted = false;
    bool m_bApplied = false;
    CModalWatcher m_watch{[this](QWidget* modal) { return Look(modal); }, 10};
};

// The operator of the program started again: confirms the environment, answers the
// restore question Yes, keeps what the run list then holds, and closes the execution
// dialog (No to the report).
class RestoreOperator {
public:
    QList<BoxSeen> m_listBoxes;
    QStringList m_listStates;

private:
    bool Look(QWidget* modal) {
        if (auto* info = qobject_cast<CTestInfoDlg*>(modal)) {
            info->findChild<QPushButton*>("buttonOk")->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_listBoxes << BoxSeen::Of(box);
            const bool restore = box->text().startsWith(QStringLiteral("前回の試験結果"));
            box->button(restore ? QMessageBox::Yes : QMessageBox::No)->click();
        } else if (auto* exec = qobject_cast<CExecDlg*>(modal)) {
            if (!exec->Record())
                return false; // the question has not been asked yet
            for (const auto& step : View()->GetDocument()->GetExecList())
                m_listStates << StepState(*step);
            QTimer::singleShot(0, exec,
                               [exec] { exec->findChild<QPushButton*>("buttonClose")->click(); });
        }
        return true;
    }

    CModalWatcher m_watch{[this](QWidget* modal) { return Look(modal); }};
};

int RunChild(int argc, char** argv) {
    CVzrT8100Sim sim;
    if (!simulated::Start(sim, true))
        return 3;
    CTestProperty::WriteIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, "1");
    CVzrT8100App app(argc, argv);
    QTextStream(stdout) << "HOME " << qEnvironmentVariable("HOME") << Qt::endl;
    if (!app.StartUp({QString::fromLocal8Bit(argv[2])}) || !View())
        return 4;
    ChildOperator op;
    QTimer::singleShot(0, [] { View()->findChild<QPushButton*>("buttonRun")->click(); });
    return app.exec();
}

} // namespace

class TestRecordInTheProgram : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void killedInTheMiddleOfARunAndStartedAgain() {
        const QString path = m_dir.filePath("kill.vzt");
        QString error;
        QVERIFY2(KillPlan()->SaveFile(path, &error), qPrintable(error));

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--child", path});
        QVERIFY(child.waitForStarted());
        QMap<int, QString> printed; // the last state printed for each step
        QString childHome;
        bool kill = false;
        QElapsedTimer timer;
        timer.start();
        while (!kill && timer.elapsed() < WAIT_MS && child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
            while (child.canReadLine()) {
                const QString line = QString::fromUtf8(child.readLine()).chopped(1);
                if (line.startsWith("HOME "))
                    childHome = line.mid(5);
                else if (line.startsWith("STEP "))
                    printed[line.section(' ', 1, 1).toInt()] = line.section(' ', 2, -1);
                else if (line == "KILL")
                    kill = true;
            }
        }
        QVERIFY2(kill, child.readAllStandardError().constData());
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        // the killed copy's own temporary world
        const QFileInfo home(childHome);
        if (home.fileName() == "home" && QFileInfo(home.path()).fileName().startsWith("vzr-test-"))
            QDir(home.path()).removeRecursively();
        QCOMPARE(printed.value(0), QStringLiteral("%1|").arg(JUDGE_A));
        QCOMPARE(printed.value(1), QStringLiteral("%1|").arg(JUDGE_A));
        QCOMPARE(printed.value(2), QStringLiteral("%1|放電中, \"確定\"").arg(JUDGE_B));

        // started again on the file
        QVERIFY(CVzrT8100App::Instance()->StartUp({path}));
        QVERIFY(View());
        RestoreOperator op;
        View()->findChild<QPushButton*>("buttonRun")->click();
        QCOMPARE(op.m_listBoxes.size(), 2);
        QVERIFY2(op.m_listBoxes.first().text.contains("判定 3 件"),
                 qPrintable(op.m_listBoxes.first().text));
        QCOMPARE(op.m_listBoxes.first().defaultButton, QMessageBox::No);
        QCOMPARE(op.m_listBoxes.last().text,
                 QString("試験結果が存在します。\nレポートを作成しますか？"));
        QStringList expected;
        for (int i = 0; i < 4; ++i)
            expected << printed.value(i, StepState(CExecData()));
        QCOMPARE(op.m_listStates, expected);
        // the restored run list is the document's until it is closed
        const CExecList& steps = View()->GetDocument()->GetExecList();
        QCOMPARE(steps[2]->m_strComment, QString("放電中, \"確定\""));
        QCOMPARE(QDir(m_dir.filePath("kill.runs")).entryList({"*.csv"}, QDir::Files).size(), 2);
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv);
    return simulated::RunWithApplication<CVzrT8100App, TestRecordInTheProgram>(argc, argv, true);
}

#include "tst_e2e_record.moc"
