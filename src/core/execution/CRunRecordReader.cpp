#include "CRunRecordReader.h"

#include "execution/RunRecordFormat.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstring>

using namespace RunRecordFormat;

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CRunRecordReader", text);
}

// Bytes taken from the device at a time.
constexpr qint64 CHUNK_BYTES = qint64(4) << 20;

// A decimal number of at most maxDigits digits, with a leading '-' when allowed.
bool ParseNumber(QByteArrayView text, int maxDigits, bool allowSign, qint64* value) {
    qsizetype i = 0;
    bool negative = false;
    if (allowSign && !text.isEmpty() && text[0] == '-') {
        negative = true;
        i = 1;
    }
    if (text.size() - i < 1 || text.size() - i > maxDigits)
        return false;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    *value = negative ? -v : v;
    return true;
}

bool IsHash(QByteArrayView text) {
    if (text.size() != 64)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

QString Text(QByteArrayView utf8) {
    return QString::fromUtf8(utf8.data(), utf8.size());
}

// The lines of a record as the device gives them: a line ends at a line end outside quotes
// (a comment may hold one). The buffer holds at most one chunk and the unfinished line
// before it; lines are read in place. It starts small (a header is read in a few kilobytes)
// and grows as needed. At most MAX_RECORD_BYTES are taken from the device.
class LineSource {
public:
    enum Result {
        LINE,      // a whole line, without its line end (the first without a byte-order mark)
        TOO_LONG,  // a line, whole or not, longer than MAX_LINE_BYTES
        TOO_LARGE, // the record goes on beyond MAX_RECORD_BYTES
        END,       // the device has no more
    };

    explicit LineSource(QIODevice& device)
        : m_device(device),
          m_buffer(std::min<qint64>(CAPACITY, qint64(64) << 10), Qt::Uninitialized),
          m_data(m_buffer.data()) {}

    Result Next(QByteArrayView* line);
    // Bytes after the last whole line were left when the device ended.
    bool Unfinished() const { return m_begin < m_end; }

private:
    static constexpr qint64 CAPACITY = CHUNK_BYTES + CRunRecordReader::MAX_LINE_BYTES + 1;

    // The end of the next whole line in the bytes held, -1 when they hold none.
    qint64 FindLineEnd();
    // Keeps the unfinished line and takes more bytes.
    void Refill();

    QIODevice& m_device;
    QByteArray m_buffer;
    char* m_data;
    qint64 m_begin = 0, m_end = 0; // unread bytes
    qint64 m_scan = 0;             // where the search for the line's end goes on
    bool m_bQuoted = false;        // inside quotes at m_scan
    qint64 m_nTaken = 0;
    bool m_bEof = false;
    bool m_bTooLarge = false;
    bool m_bFirst = true;
};

LineSource::Result LineSource::Next(QByteArrayView* line) {
    qint64 lineEnd;
    while ((lineEnd = FindLineEnd()) < 0) {
        if (m_end - m_begin > CRunRecordReader::MAX_LINE_BYTES)
            return TOO_LONG;
        if (m_bEof)
            return m_bTooLarge ? TOO_LARGE : END;
        Refill();
    }
    qint64 size = lineEnd - m_begin;
    if (size > CRunRecordReader::MAX_LINE_BYTES)
        return TOO_LONG;
    const char* text = m_data + m_begin;
    if (size > 0 && text[size - 1] == '\r')
        --size;
    if (m_bFirst && size >= 3 && std::memcmp(text, BOM, 3) == 0) {
        text += 3;
        size -= 3;
    }
    m_bFirst = false;
    m_begin = lineEnd + 1;
    *line = QByteArrayView(text, size);
    return LINE;
}

qint64 LineSource::FindLineEnd() {
    while (m_scan < m_end) {
        const char* nl =
            static_cast<const char*>(std::memchr(m_data + m_scan, '\n', size_t(m_end - m_scan)));
        const qint64 stop = nl ? nl - m_data : m_end;
        for (const char* q = m_data + m_scan;
             (q = static_cast<const char*>(std::memchr(q, '"', size_t(m_data + stop - q)))); ++q)
            m_bQuoted = !m_bQuoted;
        if (!nl) {
            m_scan = m_end;
            return -1;
        }
        m_scan = stop + 1;
        if (!m_bQuoted)
            return stop;
    }
    return -1;
}

void LineSource::Refill() {
    std::memmove(m_data, m_data + m_begin, size_t(m_end - m_begin));
    m_end -= m_begin;
    m_scan -= m_begin;
    m_begin = 0;
    if (m_end == m_buffer.size() && m_buffer.size() < CAPACITY) {
        m_buffer.resize(std::min<qint64>(CAPACITY, m_buffer.size() * 4));
        m_data = m_buffer.data();
    }
    const qint64 room =
        std::min<qint64>(m_buffer.size() - m_end, CRunRecordReader::MAX_RECORD_BYTES - m_nTaken);
    if (room <= 0) {
        // the budget is spent: whatever follows is not read
        char probe;
        m_bTooLarge = m_device.read(&probe, 1) > 0;
        m_bEof = true;
        return;
    }
    const qint64 n = m_device.read(m_data + m_end, room);
    if (n > 0) {
        m_end += n;
        m_nTaken += n;
    } else {
        m_bEof = true;
    }
}

} // namespace

