#include "CSettingData.h"

#include "data/CArchive.h"
#include "data/SelectTable.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
const char* const kVersion = "Setting Data Ver.1.0.0.0";

// A condition's steps each have the "ExecDataNo.%d" label in front.
constexpr qint64 kMinNumberedStepBytes = 1 + CExecData::kMinStoredBytes;

QString Tr(const char* text) {
    return QCoreApplication::translate("CSettingData", text);
}

QString KiloText(qint32 v) {
    return QString::asprintf("%.2f", v / 1000.0);
}

ValueRange MakeRange(const char* unit, qint32 exponent, qint32 decimals, qint32 min, qint32 max,
                     qint32 increment) {
    ValueRange r;
    r.strUnit = Tr(unit);
    r.nExponent = exponent;
    r.nDecimals = decimals;
    r.lMin = min;
    r.lMax = max;
    r.lIncrement = increment;
    return r;
}
} // namespace

CSettingData::CSettingData() {
    SetDefault();
}

CSettingData::CSettingData(const CSettingData& other) {
    other.CopyTo(*this);
}

CSettingData& CSettingData::operator=(const CSettingData& other) {
    if (this != &other)
        other.CopyTo(*this);
    return *this;
}

void CSettingData::SetDefault() {
    m_edlList.clear();
    m_ulUsed = 3;
    m_lTestNo = 0;
    m_nDiscMode = DISC_CONTACT;
    m_nIecLevel = IEC_LEVEL_X;
    m_nTrig = TRIG_GUN;
    m_bSweep = false;
    m_ulPola = POLA_BIT_PLUS;
    m_value = VoltValue();
    m_lInterval = 1000;
    m_lCount = 10;
    m_rngVolt = MakeRange(QT_TRANSLATE_NOOP("CSettingData", "[kV]"), 3, 2, 200, 30500, 10);
    m_rngStep = MakeRange(QT_TRANSLATE_NOOP("CSettingData", "[kV]"), 3, 2, 10, 30500, 10);
    m_rngCount = MakeRange(QT_TRANSLATE_NOOP("CSettingData", "[回]"), 0, 0, 1, 60000, 1);
    m_rngInterval = MakeRange(QT_TRANSLATE_NOOP("CSettingData", "[s]"), 3, 2, 50, 600000, 10);
}

void CSettingData::CopyTo(CSettingData& dest) const {
    if (&dest == this)
        return;
    dest.m_edlList.clear();
    dest.m_ulUsed = m_ulUsed;
    dest.m_lTestNo = m_lTestNo;
    dest.m_nDiscMode = m_nDiscMode;
    dest.m_nIecLevel = m_nIecLevel;
    dest.m_nTrig = m_nTrig;
    dest.m_bSweep = m_bSweep;
    dest.m_ulPola = m_ulPola;
    dest.m_value = m_value;
    dest.m_lInterval = m_lInterval;
    dest.m_lCount = m_lCount;
    dest.m_rngVolt = m_rngVolt;
    dest.m_rngStep = m_rngStep;
    dest.m_rngCount = m_rngCount;
    dest.m_rngInterval = m_rngInterval;
    dest.m_edlList.reserve(m_edlList.size());
    for (const auto& step : m_edlList)
        dest.m_edlList.push_back(std::make_unique<CExecData>(*step));
}

CExecData CSettingData::MakeStep() const {
    CExecData step;
    step.m_lTestNo = m_lTestNo;
    step.m_nDiscMode = m_nDiscMode;
    step.m_nIecLevel = m_nIecLevel;
    step.m_nTrig = m_nTrig;
    step.m_lInterval = m_lInterval;
    step.m_lCount = m_lCount;
    step.m_lTestPointNo = 0;
    step.m_nJudge = JUDGE_NONE;
    return step;
}

void CSettingData::MakeExecList(CExecList& list) const {
    list.clear();
    CExecData tmpl = MakeStep();

    const qint64 count = std::min(m_value.GetCount(), kMaxExpandVoltages);
    if (count <= 0)
        return;
    // Only the two polarity bits stand for polarities; other bits of a set read from a
    // file are carried in the record but make no steps.
    qint32 polarities[2];
    int p = 0;
    if (m_ulPola & POLA_BIT_PLUS)
        polarities[p++] = POLA_PLUS;
    if (m_ulPola & POLA_BIT_MINUS)
        polarities[p++] = POLA_MINUS;
    list.reserve(static_cast<size_t>(count * p));
    for (qint64 n = 0; n < count && p > 0; ++n) {
        tmpl.m_lVolt = m_value.GetValue(n);
        for (int k = 0; k < p; ++k) {
            tmpl.m_nPola = polarities[k];
            list.push_back(std::make_unique<CExecData>(tmpl));
        }
    }
}

void CSettingData::SetTestNo(qint32 no) {
    m_lTestNo = no;
    for (auto& step : m_edlList)
        step->m_lTestNo = no;
}

QString CSettingData::GetColumnTitle(int column) {
    return CExecData::GetColumnTitle(column);
}

