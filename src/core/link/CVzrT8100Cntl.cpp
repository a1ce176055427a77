#include "CVzrT8100Cntl.h"

#include "data/CExecData.h"
#include "data/CSettingData.h"

#include "link/CSerialPortTable.h"

#include <QCoreApplication>
#include <QMap>
#include <QStringEncoder>

#include <algorithm>
#include <limits>

namespace {

QString Ident() {
    return QString::fromLatin1(CVzrT8100Cntl::IDENT_TEXT);
}

QString Cmd(const char* format, int value) {
    return QString::asprintf(format, value);
}

} // namespace

CVzrT8100Cntl::CVzrT8100Cntl() {
    Connect();
}

CVzrT8100Cntl::~CVzrT8100Cntl() {
    m_protocol.GetPort().Close();
}

bool CVzrT8100Cntl::Connect() {
    CRsPort& port = m_protocol.GetPort();
    port.Close();
    m_listPortProblems.clear();
    m_strIdentReply.clear();

    // One snapshot of the table serves the listing and every open of this search.
    quint8 list[CRsPort::ENUM_LIST_SIZE];
    const int count = port.EnumPorts(list);
    QMap<int, CPortProblem> problems;
    for (int n = 1; n < CRsPort::ENUM_LIST_SIZE; ++n) {
        // a port the operator named that is not there at all
        const CPortProblem probe = port.ProbeProblem(n);
        if (probe.GetKind() == CPortProblem::PROBLEM_NOT_FOUND &&
            CSerialPortTable::IsNamed(port.DevicePath(n)))
            problems.insert(n, probe);
    }
    bool found = false;
    for (int i = 0; i < count && !found; ++i) {
        // A port that does not open simply fails the query; why is kept for the operator.
        if (!port.Open(list[i]))
            problems.insert(list[i], port.LastOpenProblem());
        if (m_protocol.SendQuery(QStringLiteral("QA")) && m_protocol.GetReply().contains(Ident())) {
            m_strIdentReply = m_protocol.GetReply();
            found = true;
            break;
        }
        port.Close();
    }
    for (auto it = problems.cbegin(); it != problems.cend(); ++it)
        m_listPortProblems.append(
            QStringLiteral("%1: %2").arg(port.DevicePath(it.key()), it.value().GetText()));
    return found;
}

bool CVzrT8100Cntl::IsConnected() const {
    return m_protocol.GetPort().GetPortNo() != 0;
}

int CVzrT8100Cntl::GetPortNo() const {
    return m_protocol.GetPort().GetPortNo();
}

QString CVzrT8100Cntl::PortPath() const {
    return IsConnected() ? m_protocol.GetPort().PortPath() : QString();
}

bool CVzrT8100Cntl::Identify(QString& reply) {
    reply.clear();
    if (!m_protocol.SendQuery(QStringLiteral("QA")))
        return false;
    reply = m_protocol.GetReply();
    if (!reply.contains(Ident()))
        return false;
    m_strIdentReply = reply;
    return true;
}

bool CVzrT8100Cntl::StartTest() {
    return m_protocol.SendCommand(QStringLiteral("CA"));
}

bool CVzrT8100Cntl::StopTest() {
    return m_protocol.SendCommand(QStringLiteral("CB"));
}

bool CVzrT8100Cntl::TriggerOn() {
    return m_protocol.SendCommand(QStringLiteral("CC"));
}

bool CVzrT8100Cntl::TriggerOff() {
    return m_protocol.SendCommand(QStringLiteral("CD"));
}

bool CVzrT8100Cntl::SendPC0() {
    m_protocol.SendCommand(QStringLiteral("PC0"));
    return true;
}

bool CVzrT8100Cntl::GetStatus(quint8& status) {
    status = 0;
    if (!m_protocol.SendQuery(QStringLiteral("QD")))
        return false;
    status = PayloadToStatus(m_protocol.GetReply());
    return true;
}

bool CVzrT8100Cntl::GetErrorText(QString& text, qint32* code) {
    qint32 value = 0;
    const bool ok = QueryInt("QC", value);
    text = ErrorText(value);
    if (code)
        *code = value;
    return ok;
}

bool CVzrT8100Cntl::GetInterval(qint32& interval) {
    return QueryInt("QE", interval);
}

bool CVzrT8100Cntl::GetRemainingCount(qint32& count, bool* whole) {
    qint32 total = 0;
    qint32 done = 0;
    const bool bTotal = QueryInt("QJ", total); // only the second query decides the result
    const bool ok = QueryInt("QF", done);
    if (whole)
        *whole = bTotal && ok;
    const qint64 diff = qint64(total) - qint64(done);
    count = qint32(std::clamp<qint64>(diff, std::numeric_limits<qint32>::min(),
                                      std::numeric_limits<qint32>::max()));
    return ok;
}

bool CVzrT8100Cntl::QueryInt(const char* query, qint32& value) {
    value = 0;
    if (!m_protocol.SendQuery(QString::fromLatin1(query)))
        return false;
    value = PayloadToInt(m_protocol.GetReply());
    return true;
}

