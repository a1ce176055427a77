#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

class QIODevice;

// A buffered byte stream over a data file, opened either for storing or for loading.
// Items are written or read strictly in sequence, all numbers little-endian.
//
// Reading never trusts a stored length: a text or a count that the rest of the file
// cannot hold marks the archive as failed at once. A failure is sticky: every later
// read returns 0 or an empty text, so callers check IsFailed() after each record.
//
// A stream whose size nobody can know (a pipe, standard input) is read within a budget:
// at most MAX_STREAM_BYTES are taken from it (more than any plan the program can save),
// a length or count that the rest of the budget cannot hold is refused at once, and
// buffers grow only as bytes really arrive.
class CArchive {
public:
    enum Mode { store, load };

    // Most bytes taken from a stream of unknown size; the largest plan the program can save
    // (22 full 0.01 kV sweeps in both polarities) is about 98 MB.
    static constexpr qint64 MAX_STREAM_BYTES = qint64(128) << 20;
    // Longest text item taken from such a stream: the program's own texts are labels of a
    // few dozen characters.
    static constexpr qint64 MAX_STREAM_TEXT_BYTES = qint64(1) << 20;
    // Most memory the records read from such a stream may keep; the largest plan the
    // program can save keeps about 47 MB.
    static constexpr qint64 MAX_STREAM_HELD_BYTES = qint64(64) << 20;

    CArchive(QIODevice* device, Mode mode);
    ~CArchive(); // flushes when storing
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }
    // A read ran past the end, a length was impossible, or the device failed.
    bool IsFailed() const { return m_failed; }
    // Marks the archive as failed (a reader found the data inconsistent).
    void SetFailed() { m_failed = true; }

    // Storing.
    void WriteByte(quint8 v);
    void WriteUInt16(quint16 v);
    void WriteUInt32(quint32 v);
    void WriteInt32(qint32 v) { WriteUInt32(static_cast<quint32>(v)); }
    void WriteUInt64(quint64 v);
    // Text item in UTF-16 form: FF FE FF, then the length, then the code units.
    void WriteString(const QString& text);
    // Count of a list: 16-bit, or FFFF and a 32-bit count from 0xFFFF on.
    void WriteCount(quint32 count);
    // Writes out the buffer; false when the device refused the bytes.
    bool Flush();

    // Both directions. Records list their fields once, in stored order, through these:
    // a labelled 32-bit field is the label text and the value; loading reads the label
    // past (labels are not compared) and the value into v. A const field can only be
    // stored.
    void Item(const QString& label, qint32& v);
    void Item(const QString& label, quint32& v);
    void Item(const QString& label, const qint32& v);
    void Item(const QString& label, const quint32& v);
    // A text that only marks a place in a record: written, or read past.
    void Mark(const QString& text);

    // Loading.
    quint8 ReadByte();
    quint16 ReadUInt16();
    quint32 ReadUInt32();
    qint32 ReadInt32() { return static_cast<qint32>(ReadUInt32()); }
    quint64 ReadUInt64();
    // Text item in any length form; 8-bit texts are Shift-JIS.
    QString ReadString();
    quint32 ReadCount();
    // Reads past a text item without keeping it (labels are not compared).
    void SkipString();
    // Reads a record's version text: LOAD_OK when it is exactly expected, LOAD_VERSION
    // when it differs, LOAD_BAD_FORMAT when the archive failed.
    int ReadVersion(QLatin1StringView expected);
    // Bytes not yet read, or -1 when the device cannot tell (a sequential device).
    qint64 BytesLeft() const;
    // Bytes that may still be read: those left, or for a stream what is left of its budget.
    qint64 MaxBytesLeft() const;
    // Reading from a stream of unknown size.
    bool IsStream() const { return m_mode == load && m_device && m_deviceEnd < 0; }
    // Checks that count items of at least minBytesEach bytes can still be read; marks
    // the archive as failed and returns false otherwise.
    bool CanHold(qint64 count, qint64 minBytesEach);
    // A record read from a stream is about to keep bytes of memory: false (and failed)
    // once the stream's records would keep more than MAX_STREAM_HELD_BYTES. Files of
    // known size are bounded by their size instead.
    bool Keep(qint64 bytes);
    // Other limits for a stream than MAX_STREAM_BYTES and MAX_STREAM_HELD_BYTES.
    void SetStreamLimits(qint64 maxBytes, qint64 maxHeldBytes);

private:
    void Append(const char* data, qsizetype n);
    bool StoreLabel(const QString& label);
    bool Fill(qint64 need);
    bool ReadStringLength(quint64* length, bool* wide);
    static QString DecodeUtf16(const char* data, qsizetype units);
    static QString DecodeAnsi(QByteArrayView bytes);
    quint64 ReadLengthAfter(quint16 first);
    bool ReadRaw(char* dest, qint64 n);
    QByteArray ReadBytes(qint64 n);

    QIODevice* m_device;
    Mode m_mode;
    bool m_failed = false;
    QByteArray m_buffer;
    qsizetype m_pos = 0;     // read position in m_buffer
    qint64 m_deviceEnd = -1; // size of a random-access device being loaded
    qint64 m_taken = 0;      // bytes taken from the device so far
    qint64 m_held = 0;       // memory the records read from a stream keep
    qint64 m_maxStreamBytes = MAX_STREAM_BYTES;
    qint64 m_maxStreamHeld = MAX_STREAM_HELD_BYTES;
};
