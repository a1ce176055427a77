#include "CExecData.h"

#include "data/CArchive.h"
#include "data/SelectTable.h"

#include <QCoreApplication>

namespace {
const char* const kVersion = "Exec Data Ver.1.0.0.0";

QString Tr(const char* text) {
    return QCoreApplication::translate("CExecData", text);
}

QString ThousandthsText(qint32 v) {
    return QString::asprintf("%.2f", v / 1000.0);
}

// What the lists make of values beyond the last entry of their tables.
qint32 PolaInRange(qint32 pola) {
    return pola >= 2 ? POLA_MINUS : pola;
}

qint32 JudgeInRange(qint32 judge) {
    return judge >= 5 ? JUDGE_NONE : judge;
}
} // namespace

QString CExecData::GetColumnTitle(int column) {
    switch (column) {
    case 0:
        return Tr("放電モード");
    case 1:
        return Tr("IEC LEVEL");
    case 2:
        return Tr("トリガ");
    case 3:
        return Tr("極性");
    case 4:
        return Tr("電圧[kV]");
    case 5:
        return Tr("放電回数[回]");
    case 6:
        return Tr("放電間隔[s]");
    case 7:
        return Tr("判定");
    case 8:
        return Tr("コメント");
    default:
        return QString();
    }
}

QString CExecData::GetColumnText(int column) const {
    switch (column) {
    case 0:
        return m_nDiscMode == DISC_CONTACT ? Tr("CONTACT") : Tr("AIR");
    case 1:
        switch (m_nIecLevel) {
        case IEC_LEVEL_1:
            return Tr("IEC LEVEL 1");
        case IEC_LEVEL_2:
            return Tr("IEC LEVEL 2");
        case IEC_LEVEL_3:
            return Tr("IEC LEVEL 3");
        case IEC_LEVEL_4:
            return Tr("IEC LEVEL 4");
        case IEC_LEVEL_X:
            return Tr("IEC LEVEL X");
        default:
            return Tr("------");
        }
    case 2:
        switch (m_nTrig) {
        case TRIG_VZR:
            return Tr("VZR");
        case TRIG_GUN:
            return Tr("GUN");
        case TRIG_EXTERNAL:
            return Tr("EXTERNAL");
        case TRIG_REMOTE:
            return Tr("REMOTE");
        default:
            return QString();
        }
    case 3:
        return SelectTableTextAt(g_tblPola2, PolaInRange(m_nPola));
    case 4:
        return m_lVolt == 0 ? QStringLiteral("0") : ThousandthsText(m_lVolt);
    case 5:
        return QString::number(m_lCount);
    case 6:
        return m_nDiscMode != DISC_CONTACT ? Tr("------") : ThousandthsText(m_lInterval);
    case 7:
        return SelectTableTextAt(g_tblJudge, JudgeInRange(m_nJudge));
    case 8:
        return m_strComment;
    default:
        return QString();
    }
}

void CExecData::ClampForList() {
    m_nPola = PolaInRange(m_nPola);
    m_nJudge = JudgeInRange(m_nJudge);
}

void CExecData::SetResult(qint32 judge, const QString& comment) {
    m_nJudge = JudgeInRange(judge);
    m_strComment = comment;
}

namespace {
// The labelled fields in stored order, for both directions (rec is const when storing).
template <class Rec> void ExchangeFields(Rec& rec, CArchive& ar) {
    ar.Item(QStringLiteral("[m_ulUsed]"), rec.m_ulUsed);
    ar.Item(QStringLiteral("[m_lTestNo]"), rec.m_lTestNo);
    ar.Item(QStringLiteral("[m_lTestPointNo]"), rec.m_lTestPointNo);
    ar.Item(QStringLiteral("[m_nDiscMode]"), rec.m_nDiscMode);
    ar.Item(QStringLiteral("[m_nIecLevel]"), rec.m_nIecLevel);
    ar.Item(QStringLiteral("[m_nTrig]"), rec.m_nTrig);
    ar.Item(QStringLiteral("[m_lVolt]"), rec.m_lVolt);
    ar.Item(QStringLiteral("[m_nPola]"), rec.m_nPola);
    ar.Item(QStringLiteral("[m_lCount]"), rec.m_lCount);
    ar.Item(QStringLiteral("[m_lInterval]"), rec.m_lInterval);
}
} // namespace

void CExecData::Store(CArchive& ar) const {
    ar.WriteString(QString::fromLatin1(kVersion));
    ExchangeFields(*this, ar);
}

int CExecData::Load(CArchive& ar) {
    if (const int result = ar.ReadVersion(QLatin1StringView(kVersion)); result != LOAD_OK)
        return result;
    // Labels are read and not compared; values are taken as stored.
    ExchangeFields(*this, ar);
    return ar.IsFailed() ? LOAD_BAD_FORMAT : LOAD_OK;
}
