#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>

// The same bytes as a pipe delivers them: no size to ask for, a few bytes at a time.
class PipeLike : public QIODevice {
public:
    explicit PipeLike(const QByteArray& bytes) : m_bytes(bytes) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override {
        if (m_pos >= m_bytes.size())
            return -1;
        const qint64 n = std::min<qint64>({max, m_bytes.size() - m_pos, 4093});
        std::memcpy(data, m_bytes.constData() + m_pos, static_cast<size_t>(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_pos = 0;
};
