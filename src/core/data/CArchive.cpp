#include "CArchive.h"

#include "data/VzrEnums.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr qsizetype kChunk = 64 * 1024;
// A text longer than this cannot be held in one QString.
constexpr quint64 kMaxTextLength = 0x7FFFFFFF;
} // namespace

CArchive::CArchive(QIODevice* device, Mode mode) : m_device(device), m_mode(mode) {
    if (mode == store)
        m_buffer.reserve(kChunk);
    // A file's size is asked once: asking the file system for every length is slow.
    else if (m_device && !m_device->isSequential())
        m_deviceEnd = m_device->size();
}

CArchive::~CArchive() {
    if (m_mode == store)
        Flush();
}

void CArchive::Append(const char* data, qsizetype n) {
    m_buffer.append(data, n);
    if (m_buffer.size() >= kChunk)
        Flush();
}

void CArchive::WriteByte(quint8 v) {
    const char b = static_cast<char>(v);
    Append(&b, 1);
}

void CArchive::WriteUInt16(quint16 v) {
    const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    Append(b, 2);
}

void CArchive::WriteUInt32(quint32 v) {
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    Append(b, 4);
}

void CArchive::WriteUInt64(quint64 v) {
    WriteUInt32(static_cast<quint32>(v));
    WriteUInt32(static_cast<quint32>(v >> 32));
}

void CArchive::WriteString(const QString& text) {
    const quint64 len = static_cast<quint64>(text.size());
    if (len < 0xFF) {
        const char head[4] = {'\xFF', '\xFE', '\xFF', static_cast<char>(len)};
        Append(head, 4);
    } else {
        const char head[4] = {'\xFF', '\xFE', '\xFF', '\xFF'};
        Append(head, 4);
        if (len < 0xFFFE) {
            WriteUInt16(static_cast<quint16>(len));
        } else {
            WriteUInt16(0xFFFF);
            if (len < 0xFFFFFFFF) {
                WriteUInt32(static_cast<quint32>(len));
            } else {
                WriteUInt32(0xFFFFFFFF);
                WriteUInt64(len);
            }
        }
    }
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        Append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    } else {
        for (const QChar c : text)
            WriteUInt16(c.unicode());
    }
}

void CArchive::WriteCount(quint32 count) {
    if (count < 0xFFFF) {
        WriteUInt16(static_cast<quint16>(count));
    } else {
        WriteUInt16(0xFFFF);
        WriteUInt32(count);
    }
}

bool CArchive::Flush() {
    if (m_mode != store || m_buffer.isEmpty())
        return !m_failed;
    if (!m_failed) {
        if (!m_device || m_device->write(m_buffer) != m_buffer.size())
            m_failed = true;
    }
    m_buffer.clear();
    return !m_failed;
}

void CArchive::Item(const QString& label, qint32& v) {
    if (IsStoring()) {
        Item(label, std::as_const(v));
        return;
    }
    SkipString();
    v = ReadInt32();
}

void CArchive::Item(const QString& label, quint32& v) {
    if (IsStoring()) {
        Item(label, std::as_const(v));
        return;
    }
    SkipString();
    v = ReadUInt32();
}

void CArchive::Item(const QString& label, const qint32& v) {
    if (StoreLabel(label))
        WriteInt32(v);
}

void CArchive::Item(const QString& label, const quint32& v) {
    if (StoreLabel(label))
        WriteUInt32(v);
}

bool CArchive::StoreLabel(const QString& label) {
    if (!IsStoring()) {
        m_failed = true; // a const record cannot take a loaded value
        return false;
    }
    WriteString(label);
    return true;
}

void CArchive::Mark(const QString& text) {
    if (IsStoring())
        WriteString(text);
    else
        SkipString();
}

qint64 CArchive::BytesLeft() const {
    const qint64 inBuffer = m_buffer.size() - m_pos;
    if (!m_device)
        return inBuffer;
    if (m_deviceEnd < 0)
        return -1;
    return inBuffer + std::max<qint64>(0, m_deviceEnd - m_device->pos());
}