QString CVzrT8100Cntl::ErrorText(qint32 code) {
    switch (code) {
    case 0:
        return QString();
    case 1:
        return QCoreApplication::translate("CVzrT8100Cntl", "ガンインターロックエラー");
    case 2:
        return QCoreApplication::translate("CVzrT8100Cntl", "外部トリガエラー");
    case 3:
        return QCoreApplication::translate("CVzrT8100Cntl", "トリガ入力エラー");
    case 4:
        return QCoreApplication::translate("CVzrT8100Cntl", "PCコントロールエラー");
    case 5:
        return QCoreApplication::translate("CVzrT8100Cntl", "オートストップエラー");
    case 6:
        return QCoreApplication::translate("CVzrT8100Cntl", "高圧充電エラー");
    case 7:
        return QCoreApplication::translate("CVzrT8100Cntl", "充電リミットエラー");
    case 8:
        return QCoreApplication::translate("CVzrT8100Cntl", "HV-52Pエラー");
    default:
        return QCoreApplication::translate("CVzrT8100Cntl", "Unknown Error");
    }
}

qint32 CVzrT8100Cntl::PayloadToInt(const QString& reply) {
    const QString payload = reply.mid(2);
    qsizetype i = 0;
    const qsizetype size = payload.size();
    // The blanks wcstol skips.
    while (i < size &&
           (payload.at(i) == u' ' || (payload.at(i) >= u'\t' && payload.at(i) <= u'\r')))
        ++i;
    bool negative = false;
    if (i < size && (payload.at(i) == u'+' || payload.at(i) == u'-')) {
        negative = payload.at(i) == u'-';
        ++i;
    }
    // Out-of-range numbers saturate, as wcstol does with a 32-bit long.
    const qint64 limit = negative ? -qint64(std::numeric_limits<qint32>::min())
                                  : qint64(std::numeric_limits<qint32>::max());
    qint64 value = 0;
    while (i < size && payload.at(i) >= u'0' && payload.at(i) <= u'9') {
        value = qMin(limit, value * 10 + (payload.at(i).unicode() - u'0'));
        ++i;
    }
    return qint32(negative ? -value : value);
}

quint8 CVzrT8100Cntl::PayloadToStatus(const QString& reply) {
    QStringEncoder encoder("Shift_JIS");
    const QByteArray bytes = encoder.encode(reply);
    const quint8 c0 = bytes.size() > 2 ? quint8(bytes.at(2)) : 0;
    const quint8 c1 = bytes.size() > 3 ? quint8(bytes.at(3)) : 0;
    return quint8(((c1 & 0x0F) << 4) | (c0 & 0x0F));
}

bool CVzrT8100Cntl::Preamble() {
    if (!m_protocol.SendQuery(QStringLiteral("QA")))
        return false;
    if (!m_protocol.GetReply().contains(Ident()))
        return false;
    m_strIdentReply = m_protocol.GetReply();
    if (!m_protocol.SendCommand(QStringLiteral("CB")))
        return false;
    SendPC0();
    return true;
}

bool CVzrT8100Cntl::SendStep(const CExecData& step) {
    if (!Preamble())
        return false;
    // Each command only after the one before was acknowledged.
    return m_protocol.SendCommand(Cmd("PH%d", step.m_nDiscMode)) &&
           m_protocol.SendCommand(Cmd("PI%d", step.m_nTrig)) &&
           m_protocol.SendCommand(Cmd("PG%d", step.m_nPola)) &&
           m_protocol.SendCommand(Cmd("PL%d", ToVoltUnits(step.m_lVolt))) &&
           m_protocol.SendCommand(Cmd("PK%d", ToIntervalUnits(step.m_lInterval))) &&
           m_protocol.SendCommand(Cmd("PJ%d", step.m_lCount));
}

bool CVzrT8100Cntl::SendSequenceStep(const CSettingData& cond, int no) {
    if (!Preamble())
        return false;
    no = qBound(SEQUENCE_STEP_NO_MIN, no, SEQUENCE_STEP_NO_MAX);

    const VoltValue& volt = cond.m_value;
    const qint32 first = volt.m_nValueType == VALUE_SINGLE ? volt.m_lValue : volt.m_lStart;

    QString text = Cmd("PQ%d", no);
    text += Cmd("/%d", ToVoltUnits(first));
    text += Cmd("/%d", ToIntervalUnits(cond.m_lInterval));
    text += Cmd("/%d", cond.m_lCount);
    text += Cmd("/%d", cond.PolarityCode());
    text += Cmd("/%d", cond.m_nDiscMode);
    text += Cmd("/%d", cond.m_nTrig);
    if (volt.m_nValueType == VALUE_SWEEP) {
        text += Cmd("/%d", ToVoltUnits(volt.m_lEnd));
        text += Cmd("/%d", ToVoltUnits(volt.m_lStep));
    }
    return m_protocol.SendCommand(text);
}

bool CVzrT8100Cntl::SendSequenceProgram(int n) {
    // Nothing to store for an empty (or nonsensical negative) plan.
    if (n <= 0)
        return false;
    const int k = qMin(n, SEQUENCE_MAX_STEPS);
    QString text = Cmd("PR%d", 1);
    for (int i = 1; i <= k; ++i)
        text += Cmd("/%d", i);
    return m_protocol.SendCommand(text);
}
