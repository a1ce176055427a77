#pragma once

#include <QString>
#include <QtGlobal>

// How a numeric edit field shows, parses, bounds and steps a stored integer: the
// stored value is the shown number times 10 to the power nExponent.
struct ValueRange {
    QString strUnit;
    qint32 nExponent = 0;
    qint32 nDecimals = 0;
    qint32 lMin = 0;
    qint32 lMax = 0;
    qint32 lIncrement = 1;

    // "%.*f" with nDecimals digits of v x 10^-nExponent.
    QString ValueToText(qint32 v) const;
    // The decimal number at the start of text (leading blanks skipped) times
    // 10^nExponent, truncated toward zero; 0 when there is no number. Exact decimal
    // arithmetic, so "0.57" with exponent 2 gives 57; saturates at the 32-bit limits.
    qint32 TextToValue(const QString& text) const;
    // v clamped into [lMin, lMax].
    qint32 Clamp(qint64 v) const;

    bool operator==(const ValueRange&) const = default;
};
