#include "CStatusNote.h"

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

namespace {

QMainWindow* MainWindowOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* main = qobject_cast<QMainWindow*>(w))
            return main;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<QMainWindow*>(w))
            return main;
    }
    return nullptr;
}

} // namespace

bool CStatusNote::Show(QWidget* near, const QString& text) {
    QMainWindow* main = MainWindowOf(near);
    auto* bar =
        main ? main->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!bar)
        return false;
    bar->showMessage(text);
    return true;
}
