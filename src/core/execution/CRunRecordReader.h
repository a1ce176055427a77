#pragma once

#include "data/CExecData.h"
#include "settings/CTestProperty.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class QIODevice;

// Reads a run record (RunRecordFormat) into what it says: the header, the final judgement
// and comment of every step, the instrument errors, how the run ended. A record is trusted
// no further than it is valid: a header that is not one refuses it; the body is read up to
// the first line that is not a whole, valid event (a torn last line of a killed program is
// simply left out), so what was read is always what the program wrote. Hostile records are
// read within fixed bounds of bytes, line length, steps and kept text.
class CRunRecordReader {
public:
    // Bytes read at most; a day of events takes a few megabytes.
    static constexpr qint64 MAX_RECORD_BYTES = qint64(256) << 20;
    // Longest line: a comment of the longest line edit, every character quoted.
    static constexpr qint64 MAX_LINE_BYTES = qint64(256) << 10;
    // The longest run list the program makes (CVzrT8100Doc::kMaxRunSteps).
    static constexpr qint64 MAX_STEPS = qint64(1) << 21;
    // Comment text kept, in UTF-8: the comments the steps hold, not those replaced since.
    static constexpr qint64 MAX_KEPT_TEXT_BYTES = qint64(64) << 20;
    static constexpr int MAX_HEADER_LINES = 100;
    // Test points named in the header (their lines beside MAX_HEADER_LINES): as many as a
    // data file may bring, their names within MAX_KEPT_TEXT_BYTES.
    static constexpr qint64 MAX_TEST_POINTS = qint64(1) << 20;
    static constexpr int MAX_ERRORS_KEPT = 1000;

    enum Status {
        READ_OK,          // header valid; the body read as far as it is valid
        READ_CANNOT_OPEN, // the file could not be opened
        READ_NOT_RECORD,  // not a run record
        READ_BAD_HEADER,  // a run record whose header is incomplete or invalid
    };

    struct InstrumentError {
        QDateTime tmTime;
        qint64 lStep = 0; // 1-based, 0 when none
        qint32 lCode = 0;
        QString strText;
    };

    // Reads a record; headerOnly stops after the header (finding and listing records).
    Status Read(const QString& path, bool headerOnly = false);
    Status Read(QIODevice& device, bool headerOnly = false);

    Status GetStatus() const { return m_nStatus; }
    QString GetPath() const { return m_strPath; }
    // Why the record was refused, or why its body was read only in part; empty otherwise.
    QString ErrorText() const { return m_strError; }

    // Header.
    QString ProgramVersion() const { return m_strVersion; }
    QString Ident() const { return m_strIdent; }
    QString Port() const { return m_strPort; }
    QString DataFile() const { return m_strDataFile; }
    QString Title() const { return m_strTitle; }
    QByteArray PlanHash() const { return m_planHash; }
    qint64 StepCount() const { return m_nSteps; }
    // The names of the run's test points, in order; none for a plan tested as a whole.
    const QStringList& TestPoints() const { return m_testPoints; }
    // At the offset from UTC the run had, so that records compare by the instant they began.
    QDateTime Start() const { return m_tmStart; }
    // The settings of the run, its test time included.
    const CTestProperty& Property() const { return m_property; }

    // Body.
    qint64 EventCount() const { return m_nEvents; }
    // An unfinished last line (the program stopped while writing it) was left out.
    bool TornLine() const { return m_bTorn; }
    // The line (1-based, header lines counted) at which reading stopped because it was not
    // valid, 0 when the record was read to its end.
    qint64 StoppedAtLine() const { return m_nStoppedAt; }
    // Not every line of the record was read: a torn last line or a line not valid.
    bool Damaged() const { return m_bTorn || m_nStoppedAt > 0; }
    // The last line read whole (1-based, header lines counted).
    qint64 LastLineRead() const { return m_nStoppedAt > 0 ? m_nStoppedAt - 1 : m_nLine; }
    // "N 行目まで読みました..." with what ended the reading; empty when not Damaged().
    QString DamageText() const;
    QDateTime LastEventTime() const;
    // The dialog was closed: the run ended normally.
    bool Closed() const { return m_bClosed; }
    // A report was made after the last change of a judgement or comment: the run's results
    // went into a workbook as they finally stood.
    bool ResultsReported() const { return m_nReportSeq > m_nResultSeq; }
    const QList<InstrumentError>& Errors() const { return m_listErrors; }
    qint64 ErrorCount() const { return m_nErrors; }

    // Results: the judgement and comment of a step (0-based) as they were last set.
    qint32 JudgeOf(qint64 step) const;
    QString CommentOf(qint64 step) const;
    qint64 JudgedCount() const;
    bool HasResults() const;
    // The record is of this run list at these test points: same steps, same order, same
    // values, same points.
    bool Matches(const CExecList& steps, const QStringList& testPoints) const;
    // The run list holds exactly the record's results already.
    bool SameResults(const CExecList& steps) const;
    // Puts the record's results into a run list it matches.
    void ApplyTo(CExecList& steps) const;

private:
    struct StepState {
        quint32 judgeSeq = 0;   // line of the last judgement set, 0 for none
        quint32 commentSeq = 0; // line of the last comment set
        quint32 commentAt = 0;  // the comment's place in the text pool
        quint32 commentSize = 0;
        qint8 judge = 0;
    };

    void Reset();
    // The status once reading stopped: a header that never ended is no record, or a bad one.
    Status Finish();
    bool ReadHeaderLine(QByteArrayView line);
    bool ReadEventLine(QByteArrayView line);
    void Stop(const QString& reason);
    StepState* State(qint64 step);
    // Drops the replaced and cleared comments from the text pool.
    void CompactPool();

    Status m_nStatus = READ_CANNOT_OPEN;
    QString m_strPath;
    QString m_strError;

    QString m_strVersion, m_strIdent, m_strPort, m_strDataFile, m_strTitle;
    QByteArray m_planHash;
    qint64 m_nSteps = -1;
    QStringList m_testPoints;
    qint64 m_nPointTextBytes = 0;
    QDateTime m_tmStart;
    CTestProperty m_property;
    bool m_bHeaderDone = false;
    int m_nHeaderLines = 0;

    qint64 m_nLine = 0;
    qint64 m_nEvents = 0;
    bool m_bTorn = false;
    qint64 m_nStoppedAt = 0;
    bool m_bClosed = false;
    quint32 m_nReportSeq = 0; // line of the last REPORT
    quint32 m_nResultSeq = 0; // line of the last change of a judgement or comment
    char m_lastTime[23] = {};
    bool m_bHasLastTime = false;
    QList<InstrumentError> m_listErrors;
    qint64 m_nErrors = 0;

    std::vector<StepState> m_states;
    QByteArray m_pool;      // comments, UTF-8, with those replaced since the last compaction
    qint64 m_nLiveText = 0; // bytes of the pool the steps' comments take
    quint32 m_allJudgeSeq = 0;
    qint8 m_allJudge = 0;
    quint32 m_clearedSeq = 0;
    QByteArray m_scratch;
};