qint64 CArchive::MaxBytesLeft() const {
    if (!IsStream())
        return BytesLeft();
    return (m_buffer.size() - m_pos) + std::max<qint64>(0, m_maxStreamBytes - m_taken);
}

bool CArchive::CanHold(qint64 count, qint64 minBytesEach) {
    if (m_failed)
        return false;
    if (count <= 0)
        return true;
    const qint64 left = MaxBytesLeft();
    if (left < 0)
        return true; // no device: the reads themselves stop at the end
    if (count > left / std::max<qint64>(1, minBytesEach)) {
        m_failed = true;
        return false;
    }
    return true;
}

bool CArchive::Keep(qint64 bytes) {
    if (m_failed)
        return false;
    if (!IsStream())
        return true;
    m_held += std::max<qint64>(0, bytes);
    if (m_held > m_maxStreamHeld)
        m_failed = true;
    return !m_failed;
}

void CArchive::SetStreamLimits(qint64 maxBytes, qint64 maxHeldBytes) {
    m_maxStreamBytes = std::max<qint64>(0, maxBytes);
    m_maxStreamHeld = std::max<qint64>(0, maxHeldBytes);
}

// Makes at least need bytes available in the buffer; false at the end of the data.
bool CArchive::Fill(qint64 need) {
    if (m_failed)
        return false;
    if (m_buffer.size() - m_pos >= need)
        return true;
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    while (m_buffer.size() < need) {
        if (!m_device) {
            m_failed = true;
            return false;
        }
        qint64 want = std::max<qint64>(kChunk, need - m_buffer.size());
        if (IsStream()) {
            // never more than the budget from a stream that may not end
            want = std::min(want, m_maxStreamBytes - m_taken);
            if (want <= 0) {
                m_failed = true;
                return false;
            }
        }
        const qsizetype old = m_buffer.size();
        m_buffer.resize(old + want);
        const qint64 got = m_device->read(m_buffer.data() + old, want);
        m_buffer.resize(old + std::max<qint64>(0, got));
        m_taken += std::max<qint64>(0, got);
        if (got <= 0) {
            // a pipe or socket may still deliver; a file or buffer is at its end
            if (got == 0 && m_device->isSequential() && m_device->waitForReadyRead(100))
                continue;
            m_failed = true;
            return false;
        }
    }
    return true;
}

bool CArchive::ReadRaw(char* dest, qint64 n) {
    if (m_failed || (m_buffer.size() - m_pos < n && !Fill(n))) {
        std::memset(dest, 0, static_cast<size_t>(n));
        return false;
    }
    std::memcpy(dest, m_buffer.constData() + m_pos, static_cast<size_t>(n));
    m_pos += n;
    return true;
}

quint8 CArchive::ReadByte() {
    char b = 0;
    ReadRaw(&b, 1);
    return static_cast<quint8>(b);
}

quint16 CArchive::ReadUInt16() {
    unsigned char b[2];
    ReadRaw(reinterpret_cast<char*>(b), 2);
    return static_cast<quint16>(b[0] | (b[1] << 8));
}

quint32 CArchive::ReadUInt32() {
    unsigned char b[4];
    ReadRaw(reinterpret_cast<char*>(b), 4);
    return quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
}

quint64 CArchive::ReadUInt64() {
    const quint64 lo = ReadUInt32();
    const quint64 hi = ReadUInt32();
    return lo | (hi << 32);
}

// Reads n bytes, growing the result only as data really arrives, so a stored length
// never sizes an allocation by itself.
QByteArray CArchive::ReadBytes(qint64 n) {
    QByteArray out;
    if (m_failed || n <= 0)
        return out;
    const qint64 left = MaxBytesLeft();
    if (left >= 0 && n > left) {
        m_failed = true;
        return out;
    }
    // the size is only reserved when the bytes are known to be there
    if (BytesLeft() >= 0)
        out.reserve(n);
    while (n > 0) {
        const qint64 part = std::min<qint64>(n, kChunk);
        if (!Fill(part))
            return QByteArray();
        out.append(m_buffer.constData() + m_pos, part);
        m_pos += part;
        n -= part;
    }
    return out;
}

