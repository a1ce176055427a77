#include "NumberEntry.h"

#include <algorithm>

namespace NumberEntry {

namespace {
bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

Filtered Filter(const QString& text, int selStart, int selEnd) {
    const QString stripped = text.trimmed();
    // The point just typed stands before the caret; then the first one survives.
    qsizetype keepPoint = stripped.indexOf(u'.');
    if (selStart > 0 && selStart <= stripped.size() && stripped.at(selStart - 1) == u'.')
        keepPoint = selStart - 1;

    QString clean;
    clean.reserve(stripped.size());
    for (qsizetype i = 0; i < stripped.size(); ++i) {
        const QChar c = stripped.at(i);
        if (IsDigit(c) || (c == u'.' && i == keepPoint))
            clean += c;
    }

    Filtered result;
    result.text = clean;
    result.selStart = selStart;
    result.selEnd = selEnd;
    if (clean == text)
        return result;
    result.changed = true;
    // Where the kept beginning is untouched, the selection stays; else the dropped
    // character was before the caret, which moves back over it.
    if (selStart < 0 || clean.left(selStart) != text.left(selStart)) {
        result.selStart = selStart - 1;
        result.selEnd = selEnd - 1;
    }
    const int length = int(clean.size());
    result.selStart = std::clamp(result.selStart, 0, length);
    result.selEnd = std::clamp(result.selEnd, result.selStart, length);
    return result;
}

qint32 NextValue(qint32 typed, int direction, const Limits& limits) {
    qint64 v = typed;
    if (direction < 0)
        v -= limits.lIncrement;
    else if (direction > 0)
        v += limits.lIncrement;
    if (v < limits.lMin)
        return limits.lMin;
    if (v > limits.lMax)
        return std::max(limits.lMin, limits.lMax);
    return qint32(v);
}

} // namespace NumberEntry
