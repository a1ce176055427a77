#include "CPtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

CPtyPeer::CPtyPeer() {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return;
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        ::close(fd);
        return;
    }
    char name[128] = {};
    if (::ptsname_r(fd, name, sizeof name) != 0) {
        ::close(fd);
        return;
    }
    m_fdSlave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_fdSlave >= 0) {
        termios tio{};
        if (::tcgetattr(m_fdSlave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fdSlave, TCSANOW, &tio);
        }
    }
    m_fdMaster = fd;
    m_strPath = QString::fromLocal8Bit(name);
}

CPtyPeer::~CPtyPeer() {
    Join();
    if (m_fdSlave >= 0)
        ::close(m_fdSlave);
    if (m_fdMaster >= 0)
        ::close(m_fdMaster);
}

QByteArray CPtyPeer::Read(int n, int waitMs) {
    QByteArray got;
    while (got.size() < n) {
        pollfd pfd{m_fdMaster, POLLIN, 0};
        const int r = ::poll(&pfd, 1, waitMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        char c = 0;
        const ssize_t k = ::read(m_fdMaster, &c, 1);
        if (k != 1) {
            if (k < 0 && (errno == EAGAIN || errno == EINTR || errno == EIO))
                continue;
            break;
        }
        got.append(c);
    }
    return got;
}

QByteArray CPtyPeer::ReadFrame(int waitMs) {
    QByteArray got;
    for (;;) {
        const QByteArray b = Read(1, waitMs);
        if (b.isEmpty())
            return got;
        got.append(b);
        if (b.at(0) == '\x03')
            return got + Read(1, waitMs);
    }
}

bool CPtyPeer::Write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t k =
            ::write(m_fdMaster, bytes.constData() + done, size_t(bytes.size() - done));
        if (k < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        done += k;
    }
    return true;
}

void CPtyPeer::Run(std::function<void(CPtyPeer&)> script) {
    Join();
    m_thread = std::thread([this, script = std::move(script)] { script(*this); });
}

void CPtyPeer::Join() {
    if (m_thread.joinable())
        m_thread.join();
}
