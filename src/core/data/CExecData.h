#pragma once

#include "data/VzrEnums.h"

#include <QString>

#include <memory>
#include <vector>

class CArchive;

// One executed step: one voltage at one polarity, with the operator's judgement.
class CExecData {
public:
    static constexpr int kColumnCount = 9;
    // Fewest bytes a stored step can take (a text item takes at least 1 byte, an integer
    // item 4): counts that the rest of a file cannot hold are refused with this.
    static constexpr qint64 kMinStoredBytes = 1 + 10 * (1 + 4);

    quint32 m_ulUsed = 3;
    qint32 m_lTestNo = 0;
    qint32 m_lTestPointNo = 0;
    qint32 m_nDiscMode = DISC_CONTACT;
    qint32 m_nIecLevel = IEC_LEVEL_X;
    qint32 m_nTrig = TRIG_GUN;
    qint32 m_nPola = POLA_MINUS;
    qint32 m_lVolt = 200;    // V
    qint32 m_lInterval = 50; // ms
    qint32 m_lCount = 10;
    qint32 m_nJudge = JUDGE_NONE;
    QString m_strComment;

    // Headings of the list columns 0..8, shared with CSettingData.
    static QString GetColumnTitle(int column);
    // Cell text of a column. A polarity of 2 or more reads as POLA_MINUS, a judgement of 5
    // or more as JUDGE_NONE: the texts the record holds once the lists have corrected it.
    QString GetColumnText(int column) const;
    // Brings a polarity of 2 or more and a judgement of 5 or more back into range in the
    // record, as the lists show them.
    void ClampForList();
    // Stores a judgement and a comment; a judgement of 5 or more is stored as JUDGE_NONE.
    void SetResult(qint32 judge, const QString& comment);

    // Writes the stored form (judgement and comment are not part of it).
    void Store(CArchive& ar) const;
    // Reads the stored form: LOAD_OK, LOAD_VERSION when the version text differs, or
    // LOAD_BAD_FORMAT when the archive failed.
    int Load(CArchive& ar);

    bool operator==(const CExecData&) const = default;
};

using CExecList = std::vector<std::unique_ptr<CExecData>>;

// Memory one step read from a stream keeps: the record, its allocation, its list slot.
inline constexpr qint64 kExecDataHeldBytes = sizeof(CExecData) + 32;