void CRunRecordReader::Reset() {
    *this = CRunRecordReader();
}

CRunRecordReader::Status CRunRecordReader::Read(const QString& path, bool headerOnly) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Reset();
        m_strPath = path;
        m_nStatus = READ_CANNOT_OPEN;
        m_strError = file.errorString();
        return m_nStatus;
    }
    const Status status = Read(file, headerOnly);
    m_strPath = path;
    return status;
}

CRunRecordReader::Status CRunRecordReader::Read(QIODevice& device, bool headerOnly) {
    Reset();
    m_nStatus = READ_OK;
    LineSource source(device);
    QByteArrayView line;
    while (true) {
        switch (source.Next(&line)) {
        case LineSource::LINE:
            break;
        case LineSource::TOO_LONG:
            ++m_nLine;
            Stop(Tr("%1 行目が長すぎます").arg(m_nLine));
            return Finish();
        case LineSource::TOO_LARGE:
            ++m_nLine;
            Stop(Tr("試験記録が大きすぎます (%1 行目以降は読みません)").arg(m_nLine));
            return Finish();
        case LineSource::END:
            if (source.Unfinished() && m_bHeaderDone)
                m_bTorn = true; // the line being written when the program stopped
            return Finish();
        }
        ++m_nLine;
        if (!m_bHeaderDone) {
            if (!ReadHeaderLine(line))
                return Finish();
            if (m_bHeaderDone && headerOnly)
                return m_nStatus;
        } else if (!ReadEventLine(line)) {
            return Finish();
        }
    }
}

CRunRecordReader::Status CRunRecordReader::Finish() {
    if (!m_bHeaderDone && m_nStatus == READ_OK) {
        m_nStatus = m_nHeaderLines == 0 ? READ_NOT_RECORD : READ_BAD_HEADER;
        if (m_strError.isEmpty())
            m_strError = m_nHeaderLines == 0 ? Tr("試験記録ではありません")
                                             : Tr("ヘッダが途中で終わっています");
    }
    return m_nStatus;
}

