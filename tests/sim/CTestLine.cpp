#include "CTestLine.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int WAIT_MS = 500; // the computer's bound on every wait
}

CTestLine::~CTestLine() {
    Close();
}

bool CTestLine::Open(const QString& path) {
    Close();
    m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    termios tio{};
    if (tcgetattr(m_fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    return true;
}

void CTestLine::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CTestLine::Write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return false;
        } else {
            pollfd pfd = {m_fd, POLLOUT, 0};
            if (::poll(&pfd, 1, WAIT_MS) <= 0)
                return false;
        }
    }
    return true;
}

int CTestLine::ReadByte(int timeoutMs) {
    pollfd pfd = {m_fd, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) <= 0 || !(pfd.revents & POLLIN))
        return -1;
    unsigned char c = 0;
    return ::read(m_fd, &c, 1) == 1 ? int(c) : -1;
}

QByteArray CTestLine::ReadQuiet(int gapMs, int maxBytes) {
    QByteArray bytes;
    while (bytes.size() < maxBytes) {
        const int c = ReadByte(gapMs);
        if (c < 0)
            break;
        bytes += char(c);
    }
    return bytes;
}

QByteArray CTestLine::Frame(const QByteArray& text) {
    char bcc = ETX;
    for (const char c : text)
        bcc = char(bcc ^ c);
    return STX + text + ETX + bcc;
}

int CTestLine::Command(const QByteArray& text) {
    ReadQuiet(5);
    Write(QByteArray(1, ENQ));
    const int enq = ReadByte(WAIT_MS);
    if (enq != ACK)
        return enq;
    Write(Frame(text));
    return ReadByte(WAIT_MS);
}

CTestLine::Reply CTestLine::Query(const QByteArray& text) {
    Reply reply;
    ReadQuiet(5);
    Write(QByteArray(1, ENQ));
    reply.enq = ReadByte(WAIT_MS);
    if (reply.enq != ACK)
        return reply;
    Write(Frame(text));
    int c = ReadByte(WAIT_MS);
    if (c < 0)
        return reply;
    reply.bytes += char(c);
    if (c != STX) {
        reply.bytes += ReadQuiet(50);
        return reply;
    }
    char bcc = 0;
    for (;;) {
        c = ReadByte(WAIT_MS);
        if (c < 0)
            return reply;
        reply.bytes += char(c);
        if (c == ETX)
            break;
        if (reply.text.size() >= 254) {
            return reply;
        }
        reply.text += char(c);
        bcc = char(bcc ^ c);
    }
    bcc = char(bcc ^ ETX);
    c = ReadByte(WAIT_MS);
    if (c < 0)
        return reply;
    reply.bytes += char(c);
    if (char(c) != bcc)
        return reply;
    reply.ok = Write(QByteArray(1, ACK));
    return reply;
}

int CTestLine::Status() {
    const Reply reply = Query("QD");
    if (!reply.ok)
        return -1;
    const int c0 = reply.text.size() > 2 ? reply.text[2] : 0;
    const int c1 = reply.text.size() > 3 ? reply.text[3] : 0;
    return ((c1 & 0x0F) << 4) | (c0 & 0x0F);
}

int CTestLine::Number(const QByteArray& query) {
    const Reply reply = Query(query);
    bool ok = false;
    const int value = reply.text.mid(2).toInt(&ok);
    return reply.ok && ok ? value : -1;
}
