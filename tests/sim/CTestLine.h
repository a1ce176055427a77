#pragma once

#include <QByteArray>
#include <QString>

// The computer's end of the line in plain POSIX I/O: opens the terminal raw and runs the
// ENQ/ACK dialogue byte by byte, so the simulator is checked without the program's classes.
class CTestLine {
public:
    static constexpr char STX = 0x02;
    static constexpr char ETX = 0x03;
    static constexpr char ENQ = 0x05;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;

    struct Reply {
        bool ok = false;  // a correct frame came back (and was acknowledged)
        int enq = -1;     // the answer to ENQ, -1 for none
        QByteArray text;  // the frame's text
        QByteArray bytes; // everything received after the frame was sent
    };

    CTestLine() = default;
    ~CTestLine();
    CTestLine(const CTestLine&) = delete;
    CTestLine& operator=(const CTestLine&) = delete;

    bool Open(const QString& path);
    void Close();
    bool Write(const QByteArray& bytes);
    int ReadByte(int timeoutMs);
    // Reads until maxBytes arrived or the line stayed quiet for gapMs.
    QByteArray ReadQuiet(int gapMs, int maxBytes = 65536);

    static QByteArray Frame(const QByteArray& text);
    // ENQ, then the frame: returns the answer to the frame (or to ENQ when that was not ACK).
    int Command(const QByteArray& text);
    Reply Query(const QByteArray& text);
    // The status byte decoded from a "QD" reply, or -1.
    int Status();
    int Number(const QByteArray& query);

private:
    int m_fd = -1;
};
