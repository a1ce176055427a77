#include "CMainFrame.h"

#include "common/CAppResources.h"
#include "common/CMessageBox.h"
#include "data/CVzrT8100Doc.h"
#include "dialogs/CPropertyDlg.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CTestInfoDlg.h"
#include "shell/CAboutDlg.h"
#include "shell/CChildFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSizeGrip>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

QString appTitle() {
    return QCoreApplication::translate("CMainFrame", "VZR-T8100");
}

} // namespace

CMainFrame::CMainFrame(CVzrT8100Cntl& cntl, CTestProperty& property, QWidget* parent)
    : QMainWindow(parent), m_cntl(cntl), m_property(property) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(CAppResources::AppIcon());
    setAcceptDrops(true);
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    m_recentFiles.Load();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    UpdateMenus();
    UpdateCaption();
    // the main window opens maximised: the document windows made before it shows are
    // placed in the area it will have
    resize(screen()->availableGeometry().size());
}

CMainFrame::~CMainFrame() {
    // the windows go before the documents they show; a window closed but not yet
    // deleted is no longer listed by the area, yet still ours
    for (CChildFrame* window : m_pMdiArea->findChildren<CChildFrame*>()) {
        disconnect(window, nullptr, this, nullptr);
        delete window;
    }
}

QAction* CMainFrame::MakeAction(const char* name, const QString& text, const QString& prompt) {
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(prompt);
    return action;
}

void CMainFrame::CreateActions() {
    using Keys = QList<QKeySequence>;
    const ActionRow rows[] = {
        {&CMainFrame::m_pActionNew, "actionFileNew", tr("新規作成(&N)\tCtrl+N"),
         tr("新規にファイルを作成します。"), tr("新規作成"), Keys{Qt::CTRL | Qt::Key_N},
         "toolbar/new.png", [this] { OnFileNew(); }},
        {&CMainFrame::m_pActionOpen, "actionFileOpen", tr("開く(&O)...\tCtrl+O"),
         tr("既存のファイルを開きます。"), tr("開く"), Keys{Qt::CTRL | Qt::Key_O},
         "toolbar/open.png", [this] { OnFileOpen(); }},
        {&CMainFrame::m_pActionClose, "actionFileClose", tr("閉じる(&C)"),
         tr("作業中のファイルを閉じます。"), QString(), Keys(), nullptr, [this] { OnFileClose(); }},
        {&CMainFrame::m_pActionSave, "actionFileSave", tr("上書き保存(&S)\tCtrl+S"),
         tr("作業中のファイルを上書きして保存します。"), tr("上書き保存"),
         Keys{Qt::CTRL | Qt::Key_S}, "toolbar/save.png", [this] { OnFileSave(); }},
        {&CMainFrame::m_pActionSaveAs, "actionFileSaveAs", tr("名前を付けて保存(&A)..."),
         tr("作業中のファイルを新しい名前で保存します。"), QString(), Keys(), nullptr,
         [this] { OnFileSaveAs(); }},
        // stands in the File menu while no file was used yet
        {&CMainFrame::m_pActionRecentNone, "actionRecentFile", tr("最近使ったファイル"),
         tr("指定のファイルを開きます。"), QString(), Keys(), nullptr, nullptr, ACTION_DISABLED},
        {&CMainFrame::m_pActionExit, "actionAppExit", tr("アプリケーションの終了(&X)"),
         tr("アプリケーションを終了し、ファイルの保存を指示します。"), QString(), Keys(), nullptr,
         [this] { close(); }},
        {&CMainFrame::m_pActionViewToolBar, "actionViewToolBar", tr("ツール バー(&T)"),
         tr("ツール バーの表示/非表示を切り替えます。"), QString(), Keys(), nullptr, nullptr,
         ACTION_SHOWN},
        {&CMainFrame::m_pActionViewStatusBar, "actionViewStatusBar", tr("ステータス バー(&S)"),
         tr("ステータス バーの表示/非表示を切り替えます。"), QString(), Keys(), nullptr, nullptr,
         ACTION_SHOWN},
        {&CMainFrame::m_pActionOption, "actionOption", tr("オプション設定(&O)..."),
         tr("試験機器の情報を設定します。"), QString(), Keys(), nullptr, [this] { OnOption(); }},
        {&CMainFrame::m_pActionTestInfo, "actionTestInfo", tr("試験環境(&I)..."),
         tr("試験環境を設定します。"), QString(), Keys(), nullptr, [this] { OnTestInfo(); }},
        {&CMainFrame::m_pActionRemote, "actionRemote", tr("接続状態(&C)..."),
         tr("VZR-T8100との接続状態を表示します。"), QString(), Keys(), nullptr,
         [this] { OnRemote(); }},
        {&CMainFrame::m_pActionAbout, "actionAppAbout", tr("バージョン情報 VZR-T8100(&A)..."),
         tr("プログラム情報、バージョン、著作権を表示します。"), tr("バージョン情報"), Keys(),
         "toolbar/about.png", [this] { OnAppAbout(); }},
        {&CMainFrame::m_pActionWindowNew, "actionWindowNew", tr("新しいウィンドウを開く(&N)"),
         tr("作業中のウィンドウを複写して表示します。"), QString(), Keys(), nullptr,
         [this] { OnWindowNew(); }},
        {&CMainFrame::m_pActionCascade, "actionWindowCascade", tr("重ねて表示(&C)"),
         tr("ウィンドウが重なるように整列します。"), QString(), Keys(), nullptr,
         [this] { m_pMdiArea->cascadeSubWindows(); }},
        {&CMainFrame::m_pActionTile, "actionWindowTile", tr("並べて表示(&T)"),
         tr("ウィンドウが重ならないように整列します。"), QString(), Keys(), nullptr,
         [this] { m_pMdiArea->tileSubWindows(); }},
        {&CMainFrame::m_pActionArrange, "actionWindowArrange", tr("アイコンの整列(&A)"),
         tr("ウィンドウの下にアイコンを整列します。"), QString(), Keys(), nullptr,
         [this] { OnWindowArrange(); }},
        // no command stands behind these: they show disabled
        {&CMainFrame::m_pActionCut, "actionEditCut", tr("切り取り"),
         tr("選択範囲を切り取ってクリップボードに移動します。"), QString(),
         Keys{Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete}, "toolbar/cut.png", nullptr,
         ACTION_DISABLED},
        {&CMainFrame::m_pActionCopy, "actionEditCopy", tr("コピー"),
         tr("選択範囲をコピーしてクリップボードへ保存します。"), QString(),
         Keys{Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert}, "toolbar/copy.png", nullptr,
         ACTION_DISABLED},
        {&CMainFrame::m_pActionPaste, "actionEditPaste", tr("貼り付け"),
         tr("クリップボードの内容を貼り付けます。"), QString(),
         Keys{Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert}, "toolbar/paste.png", nullptr,
         ACTION_DISABLED},
        {&CMainFrame::m_pActionPrint, "actionFilePrint", tr("印刷"),
         tr("作業中のファイルを印刷します。"), QString(), Keys(), "toolbar/print.png", nullptr,
         ACTION_DISABLED},
    };
    for (const ActionRow& row : rows)
        this->*row.action = MakeAction(row);

    for (int i = 0; i < CRecentFileList::MAX_FILES; ++i) {
        QAction* action = MakeAction("", QString(), tr("指定のファイルを開きます。"));
        action->setObjectName(QStringLiteral("actionRecentFile%1").arg(i + 1));
        action->setData(i);
        connect(action, &QAction::triggered, this, &CMainFrame::OnRecentFile);
        m_listRecentActions.append(action);
    }
}