QString CSettingData::GetColumnText(int column) const {
    switch (column) {
    case 0:
    case 1:
    case 2:
    case 5:
    case 6:
        return MakeStep().GetColumnText(column);
    case 3:
        // Both bits read "+/-" even with the dialog's sweep flag clear: a plan read from
        // a file has the flag clear and must still show its polarity.
        switch (m_ulPola & POLA_BIT_BOTH) {
        case POLA_BIT_BOTH:
            return SelectTableText(g_tblPola3[2]);
        case POLA_BIT_PLUS:
            return SelectTableText(g_tblPola2[0]);
        case POLA_BIT_MINUS:
            return SelectTableText(g_tblPola2[1]);
        default:
            return QString();
        }
    case 4:
        switch (m_value.m_nValueType) {
        case VALUE_SINGLE:
            return KiloText(m_value.m_lValue);
        case VALUE_SWEEP:
            return SelectTableText(g_tblSweepLabel[0]) + KiloText(m_value.m_lStart) +
                   QStringLiteral(", ") + SelectTableText(g_tblSweepLabel[2]) +
                   KiloText(m_value.m_lStep) + QStringLiteral(", ") +
                   SelectTableText(g_tblSweepLabel[1]) + KiloText(m_value.m_lEnd);
        case VALUE_MULTI: {
            QStringList parts;
            const qint64 n = m_value.GetCount();
            for (qint64 i = 0; i < n; ++i)
                parts << KiloText(m_value.GetValue(i));
            return parts.join(QStringLiteral(", "));
        }
        default:
            return QString();
        }
    case 7:
        return SelectTableText(g_tblJudge[0]);
    default:
        return QString();
    }
}

namespace {
// The labelled fields from "[m_ulUsed]" to "[m_lInterval]" in stored order, for both
// directions (rec is const when storing). The ten use/value pairs are always stored,
// whatever the voltage kind.
template <class Rec> void ExchangeFields(Rec& rec, CArchive& ar) {
    ar.Item(QStringLiteral("[m_ulUsed]"), rec.m_ulUsed);
    ar.Item(QStringLiteral("[m_lTestNo]"), rec.m_lTestNo);
    ar.Item(QStringLiteral("[m_nDiscMode]"), rec.m_nDiscMode);
    ar.Item(QStringLiteral("[m_nIecLevel]"), rec.m_nIecLevel);
    ar.Item(QStringLiteral("[m_nTrig]"), rec.m_nTrig);
    ar.Mark(QStringLiteral("@ START VOLT VALUE STRUCTURE @"));
    auto& value = rec.m_value;
    ar.Item(QStringLiteral("[m_nValueType]"), value.m_nValueType);
    ar.Item(QStringLiteral("[m_lValue]"), value.m_lValue);
    ar.Item(QStringLiteral("[m_lStart]"), value.m_lStart);
    ar.Item(QStringLiteral("[m_lEnd]"), value.m_lEnd);
    ar.Item(QStringLiteral("[m_lStep]"), value.m_lStep);
    for (int i = 0; i < VoltValue::kMultiCount; ++i) {
        ar.Item(QString::asprintf("[m_abUse[%d]]", i), value.m_abUse[i]);
        ar.Item(QString::asprintf("[m_alValue[%d]]", i), value.m_alValue[i]);
    }
    ar.Mark(QStringLiteral("@ END VOLT VALUE STRUCTURE @"));
    ar.Item(QStringLiteral("[m_ulPola]"), rec.m_ulPola);
    ar.Item(QStringLiteral("[m_lCount]"), rec.m_lCount);
    ar.Item(QStringLiteral("[m_lInterval]"), rec.m_lInterval);
}
} // namespace

void CSettingData::Store(CArchive& ar) const {
    ar.WriteString(QStringLiteral("### START SETTING DATA ###"));
    ar.WriteString(QString::fromLatin1(kVersion));
    ExchangeFields(*this, ar);
    ar.WriteString(QStringLiteral("m_edlList"));
    ar.WriteInt32(static_cast<qint32>(m_edlList.size()));
    qint32 k = 1;
    for (const auto& step : m_edlList) {
        ar.WriteString(QString::asprintf("ExecDataNo.%d", k++));
        step->Store(ar);
    }
    ar.WriteString(QStringLiteral("### END SETTING DATA ###"));
}

int CSettingData::Load(CArchive& ar) {
    ar.SkipString(); // start label
    if (const int result = ar.ReadVersion(QLatin1StringView(kVersion)); result != LOAD_OK)
        return result;
    // Labels are read and not compared; values are taken as stored.
    ExchangeFields(*this, ar);
    ar.SkipString(); // "m_edlList"
    const qint32 count = ar.ReadInt32();
    if (ar.IsFailed())
        return LOAD_BAD_FORMAT;
    m_edlList.clear();
    if (!ar.CanHold(count, kMinNumberedStepBytes))
        return LOAD_BAD_FORMAT;
    for (qint32 k = 0; k < count; ++k) {
        ar.SkipString(); // "ExecDataNo.%d"
        if (!ar.Keep(kExecDataHeldBytes))
            return LOAD_BAD_FORMAT;
        auto step = std::make_unique<CExecData>();
        const int result = step->Load(ar);
        if (result != LOAD_OK)
            return result;
        m_edlList.push_back(std::move(step));
    }
    ar.SkipString(); // end label
    return ar.IsFailed() ? LOAD_BAD_FORMAT : LOAD_OK;
}

