#pragma once

#include "data/CExecData.h"
#include "data/NumberEntry.h"
#include "data/ValueRange.h"
#include "data/VoltValue.h"

#include <QString>

#include <memory>
#include <vector>

class CArchive;

// One test condition of the plan. It owns the steps it expands into (m_edlList);
// copies are deep. It also holds the rules that tie its fields together while the
// condition dialog edits it: the level's voltage, the sweep, END never below the start,
// the interval's step size.
class CSettingData {
public:
    // A condition expands into at most this many voltages (times its polarities). The
    // largest plan the condition dialog can make sweeps 0.20..30.50 kV by 0.01 kV:
    // 3,031 voltages. A sweep read from a file may ask for billions, so expansion stops
    // after this many instead of exhausting memory.
    static constexpr qint64 kMaxExpandVoltages = 10000;
    // Fewest bytes a stored condition can take: 39 text items of at least 1 byte and 34
    // integer items.
    static constexpr qint64 kMinStoredBytes = 39 * 1 + 34 * 4;

    quint32 m_ulUsed = 3;
    qint32 m_lTestNo = 0;
    qint32 m_nDiscMode = DISC_CONTACT;
    qint32 m_nIecLevel = IEC_LEVEL_X;
    qint32 m_nTrig = TRIG_GUN;
    bool m_bSweep = false; // dialog state only, never stored
    quint32 m_ulPola = POLA_BIT_PLUS;
    VoltValue m_value;
    qint32 m_lInterval = 1000; // ms
    qint32 m_lCount = 10;
    CExecList m_edlList;
    ValueRange m_rngVolt;
    ValueRange m_rngStep;
    ValueRange m_rngCount;
    ValueRange m_rngInterval;

    CSettingData();
    CSettingData(const CSettingData& other);
    CSettingData& operator=(const CSettingData& other);
    CSettingData(CSettingData&&) noexcept = default;
    CSettingData& operator=(CSettingData&&) noexcept = default;
    ~CSettingData() = default;

    // Deletes the steps and sets every field and descriptor to its default.
    void SetDefault();
    // Deep copy into dest: every field, the descriptors and a copy of each step.
    void CopyTo(CSettingData& dest) const;
    void CopyTo(CSettingData* dest) const { CopyTo(*dest); }
    // Rebuilds list from the condition: for each voltage, one step per polarity
    // (positive before negative).
    void MakeExecList(CExecList& list) const;
    void MakeExecList(CExecList* list) const { MakeExecList(*list); }
    // Sets the test number of the condition and of each of its steps.
    void SetTestNo(qint32 no);

    static QString GetColumnTitle(int column);
    QString GetColumnText(int column) const;

    void Store(CArchive& ar) const;
    // LOAD_OK, LOAD_VERSION (condition or step version differs) or LOAD_BAD_FORMAT.
    int Load(CArchive& ar);

    // Field-by-field equality, the steps included (compared by value).
    bool IsEqual(const CSettingData& other) const;

    // IEC_LEVEL_1 .. IEC_LEVEL_4: the levels with a standard voltage.
    static bool IsStandardLevel(qint32 iecLevel);
    // A new discharge mode. A standard level's voltage follows it, the sweep's start and
    // end too, so that a sweep begun next starts from the voltage shown.
    void SetDiscMode(qint32 discMode);
    // A new IEC level. A standard level sets the voltage and the sweep's start and end to
    // its voltage for the mode, and ends a sweep: a sweep is always a free voltage.
    void SetIecLevel(qint32 iecLevel);
    // The dialog's SWEEP box, kept in m_bSweep. Set: a sweep of free voltage
    // (IEC_LEVEL_X). Cleared: a single voltage at one polarity ("+/-" becomes "+").
    void SetSweep(bool sweep);
    // A voltage typed, not yet taken: a standard level whose voltage differs from it
    // becomes IEC_LEVEL_X.
    void CheckLevel(qint32 volt);
    // After the voltage box set m_lValue: the sweep starts there, and END follows the
    // start up. True when END moved.
    bool FollowVoltage();
    // END's bounds: never below the start.
    NumberEntry::Limits EndLimits() const;
    // The interval's bounds for a commit (direction 0) or a step down (-1) or up (+1) from
    // typed. A step takes 10 ms below one second and 100 ms from one second up, stored as
    // the range's increment; stepping down from exactly one second takes 10, so that
    // 1.00 s steps down to 0.99 s.
    NumberEntry::Limits IntervalLimits(qint32 typed, int direction);
    // After the interval was committed: the step size follows the value taken.
    void FitIntervalIncrement();
    // The polarity set as one code: 0 "+" only, 1 "-" only, 2 both (so any set but 1 and
    // 2). It is the row of the dialog's polarity list and the instrument's sequence code.
    qint32 PolarityCode() const;
    // Sets the polarity from a code; a code outside 0..2 gives "+".
    void SetPolarityCode(qint32 code);

private:
    // A step carrying the condition's fields, before its voltage and polarity are set.
    CExecData MakeStep() const;
};

using CSettingList = std::vector<std::unique_ptr<CSettingData>>;

// Memory one condition read from a stream keeps: the record with the unit texts of its
// four ranges, its allocation, its list slot.
inline constexpr qint64 kSettingDataHeldBytes = sizeof(CSettingData) + 4 * 64 + 32;