quint32 CArchive::ReadCount() {
    const quint16 w = ReadUInt16();
    if (w != 0xFFFF)
        return w;
    return ReadUInt32();
}

quint64 CArchive::ReadLengthAfter(quint16 first) {
    if (first < 0xFFFF)
        return first;
    const quint32 d = ReadUInt32();
    if (d < 0xFFFFFFFF)
        return d;
    return ReadUInt64();
}

bool CArchive::ReadStringLength(quint64* length, bool* wide) {
    *wide = false;
    quint64 len = ReadByte();
    if (len == 0xFF) {
        const quint16 w = ReadUInt16();
        if (w == 0xFFFE) {
            // UTF-16 marker: the length follows again from its first byte.
            *wide = true;
            len = ReadByte();
            if (len == 0xFF)
                len = ReadLengthAfter(ReadUInt16());
        } else {
            len = ReadLengthAfter(w);
        }
    }
    if (m_failed)
        return false;
    if (len > kMaxTextLength || (IsStream() && len * (*wide ? 2 : 1) > MAX_STREAM_TEXT_BYTES)) {
        m_failed = true;
        return false;
    }
    *length = len;
    return true;
}

QString CArchive::ReadString() {
    quint64 len = 0;
    bool wide = false;
    if (!ReadStringLength(&len, &wide))
        return QString();
    const qint64 bytes = static_cast<qint64>(len) * (wide ? 2 : 1);
    if (bytes == 0)
        return QString();
    // what the text will keep once decoded (at most two bytes a character)
    if (!Keep(static_cast<qint64>(len) * 2 + 32))
        return QString();
    if (m_buffer.size() - m_pos >= bytes) {
        // The common case: the whole text is already in the buffer.
        const char* p = m_buffer.constData() + m_pos;
        m_pos += bytes;
        return wide ? DecodeUtf16(p, static_cast<qsizetype>(len))
                    : DecodeAnsi(QByteArrayView(p, static_cast<qsizetype>(bytes)));
    }
    const QByteArray raw = ReadBytes(bytes);
    if (m_failed)
        return QString();
    return wide ? DecodeUtf16(raw.constData(), static_cast<qsizetype>(len)) : DecodeAnsi(raw);
}

void CArchive::SkipString() {
    quint64 len = 0;
    bool wide = false;
    if (!ReadStringLength(&len, &wide))
        return;
    qint64 bytes = static_cast<qint64>(len) * (wide ? 2 : 1);
    if (m_buffer.size() - m_pos >= bytes) {
        m_pos += bytes;
        return;
    }
    const qint64 left = MaxBytesLeft();
    if (left >= 0 && bytes > left) {
        m_failed = true;
        return;
    }
    while (bytes > 0) {
        const qint64 part = std::min<qint64>(bytes, kChunk);
        if (!Fill(part))
            return;
        m_pos += part;
        bytes -= part;
    }
}

int CArchive::ReadVersion(QLatin1StringView expected) {
    const QString version = ReadString();
    if (m_failed)
        return LOAD_BAD_FORMAT;
    return version == expected ? LOAD_OK : LOAD_VERSION;
}

QString CArchive::DecodeUtf16(const char* data, qsizetype units) {
    QString text(units, Qt::Uninitialized);
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        std::memcpy(text.data(), data, static_cast<size_t>(units) * 2);
    } else {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
    }
    return text;
}

QString CArchive::DecodeAnsi(QByteArrayView bytes) {
    // The system's ANSI code page of the data files is Shift-JIS (CP932).
    QStringDecoder decoder("Shift_JIS");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    QString text = decoder.decode(bytes);
    // the decoder sizes its result for the worst case; a text kept in a list keeps only
    // what it holds
    text.squeeze();
    return text;
}
