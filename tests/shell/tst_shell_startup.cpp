// Start-up of the application object, one scenario per process (one QApplication each).
#include "CVzrT8100Sim.h"
#include "common/ChildProcess.h"
#include "common/WhenModal.h"
#include "data/CVzrT8100Doc.h"
#include "dialogs/CPropertyDlg.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CTestInfoDlg.h"
#include "link/CSerialPortTable.h"
#include "settings/CTestProperty.h"
#include "shell/CMainFrame.h"
#include "shell/COpeningDlg.h"
#include "shell/CTypeSelectDlg.h"
#include "shell/CVzrT8100App.h"

#include <QAction>
#include <QLineEdit>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

QTemporaryDir* g_configDir = nullptr;
QTemporaryDir* g_runtimeDir = nullptr;
CVzrT8100Sim* g_sim = nullptr;
int g_searchEnqs = 0; // ENQs the simulator saw during the search at construction

// Answers the start-up's windows as they come up, from a watch that runs in their loops.
class WindowDriver {
public:
    QStringList m_listChoices; // "retry", "plugRetry", "start", "exit", "enter", "esc"
    int m_nFailureDialogs = 0;
    bool m_bOpeningSeen = false;
    bool m_bOpeningWithFailure = false;
    QList<BoxSeen> m_listBoxes;
    QStringList Texts() const {
        QStringList texts;
        for (const BoxSeen& box : m_listBoxes)
            texts << box.text;
        return texts;
    }

    WindowDriver() {
        m_watch.everyTick = [this] {
            m_bOpening = false;
            for (QWidget* w : QApplication::topLevelWidgets())
                m_bOpening |= qobject_cast<COpeningDlg*>(w) && w->isVisible();
            m_bOpeningSeen |= m_bOpening;
        };
    }

private:
    bool Look(QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_listBoxes.append(BoxSeen::Of(box));
            QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
            return true;
        }
        auto* dlg = qobject_cast<CTypeSelectDlg*>(modal);
        if (!dlg)
            return false;
        ++m_nFailureDialogs;
        m_bOpeningWithFailure |= m_bOpening;
        const QString choice =
            m_listChoices.isEmpty() ? QStringLiteral("exit") : m_listChoices.takeFirst();
        QTimer::singleShot(0, dlg, [this, dlg, choice] {
            if (choice == QLatin1String("enter"))
                QTest::keyClick(dlg, Qt::Key_Return);
            else if (choice == QLatin1String("esc"))
                QTest::keyClick(dlg, Qt::Key_Escape);
            else if (choice == QLatin1String("plugRetry")) {
                // the cable is plugged in while the dialog is up
                g_sim->SetSilent(false);
                dlg->findChild<QPushButton*>(QStringLiteral("buttonRetry"))->click();
            } else if (choice == QLatin1String("retry"))
                dlg->findChild<QPushButton*>(QStringLiteral("buttonRetry"))->click();
            else if (choice == QLatin1String("start"))
                dlg->findChild<QPushButton*>(QStringLiteral("buttonStart"))->click();
            else
                dlg->findChild<QPushButton*>(QStringLiteral("buttonExit"))->click();
            // the same dialog comes up again after a retry
            m_watch.Forget();
        });
        return true;
    }

    bool m_bOpening = false;
    CModalWatcher m_watch{[this](QWidget* modal) { return Look(modal); }};
};

// The real program in its own process, sharing our runtime and configuration folders,
// until it holds the single-instance lock.
void startFirstCopy(QProcess& proc) {
    proc.setProcessChannelMode(QProcess::ForwardedChannels);
    proc.start(BuildProgram("vzr-t8100"), {QStringLiteral("--simulate")});
    QVERIFY2(proc.waitForStarted(), qPrintable(proc.errorString()));
    QVERIFY2(WaitUntilItHolds(proc, CVzrT8100App::InstanceLockPath()),
             "the first copy ended before it took the lock");
}

