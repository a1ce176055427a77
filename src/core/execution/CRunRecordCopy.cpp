#include "CRunRecordCopy.h"

bool CRunRecordCopy::Visit(qint64 from, const std::function<bool(QByteArrayView)>& out) const {
    qint64 at = 0;
    for (const Block& block : m_blocks) {
        if (from < at + block.size) {
            const QByteArray bytes = qUncompress(block.packed);
            if (!out(QByteArrayView(bytes).sliced(qMax<qint64>(from - at, 0))))
                return false;
        }
        at += block.size;
    }
    if (from < at + m_tail.size())
        return out(QByteArrayView(m_tail).sliced(qMax<qint64>(from - at, 0)));
    return true;
}

void CRunRecordCopy::Pack() {
    if (m_tail.size() < PACK_BYTES)
        return;
    QByteArray packed = qCompress(m_tail, 1);
    packed.squeeze(); // it was made with room for the worst case
    m_blocks.append({packed, m_tail.size()});
    m_nPackedSize += m_tail.size();
    m_tail.truncate(0); // keeps its room for the next block
}

qint64 CRunRecordCopy::HeldBytes() const {
    qint64 held = m_tail.capacity();
    for (const Block& block : m_blocks)
        held += block.packed.capacity();
    return held;
}
