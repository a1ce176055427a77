#pragma once

#include "data/CExecData.h"
#include "data/ValueRange.h"
#include "data/VoltValue.h"

#include <QString>

#include <memory>
#include <vector>

class CArchive;

// One test condition of the plan. It owns the steps it expands into (m_edlList);
// copies are deep.
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

private:
    // A step carrying the condition's fields, before its voltage and polarity are set.
    CExecData MakeStep() const;
};

using CSettingList = std::vector<std::unique_ptr<CSettingData>>;

// Memory one condition read from a stream keeps: the record with the unit texts of its
// four ranges, its allocation, its list slot.
inline constexpr qint64 kSettingDataHeldBytes = sizeof(CSettingData) + 4 * 64 + 32;
