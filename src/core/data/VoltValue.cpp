#include "VoltValue.h"

#include <algorithm>
#include <limits>

qint64 VoltValue::GetCount() const {
    switch (m_nValueType) {
    case VALUE_SINGLE:
        return 1;
    case VALUE_SWEEP:
        if (m_lStep == 0)
            return 1;
        return (qint64(m_lEnd) - m_lStart) / m_lStep + 1;
    case VALUE_MULTI:
        return std::count_if(m_abUse.begin(), m_abUse.end(), [](qint32 u) { return u != 0; });
    default:
        return 0;
    }
}

qint32 VoltValue::GetValue(qint64 n) const {
    switch (m_nValueType) {
    case VALUE_SINGLE:
        return m_lValue;
    case VALUE_SWEEP: {
        // No sweep of 32-bit values holds more than 2^32 voltages; bounding n keeps
        // start + n x step inside 64 bits.
        constexpr qint64 kMaxIndex = (qint64(1) << 32) - 1;
        const qint64 k = std::clamp(n, -kMaxIndex, kMaxIndex);
        const qint64 v = std::min<qint64>(m_lEnd, m_lStart + k * m_lStep);
        return static_cast<qint32>(std::max<qint64>(v, std::numeric_limits<qint32>::min()));
    }
    case VALUE_MULTI: {
        qint64 seen = 0;
        for (int j = 0; j < kMultiCount; ++j) {
            if (m_abUse[j] == 0)
                continue;
            if (seen == n)
                return m_alValue[j];
            ++seen;
        }
        return 0;
    }
    default:
        return 0;
    }
}
