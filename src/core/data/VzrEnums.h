#pragma once

#include <QtGlobal>

// Enumerations of the test records. Every one is stored in data files as a signed
// 32-bit integer, so the constants are plain qint32 values.

// Discharge mode (m_nDiscMode).
inline constexpr qint32 DISC_CONTACT = 0;
inline constexpr qint32 DISC_AIR = 1;

// IEC 61000-4-2 test level (m_nIecLevel); IEC_LEVEL_X is a free voltage.
inline constexpr qint32 IEC_LEVEL_1 = 0;
inline constexpr qint32 IEC_LEVEL_2 = 1;
inline constexpr qint32 IEC_LEVEL_3 = 2;
inline constexpr qint32 IEC_LEVEL_4 = 3;
inline constexpr qint32 IEC_LEVEL_X = 4;

// Trigger source (m_nTrig).
inline constexpr qint32 TRIG_VZR = 0;
inline constexpr qint32 TRIG_GUN = 1;
inline constexpr qint32 TRIG_EXTERNAL = 2;
inline constexpr qint32 TRIG_REMOTE = 3;

// Polarity: the bit number in a condition's polarity set (m_ulPola) and the index
// carried by a step (m_nPola).
inline constexpr qint32 POLA_PLUS = 0;
inline constexpr qint32 POLA_MINUS = 1;
inline constexpr quint32 POLA_BIT_PLUS = 1u << POLA_PLUS;
inline constexpr quint32 POLA_BIT_MINUS = 1u << POLA_MINUS;
inline constexpr quint32 POLA_BIT_BOTH = POLA_BIT_PLUS | POLA_BIT_MINUS;

// Voltage kind (VoltValue::m_nValueType).
inline constexpr qint32 VALUE_SINGLE = 0;
inline constexpr qint32 VALUE_SWEEP = 1;
inline constexpr qint32 VALUE_MULTI = 2;

// Judgement of a step (m_nJudge).
inline constexpr qint32 JUDGE_NONE = 0;
inline constexpr qint32 JUDGE_A = 1;
inline constexpr qint32 JUDGE_B = 2;
inline constexpr qint32 JUDGE_C = 3;
inline constexpr qint32 JUDGE_D = 4;

// Results of reading a record or a data file.
inline constexpr int LOAD_OK = 0;
inline constexpr int LOAD_NOT_DATA_FILE = 1; // header text missing
inline constexpr int LOAD_VERSION = 2;       // file, condition or step version differs
inline constexpr int LOAD_BAD_FORMAT = 3;    // file ends early or holds an impossible length

// Nominal voltage in volts of an IEC level for a discharge mode; 0 for IEC_LEVEL_X
// and values outside the levels.
constexpr qint32 IecLevelVoltage(qint32 discMode, qint32 iecLevel) {
    const bool air = discMode != DISC_CONTACT;
    switch (iecLevel) {
    case IEC_LEVEL_1:
        return 2000;
    case IEC_LEVEL_2:
        return 4000;
    case IEC_LEVEL_3:
        return air ? 8000 : 6000;
    case IEC_LEVEL_4:
        return air ? 15000 : 8000;
    default:
        return 0;
    }
}