bool CSettingData::IsEqual(const CSettingData& other) const {
    if (m_ulUsed != other.m_ulUsed || m_lTestNo != other.m_lTestNo ||
        m_nDiscMode != other.m_nDiscMode || m_nIecLevel != other.m_nIecLevel ||
        m_nTrig != other.m_nTrig || m_bSweep != other.m_bSweep || m_ulPola != other.m_ulPola ||
        !(m_value == other.m_value) || m_lInterval != other.m_lInterval ||
        m_lCount != other.m_lCount || !(m_rngVolt == other.m_rngVolt) ||
        !(m_rngStep == other.m_rngStep) || !(m_rngCount == other.m_rngCount) ||
        !(m_rngInterval == other.m_rngInterval) || m_edlList.size() != other.m_edlList.size())
        return false;
    for (size_t i = 0; i < m_edlList.size(); ++i) {
        if (!(*m_edlList[i] == *other.m_edlList[i]))
            return false;
    }
    return true;
}

namespace {
constexpr qint32 kOneSecond = 1000; // ms
constexpr qint32 kFineIntervalStep = 10;
constexpr qint32 kCoarseIntervalStep = 100;

qint32 IntervalIncrement(qint32 interval, int direction) {
    if (direction < 0)
        return interval > kOneSecond ? kCoarseIntervalStep : kFineIntervalStep;
    return interval >= kOneSecond ? kCoarseIntervalStep : kFineIntervalStep;
}
} // namespace

bool CSettingData::IsStandardLevel(qint32 iecLevel) {
    return iecLevel >= IEC_LEVEL_1 && iecLevel <= IEC_LEVEL_4;
}

void CSettingData::SetDiscMode(qint32 discMode) {
    m_nDiscMode = discMode;
    if (IsStandardLevel(m_nIecLevel)) {
        const qint32 volt = IecLevelVoltage(m_nDiscMode, m_nIecLevel);
        m_value.m_lValue = volt;
        m_value.m_lStart = volt;
        m_value.m_lEnd = volt;
    }
}

void CSettingData::SetIecLevel(qint32 iecLevel) {
    m_nIecLevel = iecLevel;
    if (!IsStandardLevel(m_nIecLevel))
        return;
    const qint32 volt = IecLevelVoltage(m_nDiscMode, m_nIecLevel);
    m_value.m_lValue = volt;
    m_value.m_lStart = volt;
    m_value.m_lEnd = volt;
    if (m_bSweep)
        SetSweep(false);
}

void CSettingData::SetSweep(bool sweep) {
    m_bSweep = sweep;
    if (sweep) {
        m_value.m_nValueType = VALUE_SWEEP;
        m_nIecLevel = IEC_LEVEL_X;
        return;
    }
    m_value.m_nValueType = VALUE_SINGLE;
    if (m_ulPola != POLA_BIT_PLUS && m_ulPola != POLA_BIT_MINUS)
        m_ulPola = POLA_BIT_PLUS;
}

void CSettingData::CheckLevel(qint32 volt) {
    if (IsStandardLevel(m_nIecLevel) && volt != IecLevelVoltage(m_nDiscMode, m_nIecLevel))
        m_nIecLevel = IEC_LEVEL_X;
}

bool CSettingData::FollowVoltage() {
    m_value.m_lStart = m_value.m_lValue;
    if (m_value.m_lEnd >= m_value.m_lStart)
        return false;
    m_value.m_lEnd = m_value.m_lStart;
    return true;
}

NumberEntry::Limits CSettingData::EndLimits() const {
    return {m_value.m_lStart, m_rngVolt.lMax, m_rngVolt.lIncrement};
}

NumberEntry::Limits CSettingData::IntervalLimits(qint32 typed, int direction) {
    if (direction != 0)
        m_rngInterval.lIncrement = IntervalIncrement(typed, direction);
    return {m_rngInterval.lMin, m_rngInterval.lMax, m_rngInterval.lIncrement};
}

void CSettingData::FitIntervalIncrement() {
    m_rngInterval.lIncrement = IntervalIncrement(m_lInterval, 0);
}

qint32 CSettingData::PolarityCode() const {
    switch (m_ulPola) {
    case POLA_BIT_PLUS:
        return 0;
    case POLA_BIT_MINUS:
        return 1;
    default:
        return 2;
    }
}

void CSettingData::SetPolarityCode(qint32 code) {
    switch (code) {
    case 1:
        m_ulPola = POLA_BIT_MINUS;
        break;
    case 2:
        m_ulPola = POLA_BIT_BOTH;
        break;
    default:
        m_ulPola = POLA_BIT_PLUS;
    }
}
