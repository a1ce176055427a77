// The shell's dialogs, message boxes, command line and document windows, offscreen.
#include "VzrVersion.h"
#include "commands/CCommandLine.h"
#include "common/CAppResources.h"
#include "common/CMessageBox.h"
#include "common/CWaitCursor.h"
#include "common/WhenModal.h"
#include "data/CVzrT8100Doc.h"
#include "link/CVzrT8100Cntl.h"
#include "settings/CTestProperty.h"
#include "shell/CAboutDlg.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CMyDocTemplate.h"
#include "shell/COpeningDlg.h"
#include "shell/CRecentFileList.h"
#include "shell/CTypeSelectDlg.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <functional>

namespace {

QString labelText(QWidget* parent, const char* name) {
    auto* label = parent->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

class TestShellWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    // what the main window is handed (no ports: never connected)
    CVzrT8100Cntl m_cntl;
    CTestProperty m_property;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_dir->path().toLocal8Bit());
        CChildFrame::ResetFirstWindowPending();
    }

    void builtInResources() {
        for (const char* name :
             {"toolbar/new.png", "toolbar/open.png", "toolbar/save.png", "toolbar/cut.png",
              "toolbar/copy.png", "toolbar/paste.png", "toolbar/print.png", "toolbar/about.png",
              "icons/vzr-t8100-32.png"}) {
            const QString path = CAppResources::Path(name);
            QCOMPARE(path, QString(":/vzr/") + name); // no bundle beside the program
            QVERIFY2(!QImage(path).isNull(), name);
        }
        QVERIFY(!CAppResources::AppIcon().pixmap(32, 32).isNull());
    }

    // Lifted and put back while the operator is asked, the wait cursor never takes off a
    // cursor someone else put up.
    void waitCursorKeepsOthersCursors() {
        auto shape = [] {
            const QCursor* cursor = QApplication::overrideCursor();
            return cursor ? int(cursor->shape()) : -1;
        };
        QApplication::setOverrideCursor(Qt::CrossCursor);
        {
            CWaitCursor wait;
            QCOMPARE(shape(), int(Qt::WaitCursor));
            wait.Release();
            wait.Release();
            QCOMPARE(shape(), int(Qt::CrossCursor));
            wait.Again();
            wait.Again();
            QCOMPARE(shape(), int(Qt::WaitCursor));
        }
        QCOMPARE(shape(), int(Qt::CrossCursor));
        QApplication::restoreOverrideCursor();
        QCOMPARE(shape(), -1);
    }

    void viewFactory() {
        CVzrT8100Doc* seen = nullptr;
        CChildFrame::SetViewFactory([&](CVzrT8100Doc* doc, CChildFrame*) {
            seen = doc;
            auto* view = new QLabel("plan");
            view->setObjectName("planView");
            return view;
        });
        CMainFrame frame(m_cntl, m_property);
        CVzrT8100Doc* doc = frame.NewDocument();
        CChildFrame::SetViewFactory(nullptr);
        QCOMPARE(seen, doc);
        QCOMPARE(frame.ActiveFrame()->widget()->objectName(), QString("planView"));
        // without a factory of its own every window shows the plan view
        frame.NewDocument();
        QCOMPARE(frame.ActiveFrame()->widget()->objectName(), QString("planView"));
    }

    void openingDialog() {
        COpeningDlg dlg;
        QCOMPARE(labelText(&dlg, "labelTitle"), QString("VZR-T8100用\nリモートコントロールソフト"));
        QCOMPARE(labelText(&dlg, "labelVersion"), QString(VZR_VERSION_TEXT));
        QCOMPARE(labelText(&dlg, "labelVersionCaption"), QString("Version"));
        QVERIFY(!labelText(&dlg, "labelNotice").isEmpty());
        QCOMPARE(dlg.palette().color(QPalette::Window), QColor(0xE1, 0xE1, 0xE1));
        QVERIFY(dlg.autoFillBackground());
        for (const char* name : {"labelTitle", "labelVersion", "labelVersionCaption"})
            QCOMPARE(dlg.findChild<QLabel*>(name)->palette().color(QPalette::WindowText),
                     QColor(0, 0, 255));
        QVERIFY(dlg.findChild<QLabel*>("labelNotice")->palette().color(QPalette::WindowText) !=
                QColor(0, 0, 255));
        const QFont title = dlg.findChild<QLabel*>("labelTitle")->font();
        QVERIFY(title.bold());
        QCOMPARE(title.pixelSize(), 30);
        QVERIFY(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(dlg.size(), QSize(473, 293));
        dlg.ShowNow();
        QVERIFY(dlg.isVisible());
        QVERIFY(!dlg.isModal());
    }

    void typeSelectDialog() {
        CTypeSelectDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("通信確認"));
        QVERIFY(!dlg.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        const QStringList texts = {"VZR-T8100との通信に失敗しました。",
                                   "電源や通信ケーブルの接続状態を確認をしてください。",
                                   "１：アプリケーションを強制起動する場合",
                                   "・[起動]ボタンをクリックしてください",
                                   "２：もう一度VZR-T8100との接続を実行する場合",
                                   "・[再試行]ボタンをクリックしてください",
                                   "３：アプリケーションの起動を中止する場合",
                                   "・[終了]ボタンをクリックしてください"};
        QStringList shown;
        QList<QLabel*> labels = dlg.findChildren<QLabel*>();
        std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) {
            return a->mapTo(a->window(), QPoint()).y() < b->mapTo(b->window(), QPoint()).y();
        });
        for (QLabel* label : labels)
            shown.append(label->text());
        QCOMPARE(shown, texts);
        QCOMPARE(dlg.findChildren<QGroupBox*>().size(), 1);
        for (int i = 2; i < labels.size(); ++i)
            QVERIFY(dlg.findChild<QGroupBox*>()->isAncestorOf(labels.at(i)));

        auto* start = dlg.findChild<QPushButton*>("buttonStart");
        auto* retry = dlg.findChild<QPushButton*>("buttonRetry");
        auto* exit = dlg.findChild<QPushButton*>("buttonExit");
        QVERIFY(start && retry && exit);
        QCOMPARE(start->text(), QString("起動"));
        QCOMPARE(retry->text(), QString("再試行"));
        QCOMPARE(exit->text(), QString("終了"));
        QCOMPARE(start->accessibleName(), QString("起動"));
        QCOMPARE(retry->accessibleName(), QString("再試行"));
        QCOMPARE(exit->accessibleName(), QString("終了"));
        QVERIFY(start->isDefault());
        // one row along the bottom, left to right
        QCOMPARE(start->y(), retry->y());
        QCOMPARE(retry->y(), exit->y());
        QVERIFY(start->x() < retry->x() && retry->x() < exit->x());
    }

    void typeSelectChoices_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("choice");
        // the dialog's results as its callers know them: 1 start, 4 retry, 3 exit
        QTest::newRow("start") << "buttonStart" << 1;
        QTest::newRow("retry") << "buttonRetry" << 4;
        QTest::newRow("exit") << "buttonExit" << 3;
        QTest::newRow("enter") << "Return" << 1;
        QTest::newRow("esc") << "Escape" << 3;
    }
    void typeSelectChoices() {
        QFETCH(QString, action);
        QFETCH(int, choice);
        CTypeSelectDlg dlg;
        dlg.m_nResult = CTypeSelectDlg::CHOICE_RETRY; // a choice from before
        WhenModal([action](QWidget* modal) {
            if (action == "Return")
                QTest::keyClick(modal, Qt::Key_Return);
            else if (action == "Escape")
                QTest::keyClick(modal, Qt::Key_Escape);
            else
                modal->findChild<QPushButton*>(action)->click();
        });
        QCOMPARE(dlg.DoModal(), choice);
        QCOMPARE(dlg.m_nResult, choice);
    }

    void messageBoxes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::newRow("ok") << 0 << int(QMessageBox::Warning) << int(QMessageBox::Ok);
        QTest::newRow("okcancel") << 1 << int(QMessageBox::Warning)
                                  << int(QMessageBox::Ok | QMessageBox::Cancel);
        QTest::newRow("yesno") << 2 << int(QMessageBox::Question)
                               << int(QMessageBox::Yes | QMessageBox::No);
        QTest::newRow("yesnocancel")
            << 3 << int(QMessageBox::Question)
            << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
    void messageBoxes() {
        QFETCH(int, kind);
        QFETCH(int, icon);
        QFETCH(int, buttons);
        BoxSeen seen;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            seen = BoxSeen::Of(box);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        const QString message = QStringLiteral("試験が終了しました。");
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
        switch (kind) {
        case 0:
            answer = CMessageBox::Ok(message);
            break;
        case 1:
            answer = CMessageBox::OkCancel(message);
            break;
        case 2:
            answer = CMessageBox::YesNo(message);
            break;
        default:
            answer = CMessageBox::YesNoCancel(message);
            break;
        }
        QCOMPARE(seen.caption, QString("VZR-T8100"));
        QCOMPARE(seen.text, message);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(int(seen.buttons), buttons);
        // Esc answers the safe way
        const QMessageBox::StandardButton escape = kind == 0   ? QMessageBox::Ok
                                                   : kind == 2 ? QMessageBox::No
                                                               : QMessageBox::Cancel;
        QCOMPARE(answer, escape);
    }

    void aboutBox() {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(),
                 QString("バージョン情報 VZR-T8100用 リモートコントロールソフトウェア"));
        QCOMPARE(labelText(&dlg, "labelProduct"),
                 QString("VZR-T8100用 リモートコントロールソフトウェア"));
        QCOMPARE(labelText(&dlg, "labelVersion"), QString(VZR_VERSION_TEXT));
        auto* ok = dlg.findChild<QPushButton*>("buttonOk");
        QVERIFY(ok && ok->isDefault());
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QStringList>("documents");
        QTest::addColumn<bool>("simulate");
        QTest::newRow("nothing") << QStringList{} << int(CCommandLine::MODE_GUI) << QStringList{}
                                 << QStringList{} << false;
        QTest::newRow("file") << QStringList{"a.vzt"} << int(CCommandLine::MODE_GUI)
                              << QStringList{} << QStringList{"a.vzt"} << false;
        QTest::newRow("ports") << QStringList{"--port", "/dev/pts/3", "--port=/dev/ttyS0", "x.vzt"}
                               << int(CCommandLine::MODE_GUI)
                               << QStringList{"/dev/pts/3", "/dev/ttyS0"} << QStringList{"x.vzt"}
                               << false;
        QTest::newRow("simulate") << QStringList{"--simulate"} << int(CCommandLine::MODE_GUI)
                                  << QStringList{} << QStringList{} << true;
        QTest::newRow("identify") << QStringList{"--identify", "--port", "/dev/pts/9"}
                                  << int(CCommandLine::MODE_IDENTIFY) << QStringList{"/dev/pts/9"}
                                  << QStringList{} << false;
        QTest::newRow("dump") << QStringList{"--dump", "p.vzt"} << int(CCommandLine::MODE_DUMP)
                              << QStringList{} << QStringList{} << false;
        QTest::newRow("help wins")
            << QStringList{"--identify", "--help"} << int(CCommandLine::MODE_HELP) << QStringList{}
            << QStringList{} << false;
        QTest::newRow("toolkit options")
            << QStringList{"-platform", "offscreen", "-reverse", "b.vzt"}
            << int(CCommandLine::MODE_GUI) << QStringList{} << QStringList{"b.vzt"} << false;
        QTest::newRow("dashed file after --")
            << QStringList{"--", "--odd.vzt"} << int(CCommandLine::MODE_GUI) << QStringList{}
            << QStringList{"--odd.vzt"} << false;
        QTest::newRow("unknown") << QStringList{"--frobnicate"} << int(CCommandLine::MODE_ERROR)
                                 << QStringList{} << QStringList{} << false;
        QTest::newRow("port without path") << QStringList{"--port"} << int(CCommandLine::MODE_ERROR)
                                           << QStringList{} << QStringList{} << false;
        QTest::newRow("empty port") << QStringList{"--port="} << int(CCommandLine::MODE_ERROR)
                                    << QStringList{} << QStringList{} << false;
        QTest::newRow("dump without file") << QStringList{"--dump"} << int(CCommandLine::MODE_ERROR)
                                           << QStringList{} << QStringList{} << false;
        QTest::newRow("send sequence")
            << QStringList{"--send-sequence", "p.vzt", "--port", "/dev/pts/2"}
            << int(CCommandLine::MODE_SEND_SEQUENCE) << QStringList{"/dev/pts/2"} << QStringList{}
            << false;
        QTest::newRow("send sequence without file")
            << QStringList{"--send-sequence"} << int(CCommandLine::MODE_ERROR) << QStringList{}
            << QStringList{} << false;
        QTest::newRow("send sequence and another file")
            << QStringList{"--send-sequence=p.vzt", "q.vzt"} << int(CCommandLine::MODE_ERROR)
            << QStringList{} << QStringList{} << false;
        QTest::newRow("send sequence and dump")
            << QStringList{"--send-sequence", "p.vzt", "--dump", "p.vzt"}
            << int(CCommandLine::MODE_ERROR) << QStringList{} << QStringList{} << false;
        QTest::newRow("identify and dump")
            << QStringList{"--identify", "--dump", "p.vzt"} << int(CCommandLine::MODE_ERROR)
            << QStringList{} << QStringList{} << false;
        QTest::newRow("language") << QStringList{"--lang", "en", "a.vzt"}
                                  << int(CCommandLine::MODE_GUI) << QStringList{}
                                  << QStringList{"a.vzt"} << false;
        QTest::newRow("language of a mode")
            << QStringList{"--dump", "p.vzt", "--lang=ja"} << int(CCommandLine::MODE_DUMP)
            << QStringList{} << QStringList{} << false;
        QTest::newRow("another language")
            << QStringList{"--lang", "fr"} << int(CCommandLine::MODE_ERROR) << QStringList{}
            << QStringList{} << false;
        QTest::newRow("language without value")
            << QStringList{"--lang"} << int(CCommandLine::MODE_ERROR) << QStringList{}
            << QStringList{} << false;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QFETCH(QStringList, ports);
        QFETCH(QStringList, documents);
        QFETCH(bool, simulate);
        CCommandLine cmd;
        cmd.Parse(QStringList{"vzr-t8100"} + args);
        QCOMPARE(int(cmd.m_nMode), mode);
        QCOMPARE(cmd.m_strError.isEmpty(), mode != CCommandLine::MODE_ERROR);
        if (mode == CCommandLine::MODE_ERROR)
            return;
        QCOMPARE(cmd.m_listPorts, ports);
        QCOMPARE(cmd.m_listDocuments, documents);
        QCOMPARE(cmd.m_bSimulate, simulate);
        if (mode == CCommandLine::MODE_DUMP)
            QCOMPARE(cmd.m_strDumpFile, QString("p.vzt"));
        if (mode == CCommandLine::MODE_SEND_SEQUENCE)
            QCOMPARE(cmd.m_strSequenceFile, QString("p.vzt"));
        // --lang's, else the locale's (Japanese in the tests)
        QCOMPARE(int(cmd.Language()),
                 int(args.contains("en") ? CLanguage::ENGLISH : CLanguage::JAPANESE));
    }

    void docTemplateMatching() {
        const QString path = m_dir->filePath("plan.vzt");
        {
            CVzrT8100Doc doc;
            QString error;
            QVERIFY2(doc.SaveFile(path, &error), qPrintable(error));
        }
        CMyDocTemplate templ;
        CVzrT8100Doc* matched = reinterpret_cast<CVzrT8100Doc*>(1);
        QCOMPARE(templ.MatchDocType(path, matched), CMyDocTemplate::YES_ATTEMPT_NATIVE);
        QVERIFY(!matched);
        QCOMPARE(templ.MatchDocType(m_dir->filePath("plan.txt"), matched),
                 CMyDocTemplate::YES_ATTEMPT_FOREIGN);
        QCOMPARE(templ.MatchDocType(m_dir->filePath("plan"), matched),
                 CMyDocTemplate::YES_ATTEMPT_FOREIGN);

        QCOMPARE(templ.NewDocument()->GetTitle(), QString("Test1"));
        QString error;
        CVzrT8100Doc* open = templ.OpenDocument(path, &error);
        QVERIFY2(open, qPrintable(error));
        QCOMPARE(templ.MatchDocType(path, matched), CMyDocTemplate::YES_ALREADY_OPEN);
        QCOMPARE(matched, open);
        // another spelling of the same file
        QCOMPARE(templ.MatchDocType(m_dir->path() + "/./plan.vzt", matched),
                 CMyDocTemplate::YES_ALREADY_OPEN);
        // through a link too; but names differing in case are other files here
        QVERIFY(QFile::link(path, m_dir->filePath("link.vzt")));
        QCOMPARE(templ.MatchDocType(m_dir->filePath("link.vzt"), matched),
                 CMyDocTemplate::YES_ALREADY_OPEN);
        QCOMPARE(templ.MatchDocType(m_dir->filePath("PLAN.vzt"), matched),
                 CMyDocTemplate::YES_ATTEMPT_NATIVE);
        QVERIFY(!matched);
        QCOMPARE(templ.MatchDocType(m_dir->filePath("plan.VZT"), matched),
                 CMyDocTemplate::YES_ATTEMPT_FOREIGN);
        // a changed copy: the stored file opens beside it
        open->SetModifiedFlag(true);
        QCOMPARE(templ.MatchDocType(path, matched), CMyDocTemplate::YES_ATTEMPT_NATIVE);
        QVERIFY(!matched);
        CVzrT8100Doc* second = templ.OpenDocument(path, &error);
        QVERIFY(second && second != open);
        QCOMPARE(templ.MatchDocType(path, matched), CMyDocTemplate::YES_ALREADY_OPEN);
        QCOMPARE(matched, second);
        QCOMPARE(templ.NewDocument()->GetTitle(), QString("Test2"));

        QVERIFY(!templ.OpenDocument(m_dir->filePath("missing.vzt"), &error));
        QVERIFY2(error.contains("missing.vzt") && error.contains(QString::fromUtf8("開けません")),
                 qPrintable(error));
        QCOMPARE(templ.Documents().size(), size_t(4));
        templ.CloseDocument(open);
        QVERIFY(!templ.Contains(open));
        QCOMPARE(templ.Documents().size(), size_t(3));
    }

    void recentFiles() {
        CRecentFileList list;
        for (const char* name : {"a.vzt", "b.vzt", "c.vzt", "d.vzt", "e.vzt", "c.vzt"})
            list.Add(m_dir->filePath(name));
        QCOMPARE(list.Files().size(), 4);
        QCOMPARE(QFileInfo(list.Files().at(0)).fileName(), QString("c.vzt"));
        QCOMPARE(QFileInfo(list.Files().at(1)).fileName(), QString("e.vzt"));
        QCOMPARE(QFileInfo(list.Files().at(3)).fileName(), QString("b.vzt"));
        list.Save();
        QSettings profile(QSettings::NativeFormat, QSettings::UserScope, "VZR-T8100RS",
                          "VZR-T8100");
        QCOMPARE(profile.value("Recent File List/File1").toString(), m_dir->filePath("c.vzt"));
        QCOMPARE(profile.value("Recent File List/File4").toString(), m_dir->filePath("b.vzt"));
        CRecentFileList again;
        again.Load();
        QCOMPARE(again.Files(), list.Files());
        again.Remove(m_dir->filePath("e.vzt"));
        again.Save();
        list.Load();
        QCOMPARE(list.Files().size(), 3);
        QVERIFY(
            !QSettings(QSettings::NativeFormat, QSettings::UserScope, "VZR-T8100RS", "VZR-T8100")
                 .contains("Recent File List/File4"));
    }

    void mainFrameMenus() {
        CMainFrame frame(m_cntl, m_property);
        frame.show();
        const QStringList top = [&] {
            QStringList titles;
            for (QAction* a : frame.menuBar()->actions())
                if (a->isVisible())
                    titles.append(a->text());
            return titles;
        }();
        QCOMPARE(top, (QStringList{"ファイル(&F)", "表示(&V)", "オプション(&O)", "ヘルプ(&H)"}));
        auto* save = frame.findChild<QAction*>("actionFileSave");
        QVERIFY(save && !save->isVisible());
        QCOMPARE(frame.windowTitle(), QString("VZR-T8100"));
        QCOMPARE(frame.findChild<QLabel*>("labelStatusMessage")->text(), QString("レディ"));
        QStringList indicators;
        for (const char* name : {"labelIndicatorCaps", "labelIndicatorNum", "labelIndicatorScroll"})
            indicators.append(frame.findChild<QLabel*>(name)->text());
        QCOMPARE(indicators, (QStringList{"CAP", "NUM", "SCRL"}));
        auto* toolBar = frame.findChild<QToolBar*>("toolBarMain");
        QVERIFY(toolBar && !toolBar->isMovable());
        QStringList tools;
        for (QAction* a : toolBar->actions())
            tools.append(a->isSeparator() ? QString("|") : a->objectName());
        QCOMPARE(tools, (QStringList{"actionFileNew", "actionFileOpen", "actionFileSave", "|",
                                     "actionEditCut", "actionEditCopy", "actionEditPaste", "|",
                                     "actionFilePrint", "actionAppAbout"}));
        for (const char* name :
             {"actionEditCut", "actionEditCopy", "actionEditPaste", "actionFilePrint"})
            QVERIFY(!frame.findChild<QAction*>(name)->isEnabled());

        frame.NewDocument();
        QCOMPARE(frame.windowTitle(), QString("VZR-T8100 - [Test1]"));
        QVERIFY(save->isVisible() && save->isEnabled());
        QVERIFY(frame.findChild<QMenu*>("menuWindow")->menuAction()->isVisible());
        QCOMPARE(save->text(), QString("上書き保存(&S)\tCtrl+S"));
        QCOMPARE(save->shortcut(), QKeySequence("Ctrl+S"));

        // a second window on the same document, then close both
        frame.findChild<QAction*>("actionWindowNew")->trigger();
        QCOMPARE(frame.GetMdiArea()->subWindowList().size(), 2);
        QCOMPARE(frame.GetDocTemplate().Documents().size(), size_t(1));
        QCOMPARE(frame.GetMdiArea()->subWindowList().at(1)->windowTitle(), QString("Test1:2"));
        frame.findChild<QAction*>("actionFileClose")->trigger();
        QTRY_COMPARE(frame.GetMdiArea()->subWindowList().size(), 0);
        // the document goes with its last window
        QTRY_COMPARE(frame.GetDocTemplate().Documents().size(), size_t(0));
        QVERIFY(!save->isVisible());
        QCOMPARE(frame.windowTitle(), QString("VZR-T8100"));
    }

    // The Options menu and the plan view's run work on the settings the main window is
    // handed; a run the operator cancels keeps the test time.
    void windowsWorkOnTheSettingsHanded() {
        m_property.m_strOperator = "handed";
        m_property.m_tmTest = 1234;
        CMainFrame frame(m_cntl, m_property);
        frame.show();
        frame.NewDocument();
        QStringList shown;
        auto cancel = [&](QWidget* dlg) {
            shown << dlg->findChild<QLineEdit*>("editOperator")->text();
            dlg->findChild<QPushButton*>("buttonCancel")->click();
        };
        WhenModal(cancel);
        frame.findChild<QAction*>("actionTestInfo")->trigger();
        WhenModal(cancel);
        frame.ActiveFrame()->widget()->findChild<QPushButton*>("buttonRun")->click();
        QCOMPARE(shown, (QStringList{"handed", "handed"}));
        QCOMPARE(m_property.m_tmTest, std::int64_t(1234));
    }

    void closePromptsForChanges_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("no") << int(QMessageBox::No) << true;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
    }
    void closePromptsForChanges() {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        CMainFrame frame(m_cntl, m_property);
        frame.show();
        CVzrT8100Doc* doc = frame.NewDocument();
        doc->SetModifiedFlag(true);
        BoxSeen asked;
        AnswerNextBox(QMessageBox::StandardButton(answer), &asked);
        frame.ActiveFrame()->close();
        QCOMPARE(asked.text, QString("Test1 への変更を保存しますか?"));
        QTRY_COMPARE(frame.GetMdiArea()->subWindowList().isEmpty(), closed);
        QTRY_COMPARE(frame.GetDocTemplate().Documents().empty(), closed);
    }

    void saveAndReopen() {
        CMainFrame frame(m_cntl, m_property);
        frame.show();
        CVzrT8100Doc* doc = frame.NewDocument();
        const QString path = m_dir->filePath("saved.vzt");
        doc->SetPathName(path); // as if named through the dialog before
        doc->SetModifiedFlag(true);
        QVERIFY(frame.SaveDocument(doc, false));
        QVERIFY(!doc->IsModified());
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(frame.windowTitle(), QString("VZR-T8100 - [saved.vzt]"));
        QCOMPARE(frame.GetRecentFiles().Files().value(0), path);
        // open and unchanged: its window comes forward, no second document
        frame.NewDocument();
        QCOMPARE(frame.OpenDocumentFile(path), doc);
        QCOMPARE(frame.ActiveDocument(), doc);
        QCOMPARE(frame.GetDocTemplate().Documents().size(), size_t(2));
        // changed: the stored file opens in a new window beside it
        doc->SetModifiedFlag(true);
        CVzrT8100Doc* again = frame.OpenDocumentFile(path);
        QVERIFY(again && again != doc);
        QCOMPARE(frame.GetDocTemplate().Documents().size(), size_t(3));
        // a file that cannot be written leaves the document changed, and says so
        BoxSeen message;
        AnswerNextBox(QMessageBox::Ok, &message);
        doc->SetPathName(m_dir->filePath("no/such/folder/x.vzt"));
        QVERIFY(!frame.SaveDocument(doc, false));
        QVERIFY2(message.text.contains("x.vzt") &&
                     message.text.contains(QString::fromUtf8("保存できませんでした")),
                 qPrintable(message.text));
        QVERIFY(doc->IsModified());
        // and a missing file is reported, with nothing opened
        message = {};
        AnswerNextBox(QMessageBox::Ok, &message);
        QVERIFY(!frame.OpenDocumentFile(m_dir->filePath("missing.vzt")));
        QVERIFY2(message.text.contains("missing.vzt") &&
                     message.text.contains(QString::fromUtf8("開けません")),
                 qPrintable(message.text));
        QCOMPARE(frame.GetDocTemplate().Documents().size(), size_t(3));
        for (CVzrT8100Doc* d : frame.GetDocTemplate().Documents())
            d->SetModifiedFlag(false);
    }

    void mainWindowGoesRightAfterAWindowClosed() {
        // the closed window's deletion is still pending when the main window goes (the
        // end of a run): it must not report to a main window half destroyed (asan build)
        auto frame = std::make_unique<CMainFrame>(m_cntl, m_property);
        frame->show();
        frame->NewDocument();
        frame->NewDocument();
        frame->ActiveFrame()->close();
        QCOMPARE(frame->GetMdiArea()->subWindowList().size(), 1);
        frame.reset();
    }

    void windowMenuListsTheWindows() {
        CMainFrame frame(m_cntl, m_property);
        frame.show();
        auto* menu = frame.findChild<QMenu*>("menuWindow");
        auto listed = [&] {
            QStringList entries;
            for (QAction* a : menu->actions())
                if (a->objectName().startsWith("actionWindow") && a->isCheckable())
                    entries << (a->isChecked() ? "*" : "") + a->text();
            return entries;
        };
        frame.NewDocument();
        frame.NewDocument();
        frame.findChild<QAction*>("actionWindowNew")->trigger();
        QCOMPARE(listed(), (QStringList{"&1 Test1", "&2 Test2:1", "*&3 Test2:2"}));
        for (QAction* a : menu->actions())
            if (a->isCheckable())
                QCOMPARE(a->statusTip(), QString("このウィンドウをアクティブにします。"));
        // choosing an entry activates that window, and brings a minimised one back
        frame.GetMdiArea()->subWindowList().at(0)->showMinimized();
        QAction* first = nullptr;
        for (QAction* a : menu->actions())
            if (a->objectName() == "actionWindow1")
                first = a;
        QVERIFY(first);
        first->trigger();
        QCOMPARE(frame.ActiveDocument()->GetTitle(), QString("Test1"));
        QVERIFY(!frame.ActiveFrame()->isMinimized());
        QCOMPARE(listed(), (QStringList{"*&1 Test1", "&2 Test2:1", "&3 Test2:2"}));
        // a closed window leaves the list; the other window of its document is renamed
        frame.GetMdiArea()->subWindowList(QMdiArea::CreationOrder).at(2)->close();
        QTRY_COMPARE(listed().size(), 2);
        QCOMPARE(listed().at(1), QString("&2 Test2"));
        for (QMdiSubWindow* w : frame.GetMdiArea()->subWindowList())
            w->close();
        QTRY_VERIFY(listed().isEmpty());
    }

    void everyCommandHasItsPrompt() {
        CMainFrame frame(m_cntl, m_property);
        frame.NewDocument();
        for (QAction* a : frame.findChildren<QAction*>()) {
            if (a->isSeparator() || a->menu() || a->objectName().isEmpty())
                continue;
            QVERIFY2(!a->statusTip().isEmpty(), qPrintable(a->objectName()));
        }
        // shown in the message pane while the item is highlighted
        auto* save = frame.findChild<QAction*>("actionFileSave");
        save->showStatusText(&frame);
        QCOMPARE(frame.statusBar()->currentMessage(), save->statusTip());
        frame.statusBar()->clearMessage();
        QCOMPARE(frame.findChild<QLabel*>("labelStatusMessage")->text(), QString("レディ"));
    }

    void droppedFilesOpen() {
        const QString good = m_dir->filePath("dropped.vzt");
        const QString foreign = m_dir->filePath("dropped.dat");
        const QString bad = m_dir->filePath("bad.vzt");
        {
            CVzrT8100Doc doc;
            QVERIFY(doc.SaveFile(good, nullptr));
            QVERIFY(doc.SaveFile(foreign, nullptr));
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a plan");
        }
        CMainFrame frame(m_cntl, m_property);
        frame.show();
        BoxSeen message;
        AnswerNextBox(QMessageBox::Ok, &message);
        // a foreign extension is still attempted; a refused file says why and opens nothing
        frame.OpenDroppedFiles({good, bad, foreign});
        QCOMPARE(message.text, QString("予期しないファイル形式です。"));
        QStringList titles;
        for (CVzrT8100Doc* doc : frame.GetDocTemplate().Documents())
            titles << doc->GetTitle();
        QCOMPARE(titles, (QStringList{"dropped.vzt", "dropped.dat"}));
        // dropped again while open and unchanged: brought forward, not opened twice
        frame.OpenDroppedFiles({good});
        QCOMPARE(frame.GetDocTemplate().Documents().size(), size_t(2));
        QCOMPARE(frame.ActiveDocument()->GetTitle(), QString("dropped.vzt"));
    }

    void childPlacementFromSettings() {
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_X, "120");
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_Y, "0");
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_CX, " 400px");
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_CY, "high");
        CMainFrame frame(m_cntl, m_property);
        frame.resize(1000, 800);
        frame.show();
        frame.NewDocument();
        const QRect first = frame.ActiveFrame()->geometry();
        QCOMPARE(first.left(), 120);
        QCOMPARE(first.width(), 400);
        frame.NewDocument();
        QCOMPARE(frame.ActiveFrame()->geometry().left(), 120);
        QCOMPARE(frame.ActiveFrame()->geometry().width(), 400);
    }

    void firstWindowMaximised() {
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_MAXIMIZE,
                                      "MAXIMIZE");
        CMainFrame frame(m_cntl, m_property);
        frame.show();
        frame.NewDocument();
        QVERIFY(frame.ActiveFrame()->isMaximized());
        QVERIFY(!CChildFrame::IsFirstWindowPending());
        // restoring it is the operator's command and is remembered
        QWidget* controls = frame.menuBar()->cornerWidget(Qt::TopRightCorner);
        QVERIFY(controls);
        QTest::mouseClick(controls, Qt::LeftButton, {}, controls->rect().center());
        QVERIFY(!frame.ActiveFrame()->isMaximized());
        QCOMPARE(
            CTestProperty::ReadIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_MAXIMIZE, ""),
            QString("RESTORE"));
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_MAXIMIZE,
                                      "MAXIMIZE");
        frame.NewDocument();
        QVERIFY(!frame.ActiveFrame()->isMaximized()); // only the first window of a run
    }

    // The operator's commands are remembered (the title bar, the system menu); the
    // program's own arranging of the windows writes nothing.
    void showStateRemembered() {
        CMainFrame frame(m_cntl, m_property);
        frame.resize(1000, 800);
        frame.show();
        frame.NewDocument();
        CChildFrame* child = frame.ActiveFrame();
        auto state = [] {
            return CTestProperty::ReadIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_MAXIMIZE,
                                                "none");
        };
        QCOMPARE(state(), QString("none")); // the first window's restore wrote nothing
        const QPoint title(50, child->style()->pixelMetric(QStyle::PM_TitleBarHeight) / 2);
        QTest::mouseMove(child, title);
        QTest::mouseDClick(child, Qt::LeftButton, {}, title);
        QCOMPARE(state(), QString("MAXIMIZE"));
        for (const char* command : {"Mi&nimize", "&Restore"}) {
            child->showSystemMenu();
            QMenu* menu = child->systemMenu();
            for (QAction* action : menu->actions()) {
                if (action->text() == command)
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(action).center());
            }
            QCoreApplication::processEvents(); // the operator's input is over
            QCOMPARE(state(), QString(command[1] == 'i' ? "MINIMIZE" : "RESTORE"));
        }

        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_MAXIMIZE, "kept");
        frame.NewDocument();
        child->showMaximized();
        frame.findChild<QAction*>("actionWindowTile")->trigger(); // restores it
        frame.ActiveFrame()->showMaximized();
        frame.GetMdiArea()->setActiveSubWindow(child); // maximised as it is activated
        QVERIFY(child->isMaximized());
        frame.findChild<QAction*>("actionWindowCascade")->trigger();
        QCOMPARE(state(), QString("kept"));
    }
};

QTEST_MAIN(TestShellWindows)
#include "tst_shell_windows.moc"
