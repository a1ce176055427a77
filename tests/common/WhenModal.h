#pragma once
// Answers to modal windows from inside their own event loops (a modal dialog's exec() does
// not return until someone answers it): one window at a time (WhenModal, AnswerNextBox) or
// every window that comes up while a watcher lives (CModalWatcher).
#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <type_traits>

// Acts on the next modal window of type T once it is up. The watch can be called off by
// deleting the timer it returns.
template <class T = QWidget>
QTimer* WhenModal(std::type_identity_t<std::function<void(T*)>> act, int periodMs = 10) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start(periodMs);
    return timer;
}

// What a message box showed when it was answered.
struct BoxSeen {
    bool shown = false;
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool cursorRestored = false; // no wait cursor was left over it

    static BoxSeen Of(const QMessageBox* box) {
        return {true,
                box->text(),
                box->windowTitle(),
                box->icon(),
                box->standardButtons(),
                box->standardButton(box->defaultButton()),
                QGuiApplication::overrideCursor() == nullptr};
    }
};

// Presses answer on the next message box, keeping what it showed in *seen.
inline QTimer* AnswerNextBox(QMessageBox::StandardButton answer, BoxSeen* seen = nullptr) {
    return WhenModal<QMessageBox>([answer, seen](QMessageBox* box) {
        if (seen)
            *seen = BoxSeen::Of(box);
        box->button(answer)->click();
    });
}

// Looks at the active modal window every periodMs for as long as it lives and hands it to
// act until act returns true (done with that window); a window shown again after none was
// up, or after Forget(), is handed over again. everyTick, when set, is called on every look.
class CModalWatcher : public QObject {
public:
    explicit CModalWatcher(std::function<bool(QWidget*)> act, int periodMs = 20)
        : m_act(std::move(act)) {
        connect(&m_timer, &QTimer::timeout, this, &CModalWatcher::Look);
        m_timer.start(periodMs);
    }
    std::function<void()> everyTick;
    void Forget() { m_done = nullptr; }

private:
    void Look() {
        if (everyTick)
            everyTick();
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            m_done = nullptr;
        else if (modal != m_done && m_act(modal))
            m_done = modal;
    }

    std::function<bool(QWidget*)> m_act;
    QTimer m_timer;
    QPointer<QWidget> m_done;
};
