#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>

// A pipe-like source that never ends: a prefix, then one unit repeated for ever (or until
// limit bytes were delivered). Sequential, so a reader cannot ask for its size; counts what
// was taken from it.
class HostileStream : public QIODevice {
public:
    HostileStream(const QByteArray& prefix, const QByteArray& unit, qint64 limit = -1)
        : m_prefix(prefix), m_unit(unit), m_limit(limit) {}

    bool isSequential() const override { return true; }
    qint64 Delivered() const { return m_delivered; }

protected:
    qint64 readData(char* data, qint64 max) override {
        qint64 n = 0;
        while (n < max && (m_limit < 0 || m_delivered < m_limit)) {
            const QByteArray& source = m_delivered < m_prefix.size() ? m_prefix : m_unit;
            const qint64 at =
                m_delivered < m_prefix.size()
                    ? m_delivered
                    : (m_unit.isEmpty() ? 0 : (m_delivered - m_prefix.size()) % m_unit.size());
            if (source.isEmpty())
                break;
            qint64 take = std::min<qint64>(max - n, source.size() - at);
            if (m_limit >= 0)
                take = std::min<qint64>(take, m_limit - m_delivered);
            std::memcpy(data + n, source.constData() + at, static_cast<size_t>(take));
            n += take;
            m_delivered += take;
        }
        return n > 0 ? n : -1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_prefix;
    QByteArray m_unit;
    qint64 m_limit;
    qint64 m_delivered = 0;
};

// The smallest records a reader must take: labels are not compared, so each may be an
// empty 8-bit text (one byte); only the version texts must be exact.
namespace Hostile {

inline QByteArray Int32(qint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((static_cast<quint32>(v) >> (8 * i)) & 0xFF);
    return b;
}
inline QByteArray Text8(const QByteArray& text) {
    return char(text.size()) + text;
}
const QByteArray kEmpty(1, '\0');

// Items 1 to 4 as the program writes them, in 8-bit form.
inline QByteArray Header() {
    return Text8("Valdmark VZR-T8100 Data File") + Text8("File Ver.1.0.0.0") + kEmpty + kEmpty;
}
inline QByteArray MinimalStep() {
    QByteArray b = Text8("Exec Data Ver.1.0.0.0");
    for (int i = 0; i < 10; ++i)
        b += kEmpty + Int32(1);
    return b;
}
inline QByteArray MinimalCondition() {
    QByteArray b = kEmpty + Text8("Setting Data Ver.1.0.0.0");
    for (int i = 0; i < 5; ++i)
        b += kEmpty + Int32(1);
    b += kEmpty;
    for (int i = 0; i < 25; ++i)
        b += kEmpty + Int32(1);
    b += kEmpty;
    for (int i = 0; i < 3; ++i)
        b += kEmpty + Int32(1);
    return b + kEmpty + Int32(0) + kEmpty; // no steps, end label
}

} // namespace Hostile
