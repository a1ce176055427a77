#pragma once

#include <QString>
#include <QtGlobal>

// The rules of a box in which the operator types a physical value: only digits and one
// decimal point survive the typing, and a value is bounded and stepped in stored units.
namespace NumberEntry {

// A box's text and selection after the typing filter; the selection runs from
// selStart to selEnd, the caret standing at selEnd.
struct Filtered {
    QString text;
    int selStart = 0;
    int selEnd = 0;
    bool changed = false; // the text had to be cleaned
};

// Cleans text typed into a number box: blanks at both ends go, then every character but
// the digits 0-9 and one decimal point. The point just typed (the one before the caret)
// wins over an older one; otherwise the first point stays. When the text changed, the
// caret stays behind the character before the one that was dropped.
Filtered Filter(const QString& text, int selStart, int selEnd);

// Bounds and step of a box in stored units.
struct Limits {
    qint32 lMin = 0;
    qint32 lMax = 0;
    qint32 lIncrement = 1;
};

// The value a box takes from the value typed into it: direction 0 commits (clamps),
// a negative direction steps down and a positive one steps up, then clamps. A minimum
// above the maximum wins.
qint32 NextValue(qint32 typed, int direction, const Limits& limits);

} // namespace NumberEntry
