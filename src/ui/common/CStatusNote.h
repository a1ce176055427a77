#pragma once

#include <QString>

class QWidget;

// A note in the main window's status bar, from a window anywhere in the program (a
// dialog over it, a dialog without a parent): where a report or a run record went, and
// what could not be written.
class CStatusNote {
public:
    CStatusNote() = delete;

    // Shows text in the status bar of the main window that near belongs to, else of the
    // application's first main window. False when there is none.
    static bool Show(QWidget* near, const QString& text);
};
