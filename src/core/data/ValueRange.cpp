#include "ValueRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}
bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qint32 Saturate(qint64 v) {
    return static_cast<qint32>(std::clamp<qint64>(v, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}
} // namespace

QString ValueRange::ValueToText(qint32 v) const {
    const int decimals = std::clamp(nDecimals, 0, 20);
    const int exponent = std::clamp(nExponent, -300, 300);
    // Dividing by an exact power of ten gives the correctly rounded quotient.
    const double scaled =
        exponent >= 0 ? v / std::pow(10.0, exponent) : v * std::pow(10.0, -exponent);
    return QString::asprintf("%.*f", decimals, scaled);
}

qint32 ValueRange::TextToValue(const QString& text) const {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Significant digits and the power of ten of the last one, read exactly: 0.57
    // typed with exponent 2 must give 57, which binary floating point would miss.
    QString digits;
    qint64 power = 0;
    bool any = false;
    while (i < n && IsDigit(text[i])) {
        if (!digits.isEmpty() || text[i] != u'0')
            digits += text[i];
        any = true;
        ++i;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            if (!digits.isEmpty() || text[i] != u'0')
                digits += text[i];
            --power;
            any = true;
            ++i;
        }
    }
    if (!any)
        return 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        bool expNegative = false;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            expNegative = text[j] == u'-';
            ++j;
        }
        if (j < n && IsDigit(text[j])) {
            qint64 e = 0;
            while (j < n && IsDigit(text[j])) {
                e = std::min<qint64>(e * 10 + (text[j].unicode() - u'0'), 1000000);
                ++j;
            }
            power += expNegative ? -e : e;
        }
    }
    power += nExponent;
    // Drop the digits below the units (truncation toward zero) or append zeros.
    if (power < 0) {
        const qint64 drop = -power;
        digits.chop(static_cast<qsizetype>(std::min<qint64>(drop, digits.size())));
        power = 0;
    }
    if (digits.isEmpty())
        return 0;
    qint64 value = 0;
    constexpr qint64 kCap = qint64(1) << 40; // well past the 32-bit range
    for (const QChar c : digits) {
        value = std::min(value * 10 + (c.unicode() - u'0'), kCap);
    }
    for (qint64 p = 0; p < power && value < kCap; ++p)
        value = std::min(value * 10, kCap);
    return Saturate(negative ? -value : value);
}

qint32 ValueRange::Clamp(qint64 v) const {
    if (v < lMin)
        return lMin;
    if (v > lMax)
        return std::max(lMin, lMax);
    return static_cast<qint32>(v);
}
