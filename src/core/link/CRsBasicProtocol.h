#pragma once

#include "link/CRsPort.h"

#include <QString>

// The line protocol to the instrument. Every exchange starts by flushing what the
// instrument sent before, then ENQ, which the instrument answers with ACK, then one frame
// STX text ETX BCC (BCC = XOR of the text bytes and ETX). A command frame is answered by
// ACK; a query frame by a reply frame, which is acknowledged with ACK. Texts are
// Shift-JIS on the line. Each wait is bounded by CRsPort::WAIT_MS; nothing is retried.
class CRsBasicProtocol {
public:
    static constexpr quint8 STX = 0x02;
    static constexpr quint8 ETX = 0x03;
    static constexpr quint8 ENQ = 0x05;
    static constexpr quint8 ACK = 0x06;
    // Longest text of a frame we send, and of a frame we accept.
    static constexpr int SEND_TEXT_MAX = 251;
    static constexpr int RECEIVE_TEXT_MAX = 254;
    static constexpr int SEND_BUFFER_SIZE = 256;
    // Quiet gap that ends the flushing of leftovers, in milliseconds: longer than the
    // delivery latency of common USB serial adapters (16 ms).
    static constexpr int FLUSH_QUIET_MS = 20;
    // Longest time a whole reply frame may take, in milliseconds. A full frame takes about
    // 270 ms at 9600 baud; without this bound a peer dripping one byte every 499 ms would
    // hold the exchange, and the window with it, for over two minutes.
    static constexpr int RECEIVE_FRAME_MAX_MS = 3000;

    CRsBasicProtocol();
    virtual ~CRsBasicProtocol();
    CRsBasicProtocol(const CRsBasicProtocol&) = delete;
    CRsBasicProtocol& operator=(const CRsBasicProtocol&) = delete;

    // True only when the instrument acknowledged the command frame.
    bool SendCommand(const QString& text);
    // True only when a correct reply frame came back and its ACK went out; the reply is
    // then in GetReply().
    bool SendQuery(const QString& text);
    QString GetReply() const { return m_strReply; }

    CRsPort& GetPort() { return m_port; }
    const CRsPort& GetPort() const { return m_port; }

private:
    bool FlushInput();
    bool ReadByte(quint8& out);
    // Frames text into the send buffer; returns the number of bytes to send, or -1 when
    // the text cannot be framed (it holds an ETX byte).
    int BuildFrame(const QString& text);
    bool ReceiveFrame();
    // ENQ, its ACK, then the frame: the part that commands and queries share.
    bool SendFrame(const QString& text);
    bool WriteByte(quint8 byte);

    CRsPort m_port;
    QString m_strReply;
    // The last exchange failed: the next one lets the line fall quiet before ENQ.
    bool m_bSettle = false;
    quint8 m_abySend[SEND_BUFFER_SIZE] = {};
};
