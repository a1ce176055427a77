#pragma once

#include <QMdiSubWindow>
#include <functional>

class CMainFrame;
class CTestProperty;
class CVzrT8100Cntl;
class CVzrT8100Doc;
class QMenuBar;

// One document window, showing the plan view of its document on the controller and the
// settings it is given. Takes its first placement from the settings and remembers there
// whether the operator last maximised, restored or minimised a document window: only his
// own commands (the title bar, the system menu, the controls of a maximised window in the
// menu bar) are remembered, never the program's arranging of windows.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    CChildFrame(CVzrT8100Doc* doc, CVzrT8100Cntl& cntl, CTestProperty& property,
                CMainFrame* mainFrame);
    ~CChildFrame() override;

    CVzrT8100Doc* GetDocument() const { return m_pDoc; }

    // Makes the view of a document window in place of the plan view (tests).
    using ViewFactory = std::function<QWidget*(CVzrT8100Doc* doc, CChildFrame* frame)>;
    static void SetViewFactory(ViewFactory factory);

    // Places a window just added to the area: left edge, top edge, width and height from
    // the settings; an empty or zero value leaves that coordinate where the desktop puts
    // a new window (DefaultPlacement).
    void PlaceNewWindow();
    // Where the desktop puts a new document window when nothing else is asked for: most of
    // the area, each next window a title bar's height further down and right, from the top
    // left again once a third of the area's height is used up.
    QRect DefaultPlacement() const;

    // Whether the first document window of the run has still to restore the show state
    // the operator last left a window in.
    static bool IsFirstWindowPending();
    static void ResetFirstWindowPending(); // a new run, for tests

    // Brings the window's texts up to date with its document.
    void UpdateView(const QString& caption);
    // Once the window is placed and shown: the window fits its plan view, the view sets
    // itself up and fills its list, and the first window of the run opens maximised when
    // the operator last left one maximised.
    void InitialUpdate();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shrinks the window to the view's size (never grows it).
    void FitTo(const QWidget* view);
    void RestorePlacement();
    // The operator's click or key in the system menu or the menu bar's controls is being
    // handled: a show state changed by it is his command.
    void OperatorInput();
    void WatchMenuBarControls();
    QMenuBar* MainMenuBar() const;

    CVzrT8100Doc* m_pDoc;
    CMainFrame* m_pMainFrame;
    int m_nOperatorInput = 0; // the operator's input is being handled
    Qt::WindowStates m_lastState;
};