bool CRunRecordReader::ReadHeaderLine(QByteArrayView line) {
    const bool first = m_nHeaderLines == 0;
    ++m_nHeaderLines;
    QByteArrayView f[COLUMN_COUNT];
    const int n = line.isValidUtf8() ? SplitFields(line, f, COLUMN_COUNT, m_scratch) : -1;
    if (first) {
        if (n < 2 || f[0] != QByteArrayView(SIGNATURE)) {
            m_nStatus = READ_NOT_RECORD;
            m_strError = Tr("試験記録ではありません");
            return false;
        }
        if (f[1] != QByteArray::number(VERSION)) {
            m_nStatus = READ_BAD_HEADER;
            m_strError = Tr("この形式の試験記録は読めません (形式 %1)")
                             .arg(Text(f[1].first(qMin<qsizetype>(20, f[1].size()))));
            return false;
        }
        return true;
    }
    auto bad = [this](const QString& why) {
        m_nStatus = READ_BAD_HEADER;
        m_strError = Tr("ヘッダの %1 行目: %2").arg(m_nLine).arg(why);
        return false;
    };
    if (n < 1)
        return bad(Tr("形式が正しくありません"));
    if (f[0] == QByteArrayView(KEY_TEST_POINT)) {
        // numbered from 1 in order; the step ranges are for a person and not read
        qint64 point = 0;
        const QByteArrayView name = UnguardText(f[2]);
        if (!ParseNumber(f[1], 10, false, &point) || point != m_testPoints.size() + 1)
            return bad(Tr("テストポイントの番号が正しくありません"));
        if (point > MAX_TEST_POINTS || m_nPointTextBytes + name.size() > MAX_KEPT_TEXT_BYTES)
            return bad(Tr("テストポイントが多すぎます"));
        m_nPointTextBytes += name.size();
        m_testPoints.append(Text(name));
        return true;
    }
    if (m_nHeaderLines - m_testPoints.size() > MAX_HEADER_LINES)
        return bad(Tr("ヘッダが長すぎます"));
    for (int i = n; i < COLUMN_COUNT; ++i)
        f[i] = QByteArrayView();

    if (f[0] == QByteArrayView(ColumnHeading(COL_TIME)) &&
        f[1] == QByteArrayView(ColumnHeading(COL_EVENT))) {
        // the heading line ends the header, which must have said what the record is of
        if (m_planHash.isEmpty())
            return bad(Tr("計画ハッシュがありません"));
        if (m_nSteps < 0)
            return bad(Tr("ステップ数がありません"));
        if (!m_tmStart.isValid())
            return bad(Tr("開始時刻がありません"));
        m_bHeaderDone = true;
        return true;
    }

    const QByteArrayView key = f[0];
    if (key == QByteArrayView(KEY_PROGRAM)) {
        m_strVersion = Text(f[2]);
    } else if (key == QByteArrayView(KEY_INSTRUMENT)) {
        m_strIdent = Text(UnguardText(f[1]));
    } else if (key == QByteArrayView(KEY_PORT)) {
        m_strPort = Text(UnguardText(f[1]));
    } else if (key == QByteArrayView(KEY_DATA_FILE)) {
        m_strDataFile = Text(UnguardText(f[1]));
    } else if (key == QByteArrayView(KEY_TITLE)) {
        m_strTitle = Text(UnguardText(f[1]));
    } else if (key == QByteArrayView(KEY_PLAN_HASH)) {
        if (!IsHash(f[1]))
            return bad(Tr("計画ハッシュが正しくありません"));
        m_planHash = f[1].toByteArray();
    } else if (key == QByteArrayView(KEY_STEPS)) {
        qint64 steps = 0;
        if (!ParseNumber(f[1], 10, false, &steps) || steps > MAX_STEPS)
            return bad(Tr("ステップ数が正しくありません"));
        m_nSteps = steps;
    } else if (key == QByteArrayView(KEY_START)) {
        m_tmStart = ParseTime(f[1], f[2]);
        if (!m_tmStart.isValid())
            return bad(Tr("開始時刻が正しくありません"));
    } else if (key == QByteArrayView(KEY_TEST_TIME)) {
        qint64 seconds = 0;
        if (!f[2].isEmpty() && !ParseNumber(f[2], 18, true, &seconds))
            return bad(Tr("試験日時が正しくありません"));
        m_property.m_tmTest = seconds;
    } else {
        for (const PropertyKey& p : PROPERTY_KEYS) {
            if (key == QByteArrayView(p.key)) {
                m_property.*p.field = Text(UnguardText(f[1]));
                break;
            }
        }
        // keys of a later program are left alone
    }
    return true;
}

