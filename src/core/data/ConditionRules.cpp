#include "ConditionRules.h"

#include "data/VzrEnums.h"

namespace ConditionRules {

namespace {
constexpr qint32 ONE_SECOND = 1000;
constexpr qint32 FINE_STEP = 10;
constexpr qint32 COARSE_STEP = 100;
} // namespace

bool IsStandardLevel(qint32 iecLevel) {
    return iecLevel >= IEC_LEVEL_1 && iecLevel <= IEC_LEVEL_4;
}

qint32 LevelForVoltage(qint32 discMode, qint32 iecLevel, qint32 volt) {
    if (IsStandardLevel(iecLevel) && volt != IecLevelVoltage(discMode, iecLevel))
        return IEC_LEVEL_X;
    return iecLevel;
}

quint32 PolaSetOfRow(qint32 row) {
    switch (row) {
    case 1:
        return POLA_BIT_MINUS;
    case 2:
        return POLA_BIT_BOTH;
    default:
        return POLA_BIT_PLUS;
    }
}

qint32 PolaRowOfSet(quint32 pola) {
    switch (pola) {
    case POLA_BIT_PLUS:
        return 0;
    case POLA_BIT_MINUS:
        return 1;
    default:
        return 2;
    }
}

qint32 IntervalIncrement(qint32 interval, int direction) {
    if (direction < 0)
        return interval > ONE_SECOND ? COARSE_STEP : FINE_STEP;
    return interval >= ONE_SECOND ? COARSE_STEP : FINE_STEP;
}

} // namespace ConditionRules
