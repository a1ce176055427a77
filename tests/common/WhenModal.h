#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <type_traits>

// Runs act on the next modal window of type T once it is up, from inside that window's own
// event loop (a modal dialog's exec() does not return until someone answers it). The watch
// can be called off by deleting the timer it returns.
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
