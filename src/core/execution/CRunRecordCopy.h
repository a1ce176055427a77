#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>

// The whole run record kept in memory, so that a record whose medium is lost can go on,
// whole, in a new file. Records repeat themselves (times, the same steps' values): the
// bytes already written are packed with zlib in blocks of at least PACK_BYTES, to an eighth
// or a twentieth of their size (a million events, 80 MB of record, keep about 3 MB).
// Packing a block takes a fraction of a millisecond.
class CRunRecordCopy {
public:
    static constexpr qsizetype PACK_BYTES = 64 * 1024;

    void Append(QByteArrayView bytes) { m_tail.append(bytes); }
    // The bytes of the record so far.
    qint64 Size() const { return m_nPackedSize + m_tail.size(); }
    // The bytes from `from` to the end, in order, in pieces; stops at the first piece out
    // refuses. False then.
    bool Visit(qint64 from, const std::function<bool(QByteArrayView)>& out) const;
    // Packs the unpacked bytes once there is a block of them.
    void Pack();
    // What the copy holds in memory.
    qint64 HeldBytes() const;

private:
    struct Block {
        QByteArray packed;
        qint64 size; // unpacked
    };
    QList<Block> m_blocks;
    qint64 m_nPackedSize = 0; // the bytes in the blocks
    QByteArray m_tail;        // the bytes after them, unpacked
};