QAction* CMainFrame::MakeAction(const ActionRow& row) {
    QAction* action = MakeAction(row.name, row.text, row.prompt);
    if (!row.tip.isEmpty()) {
        action->setToolTip(row.tip);
        action->setIconText(row.tip);
    }
    if (!row.keys.isEmpty())
        action->setShortcuts(row.keys);
    if (row.icon)
        action->setIcon(QIcon(CAppResources::Path(QLatin1String(row.icon))));
    switch (row.kind) {
    case ACTION_COMMAND:
        connect(action, &QAction::triggered, this, row.command);
        break;
    case ACTION_SHOWN:
        action->setCheckable(true);
        action->setChecked(true);
        break;
    case ACTION_DISABLED:
        action->setEnabled(false);
        break;
    }
    return action;
}

void CMainFrame::OnWindowArrange() {
    // minimised windows line up along the bottom edge, left to right
    const QRect area = m_pMdiArea->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        window->move(x, area.bottom() - size.height() + 1);
        x += size.width();
    }
}

void CMainFrame::CreateMenus() {
    m_pMenuFile = menuBar()->addMenu(tr("ファイル(&F)"));
    m_pMenuFile->setObjectName(QStringLiteral("menuFile"));
    m_pMenuFile->addAction(m_pActionNew);
    m_pMenuFile->addAction(m_pActionOpen);
    m_pMenuFile->addAction(m_pActionClose);
    m_pMenuFile->addAction(m_pActionSave);
    m_pMenuFile->addAction(m_pActionSaveAs);
    m_pMenuFile->addSeparator();
    m_pMenuFile->addAction(m_pActionRecentNone);
    for (QAction* action : m_listRecentActions)
        m_pMenuFile->addAction(action);
    m_pMenuFile->addSeparator();
    m_pMenuFile->addAction(m_pActionExit);

    QMenu* view = menuBar()->addMenu(tr("表示(&V)"));
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(m_pActionViewToolBar);
    view->addAction(m_pActionViewStatusBar);

    QMenu* option = menuBar()->addMenu(tr("オプション(&O)"));
    option->setObjectName(QStringLiteral("menuOption"));
    option->addAction(m_pActionOption);
    option->addAction(m_pActionTestInfo);
    option->addSeparator();
    option->addAction(m_pActionRemote);

    m_pMenuWindow = menuBar()->addMenu(tr("ウィンドウ(&W)"));
    m_pMenuWindow->setObjectName(QStringLiteral("menuWindow"));
    m_pMenuWindow->addAction(m_pActionWindowNew);
    m_pMenuWindow->addAction(m_pActionCascade);
    m_pMenuWindow->addAction(m_pActionTile);
    m_pMenuWindow->addAction(m_pActionArrange);
    m_pWindowListSeparator = m_pMenuWindow->addSeparator();
    connect(m_pMenuWindow, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowMenu);

    QMenu* help = menuBar()->addMenu(tr("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(m_pActionAbout);
    UpdateRecentFileMenu();
}

void CMainFrame::CreateToolBar() {
    m_pToolBar = new QToolBar(tr("ツール バー"), this);
    m_pToolBar->setObjectName(QStringLiteral("toolBarMain"));
    m_pToolBar->setMovable(false);
    m_pToolBar->setFloatable(false);
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->addAction(m_pActionNew);
    m_pToolBar->addAction(m_pActionOpen);
    m_pToolBar->addAction(m_pActionSave);
    m_pToolBar->addSeparator();
    m_pToolBar->addAction(m_pActionCut);
    m_pToolBar->addAction(m_pActionCopy);
    m_pToolBar->addAction(m_pActionPaste);
    m_pToolBar->addSeparator();
    m_pToolBar->addAction(m_pActionPrint);
    m_pToolBar->addAction(m_pActionAbout);
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    // the button that shows the entries a narrow window hides
    if (auto* more = m_pToolBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(tr("その他のボタン"));
    connect(m_pActionViewToolBar, &QAction::toggled, m_pToolBar, &QWidget::setVisible);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // hidden by the status bar itself while a command prompt is shown
    m_pStatusMessage = new QLabel(tr("レディ"), bar);
    m_pStatusMessage->setObjectName(QStringLiteral("labelStatusMessage"));
    bar->addWidget(m_pStatusMessage, 1);
    const struct {
        const char* name;
        const char* text;
    } indicators[] = {{"labelIndicatorCaps", "CAP"},
                      {"labelIndicatorNum", "NUM"},
                      {"labelIndicatorScroll", "SCRL"}};
    for (const auto& indicator : indicators) {
        auto* label = new QLabel(QLatin1String(indicator.text), bar);
        label->setObjectName(QLatin1String(indicator.name));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        // the lock states are not known here: the indicators stay dimmed
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
    connect(m_pActionViewStatusBar, &QAction::toggled, bar, &QWidget::setVisible);
    if (auto* grip = bar->findChild<QSizeGrip*>())
        grip->setAccessibleName(tr("サイズ変更"));
}

void CMainFrame::UpdateMenus() {
    const bool hasDoc = ActiveFrame() != nullptr;
    m_pActionSave->setVisible(hasDoc);
    m_pActionSaveAs->setVisible(hasDoc);
    m_pActionSave->setEnabled(hasDoc);
    m_pActionClose->setEnabled(hasDoc);
    m_pMenuWindow->menuAction()->setVisible(hasDoc);
    for (QAction* action : {m_pActionWindowNew, m_pActionCascade, m_pActionTile, m_pActionArrange})
        action->setEnabled(hasDoc);
    UpdateWindowMenu();
    UpdateCaption();
}

void CMainFrame::UpdateWindowMenu() {
    qDeleteAll(m_listWindowActions);
    m_listWindowActions.clear();
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList(QMdiArea::CreationOrder);
    m_pWindowListSeparator->setVisible(!windows.isEmpty());
    QMdiSubWindow* active = m_pMdiArea->activeSubWindow();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows.at(i);
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        const QString text = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title)
                                   : QStringLiteral("%1 %2").arg(i + 1).arg(title);
        QAction* action = MakeAction("", text, tr("このウィンドウをアクティブにします。"));
        action->setObjectName(QStringLiteral("actionWindow%1").arg(i + 1));
        action->setCheckable(true);
        action->setChecked(window == active);
        connect(action, &QAction::triggered, this, [this, window] {
            if (!m_pMdiArea->subWindowList().contains(window))
                return;
            if (window->isMinimized())
                window->showNormal();
            m_pMdiArea->setActiveSubWindow(window);
            UpdateWindowMenu();
        });
        m_pMenuWindow->addAction(action);
        m_listWindowActions.append(action);
    }
}

void CMainFrame::UpdateRecentFileMenu() {
    const QStringList& files = m_recentFiles.Files();
    m_pActionRecentNone->setVisible(files.isEmpty());
    for (int i = 0; i < m_listRecentActions.size(); ++i) {
        QAction* action = m_listRecentActions.at(i);
        if (i < files.size()) {
            QString shown = QDir::toNativeSeparators(files.at(i));
            shown.replace(QLatin1Char('&'), QLatin1String("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
}

void CMainFrame::UpdateCaption() {
    CVzrT8100Doc* doc = ActiveDocument();
    if (doc)
        setWindowTitle(QStringLiteral("%1 - [%2]").arg(appTitle(), doc->GetTitle()));
    else
        setWindowTitle(appTitle());
}

void CMainFrame::UpdateFrameTitles(CVzrT8100Doc* doc) {
    const QList<CChildFrame*> frames = FramesOf(doc);
    for (int i = 0; i < frames.size(); ++i) {
        QString caption = doc->GetTitle();
        if (frames.size() > 1)
            caption += QStringLiteral(":%1").arg(i + 1);
        frames.at(i)->UpdateView(caption);
    }
    UpdateWindowMenu();
    UpdateCaption();
}

CChildFrame* CMainFrame::ActiveFrame() const {
    return qobject_cast<CChildFrame*>(m_pMdiArea->activeSubWindow());
}

CVzrT8100Doc* CMainFrame::ActiveDocument() const {
    CChildFrame* frame = ActiveFrame();
    return frame ? frame->GetDocument() : nullptr;
}

QList<CChildFrame*> CMainFrame::FramesOf(const CVzrT8100Doc* doc) const {
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        auto* frame = qobject_cast<CChildFrame*>(window);
        if (frame && frame->GetDocument() == doc)
            frames.append(frame);
    }
    return frames;
}

CChildFrame* CMainFrame::CreateFrame(CVzrT8100Doc* doc) {
    auto* frame = new CChildFrame(doc, m_cntl, m_property, this);
    if (!isVisible())
        layout()->activate(); // the area's size before the main window first shows
    m_pMdiArea->addSubWindow(frame);
    frame->PlaceNewWindow();
    connect(frame, &QObject::destroyed, this, [this, doc] { OnFrameDestroyed(doc); });
    UpdateFrameTitles(doc);
    frame->show();
    m_pMdiArea->setActiveSubWindow(frame);
    frame->InitialUpdate();
    UpdateMenus();
    return frame;
}

void CMainFrame::OnFrameDestroyed(CVzrT8100Doc* doc) {
    if (!m_docTemplate.Contains(doc))
        return;
    if (FramesOf(doc).isEmpty())
        m_docTemplate.CloseDocument(doc);
    else
        UpdateFrameTitles(doc);
    UpdateMenus();
}

CVzrT8100Doc* CMainFrame::NewDocument() {
    CVzrT8100Doc* doc = m_docTemplate.NewDocument();
    CreateFrame(doc);
    return doc;
}

CVzrT8100Doc* CMainFrame::OpenDocumentFile(const QString& path, QString* errorText, bool quiet) {
    CVzrT8100Doc* matched = nullptr;
    if (m_docTemplate.MatchDocType(path, matched) == CMyDocTemplate::YES_ALREADY_OPEN && matched) {
        const QList<CChildFrame*> frames = FramesOf(matched);
        if (!frames.isEmpty()) {
            m_pMdiArea->setActiveSubWindow(frames.first());
            m_recentFiles.Add(matched->GetPathName());
            m_recentFiles.Save();
            UpdateRecentFileMenu();
            return matched;
        }
    }
    QString error;
    CVzrT8100Doc* doc = m_docTemplate.OpenDocument(path, &error);
    if (!doc) {
        if (errorText)
            *errorText = error;
        if (!quiet)
            CMessageBox::Ok(error, isVisible() ? this : nullptr);
        return nullptr;
    }
    m_recentFiles.Add(doc->GetPathName());
    m_recentFiles.Save();
    UpdateRecentFileMenu();
    CreateFrame(doc);
    return doc;
}

bool CMainFrame::SaveDocument(CVzrT8100Doc* doc, bool askForName) {
    if (!doc)
        return false;
    QString path = doc->GetPathName();
    if (askForName || path.isEmpty()) {
        const QString start =
            path.isEmpty() ? doc->GetTitle() + CMyDocTemplate::FileExtension() : path;
        path = QFileDialog::getSaveFileName(this, tr("名前を付けて保存"), start,
                                            CMyDocTemplate::FileFilter());
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty())
            path += CMyDocTemplate::FileExtension();
    }
    QString error;
    if (!doc->SaveFile(path, &error)) {
        if (error.isEmpty())
            error = tr("%1 に保存できませんでした。").arg(QDir::toNativeSeparators(path));
        CMessageBox::Ok(error, this);
        return false;
    }
    doc->SetPathName(QFileInfo(path).absoluteFilePath());
    doc->SetModifiedFlag(false);
    m_recentFiles.Add(doc->GetPathName());
    m_recentFiles.Save();
    UpdateRecentFileMenu();
    UpdateFrameTitles(doc);
    return true;
}

bool CMainFrame::SaveModified(CVzrT8100Doc* doc) {
    if (!doc || !doc->IsModified())
        return true;
    const QString name =
        doc->GetPathName().isEmpty() ? doc->GetTitle() : QFileInfo(doc->GetPathName()).fileName();
    switch (CMessageBox::YesNoCancel(tr("%1 への変更を保存しますか?").arg(name), this)) {
    case QMessageBox::Yes:
        return SaveDocument(doc, false);
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool CMainFrame::CanCloseFrame(CChildFrame* frame) {
    CVzrT8100Doc* doc = frame->GetDocument();
    if (FramesOf(doc).size() > 1)
        return true;
    return SaveModified(doc);
}

bool CMainFrame::SaveAllModified() {
    for (CVzrT8100Doc* doc : m_docTemplate.Documents()) {
        if (!SaveModified(doc))
            return false;
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!SaveAllModified()) {
        event->ignore();
        return;
    }
    // every document has been answered for: its windows close without asking again
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(window))
            frame->GetDocument()->SetModifiedFlag(false);
    }
    m_pMdiArea->closeAllSubWindows();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // opened once the drop is over: the program that dragged them does not wait on a
    // message about a file it cannot help
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            activateWindow();
            OpenDroppedFiles(paths);
        },
        Qt::QueuedConnection);
}

void CMainFrame::OpenDroppedFiles(const QStringList& paths) {
    for (const QString& path : paths)
        OpenDocumentFile(path);
}

void CMainFrame::OnFileNew() {
    NewDocument();
}

void CMainFrame::OnFileOpen() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("開く"), QString(),
        CMyDocTemplate::FileFilter() + QStringLiteral(";;") + tr("すべてのファイル (*.*)"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CMainFrame::OnFileClose() {
    CVzrT8100Doc* doc = ActiveDocument();
    if (!doc || !SaveModified(doc))
        return;
    doc->SetModifiedFlag(false);
    for (CChildFrame* frame : FramesOf(doc))
        frame->close();
}

void CMainFrame::OnFileSave() {
    SaveDocument(ActiveDocument(), false);
}

void CMainFrame::OnFileSaveAs() {
    SaveDocument(ActiveDocument(), true);
}

void CMainFrame::OnAppAbout() {
    CAboutDlg dlg(this);
    dlg.exec();
}

void CMainFrame::OnOption() {
    CPropertyDlg dlg(m_property, this);
    dlg.exec();
}

void CMainFrame::OnTestInfo() {
    // the test time shown is the last run's: only a run start sets it
    CTestInfoDlg dlg(m_property, this);
    dlg.exec();
}

void CMainFrame::OnRemote() {
    CRemoteDlg dlg(m_cntl, this);
    dlg.exec();
}

void CMainFrame::OnWindowNew() {
    if (CVzrT8100Doc* doc = ActiveDocument())
        CreateFrame(doc);
}

void CMainFrame::OnRecentFile() {
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    const int index = action->data().toInt();
    const QStringList& files = m_recentFiles.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files.at(index);
    if (!OpenDocumentFile(path)) {
        // a file that cannot be opened any more leaves the list
        m_recentFiles.Remove(path);
        m_recentFiles.Save();
        UpdateRecentFileMenu();
    }
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow*) {
    UpdateMenus();
}