CRunRecordReader::StepState* CRunRecordReader::State(qint64 step) {
    if (step < 0 || step >= m_nSteps)
        return nullptr;
    if (size_t(step) >= m_states.size())
        m_states.resize(
            std::max(size_t(step) + 1, std::min(m_states.size() * 2, size_t(m_nSteps))));
    return &m_states[size_t(step)];
}

bool CRunRecordReader::ReadEventLine(QByteArrayView line) {
    QByteArrayView f[COLUMN_COUNT];
    if (!line.isValidUtf8()) {
        Stop(Tr("%1 行目は UTF-8 ではありません").arg(m_nLine));
        return false;
    }
    const int n = SplitFields(line, f, COLUMN_COUNT, m_scratch);
    if (n < 2 || !IsTimeText(f[0])) {
        Stop(Tr("%1 行目の形式が正しくありません").arg(m_nLine));
        return false;
    }
    for (int i = n; i < COLUMN_COUNT; ++i)
        f[i] = QByteArrayView();
    const int event = EventOfToken(f[1]);
    if (event < 0) {
        Stop(Tr("%1 行目のイベントが不明です").arg(m_nLine));
        return false;
    }
    qint64 step = 0; // 1-based, 0 for none
    if (!f[COL_STEP].isEmpty() &&
        (!ParseNumber(f[COL_STEP], 10, false, &step) || step < 1 || step > m_nSteps)) {
        Stop(Tr("%1 行目のステップ番号が正しくありません").arg(m_nLine));
        return false;
    }
    const quint32 seq = quint32(m_nLine);

    switch (event) {
    case EVENT_JUDGE: {
        const int judge = JudgeOfText(f[COL_JUDGE]);
        StepState* state = step > 0 && judge >= 0 ? State(step - 1) : nullptr;
        if (!state) {
            Stop(Tr("%1 行目の判定が正しくありません").arg(m_nLine));
            return false;
        }
        const QByteArrayView comment = UnguardText(f[COL_COMMENT]);
        // the step's comment before this line is replaced: only the new one is kept
        const qint64 replaced = state->commentSeq > m_clearedSeq ? state->commentSize : 0;
        if (m_nLiveText - replaced + comment.size() > MAX_KEPT_TEXT_BYTES) {
            Stop(Tr("%1 行目: コメントが多すぎます").arg(m_nLine));
            return false;
        }
        state->commentSize = 0;
        m_nLiveText -= replaced;
        // compacted once the replaced text outweighs what is kept (and a pass over the
        // steps): every byte is copied a bounded number of times
        if (m_pool.size() - m_nLiveText >
            std::max({m_nLiveText, qint64(m_states.size()) * 16, qint64(1) << 20}))
            CompactPool();
        state->judge = qint8(judge);
        state->judgeSeq = seq;
        state->commentSeq = seq;
        state->commentAt = quint32(m_pool.size());
        state->commentSize = quint32(comment.size());
        m_pool.append(comment);
        m_nLiveText += comment.size();
        m_nResultSeq = seq;
        break;
    }
    case EVENT_JUDGE_ALL: {
        const int judge = JudgeOfText(f[COL_JUDGE]);
        if (judge < 0) {
            Stop(Tr("%1 行目の判定が正しくありません").arg(m_nLine));
            return false;
        }
        m_allJudge = qint8(judge);
        m_allJudgeSeq = seq;
        m_nResultSeq = seq;
        break;
    }
    case EVENT_COMMENTS_CLEARED:
        m_clearedSeq = seq;
        m_nLiveText = 0;
        m_nResultSeq = seq;
        break;
    case EVENT_INSTRUMENT_ERROR: {
        qint64 code = 0;
        if (!ParseNumber(f[COL_CODE], 10, true, &code) || code < INT32_MIN || code > INT32_MAX) {
            Stop(Tr("%1 行目のエラーコードが正しくありません").arg(m_nLine));
            return false;
        }
        ++m_nErrors;
        if (m_listErrors.size() < MAX_ERRORS_KEPT)
            m_listErrors.append(
                {ParseTime(f[COL_TIME]), step, qint32(code),
                 Text(f[COL_DETAIL].first(qMin<qsizetype>(1024, f[COL_DETAIL].size())))});
        break;
    }
    case EVENT_REPORT:
        m_nReportSeq = seq;
        break;
    case EVENT_CLOSE:
        m_bClosed = true;
        break;
    default:
        break;
    }
    std::memcpy(m_lastTime, f[COL_TIME].data(), sizeof m_lastTime);
    m_bHasLastTime = true;
    ++m_nEvents;
    return true;
}

