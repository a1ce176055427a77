#pragma once

#include <QMdiSubWindow>
#include <functional>

class CVzrT8100Doc;
class CMainFrame;

// One document window. Takes its first placement from the settings and remembers there
// whether the operator last maximised, restored or minimised a document window.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    CChildFrame(CVzrT8100Doc* doc, CMainFrame* mainFrame);
    ~CChildFrame() override;

    CVzrT8100Doc* GetDocument() const { return m_pDoc; }

    // Makes the view of a document window in place of the plan view (tests).
    using ViewFactory = std::function<QWidget*(CVzrT8100Doc* doc, CChildFrame* frame)>;
    static void SetViewFactory(ViewFactory factory);

    // Left edge, top edge, width and height from the settings; an empty or zero value
    // leaves that coordinate as it is.
    void ApplySettingsPlacement();

    // Called once the view has been filled: the first document window of the run opens
    // maximised when the operator last left one maximised.
    static void RestorePlacement(CChildFrame* frame);
    static bool IsFirstWindowPending();
    static void ResetFirstWindowPending(); // a new run, for tests

    // Brings the window's texts up to date with its document.
    void UpdateView(const QString& caption);
    // Once the window is placed and shown: the view sets itself up and fills its list.
    void InitialUpdate();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CVzrT8100Doc* m_pDoc;
    CMainFrame* m_pMainFrame;
    bool m_bRestoring = false;
    Qt::WindowStates m_lastState;
};
