#include "CChildFrame.h"

#include "CMainFrame.h"
#include "data/CVzrT8100Doc.h"
#include "plan/CVzrT8100View.h"
#include "settings/CTestProperty.h"

#include <QCloseEvent>
#include <QMdiArea>

namespace {
bool s_bFirstWindowPending = true;
CChildFrame::ViewFactory s_viewFactory;

int readPlacement(const char* key) {
    const QString text = CTestProperty::ReadIniString(QLatin1String(INI_SECTION_MDICHILD_X),
                                                      QLatin1String(key), QString());
    if (text.isEmpty())
        return 0;
    return int(CTestProperty::ParseDecimal(text));
}
} // namespace

CChildFrame::CChildFrame(CVzrT8100Doc* doc, CMainFrame* mainFrame)
    : QMdiSubWindow(nullptr), m_pDoc(doc), m_pMainFrame(mainFrame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("childFrame"));
    QWidget* view = s_viewFactory ? s_viewFactory(doc, this) : nullptr;
    setWidget(view ? view : new CVzrT8100View(doc, this));
    m_lastState = windowState();
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::SetViewFactory(ViewFactory factory) {
    s_viewFactory = std::move(factory);
}

void CChildFrame::UpdateView(const QString& caption) {
    setWindowTitle(caption);
}

void CChildFrame::InitialUpdate() {
    if (auto* view = qobject_cast<CVzrT8100View*>(widget()))
        view->OnInitialUpdate(); // restores the placement once its list is filled
    else
        RestorePlacement(this);
}

void CChildFrame::ApplySettingsPlacement() {
    QRect r = geometry();
    if (const int x = readPlacement(INI_KEY_MDICHILD_X); x != 0)
        r.moveLeft(x);
    if (const int y = readPlacement(INI_KEY_MDICHILD_Y); y != 0)
        r.moveTop(y);
    if (const int cx = readPlacement(INI_KEY_MDICHILD_CX); cx > 0)
        r.setWidth(cx);
    if (const int cy = readPlacement(INI_KEY_MDICHILD_CY); cy > 0)
        r.setHeight(cy);
    setGeometry(r);
}

void CChildFrame::RestorePlacement(CChildFrame* frame) {
    if (!s_bFirstWindowPending || !frame)
        return;
    s_bFirstWindowPending = false;
    const QString state = CTestProperty::ReadIniString(
        QLatin1String(INI_SECTION_MDICHILD_X), QLatin1String(INI_KEY_MDICHILD_MAXIMIZE), QString());
    if (state == QLatin1String("MAXIMIZE")) {
        // not the operator's command: nothing is written
        frame->m_bRestoring = true;
        frame->showMaximized();
        frame->m_lastState = frame->windowState();
        frame->m_bRestoring = false;
    }
}

bool CChildFrame::IsFirstWindowPending() {
    return s_bFirstWindowPending;
}

void CChildFrame::ResetFirstWindowPending() {
    s_bFirstWindowPending = true;
}

void CChildFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && !m_bRestoring && isVisible()) {
        const Qt::WindowStates now = windowState();
        const char* value = nullptr;
        if (now.testFlag(Qt::WindowMinimized) && !m_lastState.testFlag(Qt::WindowMinimized))
            value = "MINIMIZE";
        else if (now.testFlag(Qt::WindowMaximized) && !now.testFlag(Qt::WindowMinimized) &&
                 !m_lastState.testFlag(Qt::WindowMaximized))
            value = "MAXIMIZE";
        else if (!now.testFlag(Qt::WindowMaximized) && !now.testFlag(Qt::WindowMinimized) &&
                 (m_lastState.testFlag(Qt::WindowMaximized) ||
                  m_lastState.testFlag(Qt::WindowMinimized)))
            value = "RESTORE";
        if (value)
            CTestProperty::WriteIniString(QLatin1String(INI_SECTION_MDICHILD_X),
                                          QLatin1String(INI_KEY_MDICHILD_MAXIMIZE),
                                          QLatin1String(value));
        m_lastState = now;
    }
    QMdiSubWindow::changeEvent(event);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_pMainFrame && !m_pMainFrame->CanCloseFrame(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