void CRunRecordReader::Stop(const QString& reason) {
    if (!m_bHeaderDone) {
        m_nStatus = m_nHeaderLines == 0 ? READ_NOT_RECORD : READ_BAD_HEADER;
        m_strError = reason;
        return;
    }
    m_nStoppedAt = m_nLine;
    m_strError = reason;
}

void CRunRecordReader::CompactPool() {
    QByteArray pool;
    pool.reserve(m_nLiveText);
    for (StepState& s : m_states) {
        if (s.commentSeq > m_clearedSeq && s.commentSize > 0) {
            const quint32 at = quint32(pool.size());
            pool.append(m_pool.constData() + s.commentAt, qsizetype(s.commentSize));
            s.commentAt = at;
        } else {
            s.commentSize = 0;
        }
    }
    m_pool = std::move(pool);
}

QString CRunRecordReader::DamageText() const {
    if (m_nStoppedAt > 0)
        return Tr("%1 行目まで読みました: %2").arg(LastLineRead()).arg(m_strError);
    if (m_bTorn)
        return Tr("%1 行目まで読みました: %2 行目が途中で切れています")
            .arg(LastLineRead())
            .arg(LastLineRead() + 1);
    return QString();
}

QDateTime CRunRecordReader::LastEventTime() const {
    return m_bHasLastTime ? ParseTime(QByteArrayView(m_lastTime, sizeof m_lastTime)) : QDateTime();
}

qint32 CRunRecordReader::JudgeOf(qint64 step) const {
    if (step < 0 || step >= m_nSteps)
        return JUDGE_NONE;
    if (size_t(step) < m_states.size() && m_states[size_t(step)].judgeSeq > m_allJudgeSeq)
        return m_states[size_t(step)].judge;
    return m_allJudgeSeq > 0 ? m_allJudge : JUDGE_NONE;
}

QString CRunRecordReader::CommentOf(qint64 step) const {
    if (step < 0 || size_t(step) >= m_states.size())
        return QString();
    const StepState& s = m_states[size_t(step)];
    if (s.commentSeq <= m_clearedSeq || s.commentSize == 0)
        return QString();
    return QString::fromUtf8(m_pool.constData() + s.commentAt, qsizetype(s.commentSize));
}

qint64 CRunRecordReader::JudgedCount() const {
    qint64 count = 0;
    for (qint64 i = 0; i < m_nSteps; ++i) {
        if (JudgeOf(i) != JUDGE_NONE)
            ++count;
    }
    return count;
}

bool CRunRecordReader::HasResults() const {
    if (m_nStatus != READ_OK)
        return false;
    for (qint64 i = 0; i < m_nSteps; ++i) {
        if (JudgeOf(i) != JUDGE_NONE)
            return true;
    }
    for (const StepState& s : m_states) {
        if (s.commentSeq > m_clearedSeq && s.commentSize > 0)
            return true;
    }
    return false;
}

bool CRunRecordReader::Matches(const CExecList& steps, const QStringList& testPoints) const {
    return m_nStatus == READ_OK && qint64(steps.size()) == m_nSteps &&
           RunRecordFormat::PlanHash(steps, testPoints) == m_planHash;
}

bool CRunRecordReader::SameResults(const CExecList& steps) const {
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i]->m_nJudge != JudgeOf(qint64(i)) ||
            steps[i]->m_strComment != CommentOf(qint64(i)))
            return false;
    }
    return true;
}

void CRunRecordReader::ApplyTo(CExecList& steps) const {
    for (size_t i = 0; i < steps.size() && qint64(i) < m_nSteps; ++i)
        steps[i]->SetResult(JudgeOf(qint64(i)), CommentOf(qint64(i)));
}
