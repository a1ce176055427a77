#include "CChildFrame.h"

#include "data/CVzrT8100Doc.h"
#include "plan/CVzrT8100View.h"
#include "settings/CTestProperty.h"
#include "shell/CMainFrame.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>

#include <algorithm>

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

CChildFrame::CChildFrame(CVzrT8100Doc* doc, CVzrT8100Cntl& cntl, CTestProperty& property,
                         CMainFrame* mainFrame)
    : QMdiSubWindow(nullptr), m_pDoc(doc), m_pMainFrame(mainFrame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("childFrame"));
    QWidget* view = s_viewFactory ? s_viewFactory(doc, this) : nullptr;
    setWidget(view ? view : new CVzrT8100View(doc, cntl, property));
    m_lastState = windowState();
    systemMenu()->installEventFilter(this);
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::SetViewFactory(ViewFactory factory) {
    s_viewFactory = std::move(factory);
}

void CChildFrame::UpdateView(const QString& caption) {
    setWindowTitle(caption);
}

void CChildFrame::InitialUpdate() {
    if (auto* view = qobject_cast<CVzrT8100View*>(widget())) {
        FitTo(view);
        view->OnInitialUpdate();
    }
    RestorePlacement(); // once the list is filled
}

void CChildFrame::FitTo(const QWidget* view) {
    if (isMaximized() || isMinimized())
        return;
    const QSize decoration = size() - view->size();
    const QSize fit = view->sizeHint() + decoration;
    const QSize now = size();
    const QSize target(std::min(now.width(), fit.width()), std::min(now.height(), fit.height()));
    if (target != now)
        resize(target);
}

QRect CChildFrame::DefaultPlacement() const {
    const QMdiArea* area = mdiArea();
    if (!area)
        return geometry();
    // the area's own size: its viewport is laid out only once the main window shows
    const QSize client = area->contentsRect().size();
    const int step = std::max(1, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const int places = std::max(1, client.height() / (3 * step));
    const QSize size(std::max(client.width() - places * step, minimumSizeHint().width()),
                     std::max(client.height() - places * step, minimumSizeHint().height()));
    int others = 0;
    for (const QMdiSubWindow* window : area->subWindowList())
        others += window != this;
    const int offset = others % (places + 1) * step;
    return QRect(QPoint(offset, offset), size);
}

void CChildFrame::PlaceNewWindow() {
    QRect r = DefaultPlacement();
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

void CChildFrame::RestorePlacement() {
    if (!s_bFirstWindowPending)
        return;
    s_bFirstWindowPending = false;
    const QString state = CTestProperty::ReadIniString(
        QLatin1String(INI_SECTION_MDICHILD_X), QLatin1String(INI_KEY_MDICHILD_MAXIMIZE), QString());
    if (state == QLatin1String("MAXIMIZE"))
        showMaximized(); // the program's doing, not the operator's: nothing is written
}

bool CChildFrame::IsFirstWindowPending() {
    return s_bFirstWindowPending;
}

void CChildFrame::ResetFirstWindowPending() {
    s_bFirstWindowPending = true;
}

void CChildFrame::OperatorInput() {
    // the menu's own handling of the event follows this filter: the mark lasts until the
    // event loop has control again
    ++m_nOperatorInput;
    QTimer::singleShot(0, this, [this] { --m_nOperatorInput; });
}

void CChildFrame::mouseReleaseEvent(QMouseEvent* event) {
    ++m_nOperatorInput; // the title bar's buttons
    QMdiSubWindow::mouseReleaseEvent(event);
    --m_nOperatorInput;
}

void CChildFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    ++m_nOperatorInput; // a double click on the title bar
    QMdiSubWindow::mouseDoubleClickEvent(event);
    --m_nOperatorInput;
}

QMenuBar* CChildFrame::MainMenuBar() const {
    auto* main = qobject_cast<QMainWindow*>(window());
    return main ? qobject_cast<QMenuBar*>(main->menuWidget()) : nullptr;
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
        if (watched == systemMenu()) {
            OperatorInput();
        } else if (QMenuBar* bar = MainMenuBar()) {
            // the menu bar shows the controls of the active maximised window
            const bool controls = watched == bar->cornerWidget(Qt::TopLeftCorner) ||
                                  watched == bar->cornerWidget(Qt::TopRightCorner);
            if (controls && mdiArea() && mdiArea()->activeSubWindow() == this)
                OperatorInput();
        }
        break;
    default:
        break;
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void CChildFrame::WatchMenuBarControls() {
    if (QMenuBar* bar = MainMenuBar()) {
        for (Qt::Corner corner : {Qt::TopLeftCorner, Qt::TopRightCorner}) {
            if (QWidget* controls = bar->cornerWidget(corner))
                controls->installEventFilter(this); // once only, however often installed
        }
    }
}

void CChildFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && isVisible()) {
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
        // only the operator's own command is remembered: tiling, cascading, the area
        // maximising the window it activates and the first window's restore write nothing
        if (value && m_nOperatorInput > 0)
            CTestProperty::WriteIniString(QLatin1String(INI_SECTION_MDICHILD_X),
                                          QLatin1String(INI_KEY_MDICHILD_MAXIMIZE),
                                          QLatin1String(value));
        m_lastState = now;
    }
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMaximized())
        WatchMenuBarControls();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_pMainFrame && !m_pMainFrame->CanCloseFrame(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
