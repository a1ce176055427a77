#include "CRsBasicProtocol.h"

#include <QElapsedTimer>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const char* const kCodePage = "Shift_JIS";

// First byte of a two-byte Shift-JIS character.
bool IsLeadByte(quint8 b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace

CRsBasicProtocol::CRsBasicProtocol() = default;

CRsBasicProtocol::~CRsBasicProtocol() {
    m_port.Close();
}

bool CRsBasicProtocol::FlushInput() {
    QElapsedTimer timer;
    timer.start();
    // After a failed exchange, or once something was left over, the line counts as empty
    // only after a short quiet gap: a peer that is still talking delivers its next bytes
    // within it.
    bool sawBytes = m_bSettle;
    for (;;) {
        if (m_port.Discard() > 0)
            sawBytes = true;
        const qint64 remaining = CRsPort::WAIT_MS - timer.elapsed();
        // Not even a quiet gap left of the wait: the peer is still sending.
        if (sawBytes && remaining < FLUSH_QUIET_MS)
            return false;
        const int wait = sawBytes ? FLUSH_QUIET_MS : 0;
        switch (m_port.WaitForReadyRead(wait)) {
        case CRsPort::WaitResult::Timeout:
            return true;
        case CRsPort::WaitResult::Failed:
            return false;
        case CRsPort::WaitResult::Ready:
            sawBytes = true;
            break;
        }
        // Still sending after the whole wait: give up before ENQ.
        if (timer.elapsed() > CRsPort::WAIT_MS)
            return false;
    }
}

bool CRsBasicProtocol::ReadByte(quint8& out) {
    out = 0;
    if (!m_port.IsOpen())
        return false;
    QElapsedTimer timer;
    timer.start();
    while (m_port.BytesAvailable() == 0) {
        const qint64 remaining = CRsPort::WAIT_MS - timer.elapsed();
        if (remaining <= 0)
            break;
        if (m_port.WaitForReadyRead(int(remaining)) == CRsPort::WaitResult::Failed)
            return false;
    }
    // Last look: a byte that came in just as the wait ran out still counts.
    if (m_port.BytesAvailable() == 0 && m_port.WaitForReadyRead(0) != CRsPort::WaitResult::Ready)
        return false;
    return m_port.Read(&out, 1) == 1;
}

int CRsBasicProtocol::BuildFrame(const QString& text) {
    QStringEncoder encoder(kCodePage);
    const QByteArray bytes = encoder.encode(text);
    if (bytes.contains(char(ETX)))
        return -1;

    // Cut to the frame's limit, but never through the middle of a two-byte character.
    int len = 0;
    while (len < bytes.size()) {
        const int width = IsLeadByte(quint8(bytes.at(len))) && len + 1 < bytes.size() ? 2 : 1;
        if (len + width > SEND_TEXT_MAX)
            break;
        len += width;
    }

    quint8 bcc = ETX;
    m_abySend[0] = STX;
    for (int i = 0; i < len; ++i) {
        const quint8 b = quint8(bytes.at(i));
        m_abySend[1 + i] = b;
        bcc ^= b;
    }
    m_abySend[len + 1] = ETX;
    m_abySend[len + 2] = bcc;
    m_abySend[len + 3] = 0;
    return len + 3;
}

bool CRsBasicProtocol::ReceiveFrame() {
    quint8 byte = 0;
    if (!ReadByte(byte) || byte != STX)
        return false;

    QElapsedTimer frameTime;
    frameTime.start();
    quint8 text[RECEIVE_TEXT_MAX];
    int n = 0;
    quint8 bcc = 0;
    for (;;) {
        if (frameTime.elapsed() > RECEIVE_FRAME_MAX_MS || !ReadByte(byte))
            return false;
        if (byte == ETX)
            break;
        if (n == RECEIVE_TEXT_MAX)
            return false;
        text[n++] = byte;
        bcc ^= byte;
    }
    bcc ^= ETX;

    quint8 received = 0;
    if (!ReadByte(received) || received != bcc)
        return false;

    QStringDecoder decoder(kCodePage);
    m_strReply = decoder.decode(QByteArrayView(text, n));
    return true;
}

bool CRsBasicProtocol::WriteByte(quint8 byte) {
    return m_port.Write(&byte, 1);
}

bool CRsBasicProtocol::SendFrame(const QString& text) {
    if (!m_port.IsOpen())
        return false;
    const int length = BuildFrame(text);
    if (length < 0)
        return false;
    if (!FlushInput())
        return false;
    if (!WriteByte(ENQ))
        return false;
    quint8 answer = 0;
    if (!ReadByte(answer) || answer != ACK)
        return false;
    return m_port.Write(m_abySend, length);
}

bool CRsBasicProtocol::SendCommand(const QString& text) {
    quint8 answer = 0;
    const bool ok = SendFrame(text) && ReadByte(answer) && answer == ACK;
    m_bSettle = !ok;
    return ok;
}

bool CRsBasicProtocol::SendQuery(const QString& text) {
    m_strReply.clear();
    const bool ok = SendFrame(text) && ReceiveFrame() && WriteByte(ACK);
    m_bSettle = !ok;
    return ok;
}
