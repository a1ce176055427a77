#pragma once

#include "data/VzrEnums.h"

#include <array>

// The voltages of a condition: one voltage, a sweep or up to ten voltages.
struct VoltValue {
    static constexpr int kMultiCount = 10;

    qint32 m_nValueType = VALUE_SINGLE;
    qint32 m_lValue = 200;
    qint32 m_lStart = 200;
    qint32 m_lEnd = 200;
    qint32 m_lStep = 100;
    std::array<qint32, kMultiCount> m_abUse{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::array<qint32, kMultiCount> m_alValue{2000, 4000, 6000, 8000, 8000,
                                              200,  200,  200,  200,  200};

    // Number of voltages. Sweeps from a file may hold any values, so this is 64-bit:
    // (m_lEnd - m_lStart) / m_lStep + 1 can exceed 32 bits and can be negative.
    qint64 GetCount() const;
    // The n-th voltage (n from 0).
    qint32 GetValue(qint64 n) const;

    bool operator==(const VoltValue&) const = default;
};
