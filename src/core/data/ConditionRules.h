#pragma once

#include <QtGlobal>

// How the test condition dialog ties the fields of a condition together: IEC levels and
// their voltages, the polarity rows, the interval's step size.
namespace ConditionRules {

// IEC_LEVEL_1 .. IEC_LEVEL_4: levels with a standard voltage.
bool IsStandardLevel(qint32 iecLevel);

// The level after a voltage was typed: a standard level whose voltage (for the mode)
// differs from the typed one becomes IEC_LEVEL_X; any other level stays.
qint32 LevelForVoltage(qint32 discMode, qint32 iecLevel, qint32 volt);

// Polarity set (1 "+", 2 "-", 3 "+/-") of a polarity row value, and back. Unknown row
// values give "+"; a set other than 1 or 2 gives the "+/-" row.
quint32 PolaSetOfRow(qint32 row);
qint32 PolaRowOfSet(quint32 pola);

// Step of the interval in ms: 10 below one second, 100 from one second up. Committing
// (direction 0) decides by the committed value; stepping down from exactly one second
// still takes 10 so that 1.00 s steps down to 0.99 s.
qint32 IntervalIncrement(qint32 interval, int direction);

} // namespace ConditionRules
