#pragma once

#include "shell/CMyDocTemplate.h"
#include "shell/CRecentFileList.h"

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <functional>

class CChildFrame;
class CTestProperty;
class CVzrT8100Cntl;
class CVzrT8100Doc;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

// The main window: menu bar, toolbar, status bar and the area of the document windows,
// with the standard document commands. It works on the instrument controller and the
// settings it is given, and hands them to every window and dialog it opens.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(CVzrT8100Cntl& cntl, CTestProperty& property, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CMyDocTemplate& GetDocTemplate() { return m_docTemplate; }
    QMdiArea* GetMdiArea() const { return m_pMdiArea; }
    CRecentFileList& GetRecentFiles() { return m_recentFiles; }

    // New empty document in a new window.
    CVzrT8100Doc* NewDocument();
    // Opens a file, or brings its window forward when it is open and unchanged. Shows the
    // reason when it cannot be opened, unless quiet, and gives it in errorText.
    CVzrT8100Doc* OpenDocumentFile(const QString& path, QString* errorText = nullptr,
                                   bool quiet = false);
    // Save and save as on a document; false when it was not saved.
    bool SaveDocument(CVzrT8100Doc* doc, bool askForName);

    CVzrT8100Doc* ActiveDocument() const;
    CChildFrame* ActiveFrame() const;
    QList<CChildFrame*> FramesOf(const CVzrT8100Doc* doc) const;

    // Asked before a document window closes: the last window of a changed document asks
    // whether to save it first.
    bool CanCloseFrame(CChildFrame* frame);
    // Asks for every changed document; false when the operator cancelled.
    bool SaveAllModified();

    // Files dropped on the main window, opened one after the other.
    void OpenDroppedFiles(const QStringList& paths);

    // Status-bar texts after the document changed.
    void UpdateFrameTitles(CVzrT8100Doc* doc);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void OnFileNew();
    void OnFileOpen();
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    void OnAppAbout();
    void OnOption();
    void OnTestInfo();
    void OnRemote();
    void OnWindowNew();
    void OnWindowArrange();
    void OnRecentFile();
    void OnSubWindowActivated(QMdiSubWindow* window);

private:
    // What an entry of the menus and the toolbar does.
    enum ActionKind {
        ACTION_COMMAND,  // runs its command
        ACTION_SHOWN,    // a check mark for a bar shown (checked at first)
        ACTION_DISABLED, // no command stands behind it
    };
    // One entry of the menus and the toolbar.
    struct ActionRow {
        QAction* CMainFrame::*action;
        const char* name;
        QString text;   // the menu's text; a shortcut shown after a tab
        QString prompt; // the status bar's text while the entry is highlighted
        QString tip;    // tool tip and icon text of a toolbar button; empty: the text
        QList<QKeySequence> keys;
        const char* icon; // toolbar image, nullptr for none
        std::function<void()> command;
        ActionKind kind = ACTION_COMMAND;
    };

    QAction* MakeAction(const char* name, const QString& text, const QString& prompt);
    QAction* MakeAction(const ActionRow& row);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateMenus();
    void UpdateRecentFileMenu();
    // The document windows listed at the end of the Window menu, the active one checked.
    void UpdateWindowMenu();
    void UpdateCaption();
    CChildFrame* CreateFrame(CVzrT8100Doc* doc);
    bool SaveModified(CVzrT8100Doc* doc);
    void OnFrameDestroyed(CVzrT8100Doc* doc);

    CVzrT8100Cntl& m_cntl;
    CTestProperty& m_property;
    CMyDocTemplate m_docTemplate;
    CRecentFileList m_recentFiles;
    QMdiArea* m_pMdiArea = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QLabel* m_pStatusMessage = nullptr;

    QMenu* m_pMenuFile = nullptr;
    QMenu* m_pMenuWindow = nullptr;
    QAction* m_pActionNew = nullptr;
    QAction* m_pActionOpen = nullptr;
    QAction* m_pActionClose = nullptr;
    QAction* m_pActionSave = nullptr;
    QAction* m_pActionSaveAs = nullptr;
    QAction* m_pActionRecentNone = nullptr;
    QList<QAction*> m_listRecentActions;
    QAction* m_pActionExit = nullptr;
    QAction* m_pActionViewToolBar = nullptr;
    QAction* m_pActionViewStatusBar = nullptr;
    QAction* m_pActionOption = nullptr;
    QAction* m_pActionTestInfo = nullptr;
    QAction* m_pActionRemote = nullptr;
    QAction* m_pActionAbout = nullptr;
    QAction* m_pActionWindowNew = nullptr;
    QAction* m_pActionCascade = nullptr;
    QAction* m_pActionTile = nullptr;
    QAction* m_pActionArrange = nullptr;
    QAction* m_pWindowListSeparator = nullptr;
    QList<QAction*> m_listWindowActions;
    QAction* m_pActionCut = nullptr;
    QAction* m_pActionCopy = nullptr;
    QAction* m_pActionPaste = nullptr;
    QAction* m_pActionPrint = nullptr;
};