bool holdsLock(qint64 pid) {
    qint64 owner = 0;
    QString host, app;
    QLockFile probe(CVzrT8100App::InstanceLockPath());
    return probe.getLockInfo(&owner, &host, &app) && owner == pid;
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

    CVzrT8100App& app() { return *CVzrT8100App::Instance(); }

    void checkMainWindowUp() {
        CMainFrame* frame = app().GetMainFrame();
        QVERIFY(frame);
        QVERIFY(frame->isVisible());
        QVERIFY(frame->windowState().testFlag(Qt::WindowMaximized));
        // the settings were loaded at the end
        QCOMPARE(app().GetProperty().m_strGunModel, QString("HV-TEST"));
        QCOMPARE(app().GetProperty().m_strCupModel, QString("14-20385C"));
    }
    void checkNothingUp() {
        QVERIFY(!app().GetMainFrame());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible() || !qobject_cast<QMainWindow*>(w), "a main window is up");
        // the settings were not loaded
        QCOMPARE(app().GetProperty().m_strGunModel, QString());
    }

private slots:
    void instrumentPresent() {
        QVERIFY(app().GetCntl().IsConnected());
        QCOMPARE(app().GetProperty().m_strGunModel, QString()); // loaded only at the end
        const int enqs = g_sim->EnqCount();
        WindowDriver driver;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(app().StartUp());
        QVERIFY(timer.elapsed() >= CVzrT8100App::MIN_OPENING_MS);
        QCOMPARE(driver.m_nFailureDialogs, 0);
        QVERIFY(driver.m_bOpeningSeen);
        QCOMPARE(g_sim->EnqCount(), enqs); // no second search
        checkMainWindowUp();
        QVERIFY(app().GetCntl().IsConnected());
        // a new document, no file
        const QList<QMdiSubWindow*> windows = app().GetMainFrame()->GetMdiArea()->subWindowList();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(app().GetMainFrame()->windowTitle(), QString("VZR-T8100 - [Test1]"));
        QVERIFY(holdsLock(QCoreApplication::applicationPid()));
        // the standard buttons speak Japanese, the dialogs' faces are at hand
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("キャンセル"));
        QCOMPARE(QFontInfo(QFont("ＭＳ ゴシック")).family(), QString("IPAGothic"));
        QCOMPARE(QFontInfo(QFont("MS UI Gothic")).family(), QString("IPAPGothic"));
        QCOMPARE(app().ShutDown(), 0);
        QVERIFY(
            !QLockFile(CVzrT8100App::InstanceLockPath()).getLockInfo(nullptr, nullptr, nullptr));
    }

    // The Options menu opens its three dialogs on the program's settings and instrument.
    void optionsMenu() {
        QVERIFY(app().StartUp());
        CMainFrame* frame = app().GetMainFrame();
        auto open = [frame](const char* action, std::function<void(QDialog*)> act) {
            bool seen = false;
            WhenModal<QDialog>([&](QDialog* dlg) {
                seen = true;
                QVERIFY(dlg->isModal());
                QCOMPARE(dlg->parentWidget(), frame);
                act(dlg);
            });
            QAction* a = frame->findChild<QAction*>(QLatin1String(action));
            QVERIFY(a && a->isEnabled());
            a->trigger();
            QVERIFY2(seen, action);
        };
        auto edit = [](QDialog* dlg, const char* name) {
            return dlg->findChild<QLineEdit*>(QLatin1String(name));
        };
        open("actionOption", [&](QDialog* dlg) {
            QVERIFY(qobject_cast<CPropertyDlg*>(dlg));
            QCOMPARE(edit(dlg, "editGunModel")->text(), QString("HV-TEST"));
            edit(dlg, "editCompany")->setText("Valdmark");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        QCOMPARE(app().GetProperty().m_strCompanyName, QString("Valdmark"));
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, ""),
                 QString("Valdmark"));
        open("actionTestInfo", [&](QDialog* dlg) {
            QVERIFY(qobject_cast<CTestInfoDlg*>(dlg));
            QCOMPARE(edit(dlg, "editTestDate")->text(), QString("----"));
            edit(dlg, "editTemperature")->setText("21.0 ℃");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        QCOMPARE(app().GetProperty().m_strTemperature, QString("21.0 ℃"));
        QCOMPARE(app().GetProperty().m_tmTest, std::int64_t(0));
        open("actionRemote", [&](QDialog* dlg) {
            QVERIFY(qobject_cast<CRemoteDlg*>(dlg));
            QCOMPARE(edit(dlg, "editState")->text(), QString("Connect"));
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        QVERIFY(app().GetCntl().IsConnected());
        app().ShutDown();
    }

    void retryThenStart() {
        QVERIFY(!app().GetCntl().IsConnected());
        QVERIFY(g_searchEnqs > 0);
        WindowDriver driver;
        driver.m_listChoices = {"retry", "retry", "retry", "start"};
        QVERIFY(app().StartUp());
        QCOMPARE(driver.m_nFailureDialogs, 4);
        QVERIFY(driver.m_bOpeningSeen);
        QVERIFY(!driver.m_bOpeningWithFailure);
        // construction, before the first dialog, after each of three retries
        QCOMPARE(g_sim->EnqCount(), 5 * g_searchEnqs);
        QVERIFY(!app().GetCntl().IsConnected());
        checkMainWindowUp();
        app().ShutDown();
    }

    void retryFindsInstrument() {
        WindowDriver driver;
        driver.m_listChoices = {"plugRetry"};
        QVERIFY(app().StartUp());
        QCOMPARE(driver.m_nFailureDialogs, 1);
        QVERIFY(app().GetCntl().IsConnected());
        checkMainWindowUp();
        app().ShutDown();
    }

    void exitEnds() {
        WindowDriver driver;
        driver.m_listChoices = {"exit"};
        QVERIFY(!app().StartUp());
        QCOMPARE(driver.m_nFailureDialogs, 1);
        QCOMPARE(g_sim->EnqCount(), 2 * g_searchEnqs);
        checkNothingUp();
        app().ShutDown();
        QVERIFY(!holdsLock(QCoreApplication::applicationPid()));
    }

    void enterStarts() {
        WindowDriver driver;
        driver.m_listChoices = {"enter"};
        QVERIFY(app().StartUp());
        QCOMPARE(driver.m_nFailureDialogs, 1);
        checkMainWindowUp();
        app().ShutDown();
    }

    void escEnds() {
        WindowDriver driver;
        driver.m_listChoices = {"esc"};
        QVERIFY(!app().StartUp());
        QCOMPARE(driver.m_nFailureDialogs, 1);
        checkNothingUp();
        app().ShutDown();
    }

    void unattendedStarts() {
        // no display: the failure dialog cannot be answered, so it is not put up
        app().SetUnattended(true);
        WindowDriver driver;
        driver.m_listChoices = {"exit"};
        QVERIFY(app().StartUp());
        QCOMPARE(driver.m_nFailureDialogs, 0);
        QVERIFY(driver.m_listBoxes.isEmpty());
        QCOMPARE(g_sim->EnqCount(), 2 * g_searchEnqs);
        QVERIFY(!app().GetCntl().IsConnected());
        checkMainWindowUp();
        app().ShutDown();
    }

    void openFile() {
        const QString path = g_configDir->filePath("plan.vzt");
        {
            CVzrT8100Doc doc;
            QString error;
            QVERIFY2(doc.SaveFile(path, &error), qPrintable(error));
        }
        WindowDriver driver;
        driver.m_listChoices = {"start"};
        QVERIFY(app().StartUp({path}));
        QVERIFY(driver.m_listBoxes.isEmpty());
        checkMainWindowUp();
        const auto docs = app().GetMainFrame()->GetDocTemplate().Documents();
        QCOMPARE(docs.size(), size_t(1));
        QCOMPARE(docs.front()->GetPathName(), QFileInfo(path).absoluteFilePath());
        QCOMPARE(app().GetMainFrame()->windowTitle(), QString("VZR-T8100 - [plan.vzt]"));
        app().ShutDown();
    }

    void openFails() {
        const QString path = g_configDir->filePath("not-a-plan.vzt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a data file of ours");
        f.close();
        WindowDriver driver;
        QVERIFY(!app().StartUp({path}));
        // the text does not even hold the first item a data file begins with
        QCOMPARE(driver.Texts(), QStringList{QString::fromUtf8("予期しないファイル形式です。")});
        QCOMPARE(driver.m_listBoxes.first().caption, QString("VZR-T8100"));
        QCOMPARE(driver.m_listBoxes.first().icon, QMessageBox::Warning);
        QCOMPARE(driver.m_nFailureDialogs, 0);
        checkNothingUp();
        app().ShutDown();
    }

    void secondInstance() {
        QProcess first;
        startFirstCopy(first);
        WindowDriver driver;
        QVERIFY(!app().StartUp());
        QCOMPARE(driver.Texts(), QStringList{"アプリケーションはすでに起動しています。"});
        QCOMPARE(driver.m_listBoxes.first().icon, QMessageBox::Warning);
        QCOMPARE(driver.m_listBoxes.first().caption, QString("VZR-T8100"));
        QVERIFY(!driver.m_bOpeningSeen);
        QVERIFY(!app().GetMainFrame());
        app().ShutDown();
        // the first copy is untouched
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(holdsLock(first.processId()));
        EndProcess(first);
    }

    void staleLockTakenOver() {
        QProcess first;
        startFirstCopy(first);
        first.kill();
        QVERIFY(first.waitForFinished());
        QVERIFY(QFileInfo::exists(CVzrT8100App::InstanceLockPath()));
        WindowDriver driver;
        driver.m_listChoices = {"start"};
        QVERIFY(app().StartUp());
        QVERIFY(driver.m_listBoxes.isEmpty());
        QVERIFY(holdsLock(QCoreApplication::applicationPid()));
        app().ShutDown();
    }
};

int main(int argc, char** argv) {
    QString scenario = QStringLiteral("instrumentPresent");
    QStringList passOn;
    for (int i = 0; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (i > 0 && !arg.startsWith(QLatin1Char('-')))
            scenario = arg;
        else
            passOn.append(arg);
    }
    QTemporaryDir configDir, runtimeDir;
    g_configDir = &configDir;
    g_runtimeDir = &runtimeDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    qputenv("VZR_T8100_SYSTEM_PORTS", "0");
    qunsetenv("VZR_T8100_PORTS");
    CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "HV-TEST");

    CVzrT8100Sim sim;
    g_sim = &sim;
    const bool noInstrument = scenario == QLatin1String("secondInstance") ||
                              scenario == QLatin1String("staleLockTakenOver") ||
                              scenario == QLatin1String("openFile") ||
                              scenario == QLatin1String("openFails");
    if (!noInstrument) {
        if (!sim.Start()) {
            fprintf(stderr, "the simulator did not start\n");
            return 1;
        }
        sim.SetSilent(scenario != QLatin1String("instrumentPresent") &&
                      scenario != QLatin1String("optionsMenu"));
        CSerialPortTable::SetExplicitPorts({sim.PortPath()});
    } else {
        CSerialPortTable::SetExplicitPorts({});
    }

    int result = 0;
    {
        CVzrT8100App app(argc, argv);
        g_searchEnqs = sim.EnqCount();
        TestStartUp test;
        passOn.append(scenario);
        result = QTest::qExec(&test, passOn);
    }
    return result;
}

#include "tst_shell_startup.moc"
