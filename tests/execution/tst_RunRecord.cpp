// The run record's reader against what a killed program, a hand or an attacker leaves
// behind: a record cut at any byte, lines that are not valid, endless and enormous input.
// Whatever it gets, it reads exactly the valid part, within its bounds. The writer on a
// slow medium and on one that is lost under it.
#include "RunFixture.h"

#include "execution/CRunRecord.h"
#include "execution/CRunRecordReader.h"
#include "execution/CRunRecordStore.h"
#include "execution/RunRecordFormat.h"

#include "HostileStream.h"

#include <QBuffer>
#include <QDir>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

using namespace run;

namespace {

CRunRecordReader::Status ReadBytes(CRunRecordReader& reader, const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return reader.Read(buffer);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The record's medium as the test has it: one file (by its inode) fails its writes, or its
// next flush, with an errno; flushes can be held until released; what was flushed is kept.
struct Medium {
    std::atomic<ino_t> failing{0};
    std::atomic<int> writeError{0};
    std::atomic<int> flushError{0}; // once
    std::atomic<bool> held{false};
    QSemaphore release;
    std::atomic<int> fileFlushes{0}; // returned
    std::mutex mutex;
    QStringList folders;     // flushed
    qint64 flushedSize = -1; // the file's size at its last flush

    static ino_t Inode(int fd) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
    }
    bool Fail(const QString& path, int write, int flush) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return false;
        writeError = write;
        flushError = flush;
        failing = st.st_ino;
        return true;
    }
    CRunRecord::FileOps Ops() {
        const auto write = [this](int fd, const void* data, size_t size, off_t at) -> ssize_t {
            if (writeError != 0 && Inode(fd) == failing) {
                errno = writeError;
                return -1;
            }
            return ::pwrite(fd, data, size, at);
        };
        const auto flush = [this](int fd, bool folder) {
            if (folder) {
                const std::lock_guard lock(mutex);
                folders.append(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)));
                return 0;
            }
            if (held && !release.tryAcquire(1, WAIT_MS))
                held = false; // a writer that waits for its flushes waits once
            if (Inode(fd) == failing)
                if (const int error = flushError.exchange(0))
                    return error;
            struct stat st {};
            ::fstat(fd, &st);
            const std::lock_guard lock(mutex);
            flushedSize = st.st_size;
            ++fileFlushes;
            return ::fdatasync(fd) == 0 ? 0 : errno;
        };
        return {write, flush};
    }
};

} // namespace

class TestRunRecord : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CVzrT8100Doc> m_doc;
    QByteArray m_record;    // a record the program wrote
    qsizetype m_bodyAt = 0; // where its first event line begins

    CExecList& Steps() { return m_doc->GetExecList(); }

    // A record line as the program writes it, for the large records below.
    static QByteArray JudgeLine(int step, const char* judge, const QByteArray& comment) {
        QByteArray line = "2026/12/08 10:00:00.000,JUDGE," + QByteArray::number(step) +
                          ",CONTACT,IEC LEVEL X,VZR,+,4.00,1.00,2," + judge + ",";
        RunRecordFormat::AppendField(line, comment);
        return line + ",確定,\r\n";
    }
    QByteArray Header() const { return m_record.left(m_bodyAt); }
    static CRunRecord::Header HeaderIn(const QTemporaryDir& dir) {
        CRunRecord::Header header;
        header.strDataFile = dir.filePath("Plan.vzt");
        header.tmStart = QDateTime(QDate(2026, 12, 8), QTime(12, 0));
        return header;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_doc = MixedPlan();
        CTestProperty property;
        property.m_strOperator = "試験者";
        CRunRecord record(Steps());
        CRunRecord::Header header;
        header.strDataFile = m_dir.filePath("Plan.vzt");
        header.strTitle = "Plan.vzt";
        header.tmStart = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
        QVERIFY(record.Begin(header, property));
        m_bodyAt = QFileInfo(record.Path()).size();
        // every kind of line whose effect the reader keeps
        Steps()[0]->m_nJudge = JUDGE_B;
        Steps()[0]->m_strComment = "a,\"b\"\nc";
        record.Judged(0, CRunSequencer::JUDGED_DIALOG);
        for (auto& step : Steps())
            step->m_nJudge = JUDGE_C;
        record.JudgedAll(JUDGE_C);
        Steps()[2]->m_nJudge = JUDGE_D;
        record.Judged(2, CRunSequencer::JUDGED_APPLY);
        record.InstrumentError(1, 3, "トリガ入力エラー");
        for (auto& step : Steps())
            step->m_strComment.clear();
        record.CommentsCleared();
        Steps()[3]->m_strComment = "後";
        record.Judged(3, CRunSequencer::JUDGED_APPLY);
        record.Closed();
        QFile file(record.Path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        m_record = file.readAll();
        QVERIFY(m_record.startsWith("\xEF\xBB\xBF"));
    }

    // Cut at every byte, as a program killed in the middle of a write or a power cut leaves
    // it: a header that is not whole is refused; after it, every whole line is read, an
    // unfinished last line is left out, and the results are those of the whole lines.
    void recordCutAnywhere() {
        CRunRecordReader whole;
        QCOMPARE(ReadBytes(whole, m_record), CRunRecordReader::READ_OK);
        QCOMPARE(whole.EventCount(), 7);
        QCOMPARE(whole.JudgeOf(0), JUDGE_C); // 判定全変更 after the dialog's B
        QCOMPARE(whole.JudgeOf(1), JUDGE_C);
        QCOMPARE(whole.JudgeOf(2), JUDGE_D);
        QCOMPARE(whole.JudgeOf(3), JUDGE_C);
        QCOMPARE(whole.CommentOf(0), QString()); // コメント全削除
        QCOMPARE(whole.CommentOf(3), QString("後"));
        QVERIFY(whole.Closed() && !whole.TornLine() && whole.StoppedAtLine() == 0);
        QCOMPARE(whole.ErrorCount(), 1);
        QCOMPARE(whole.Errors().first().lCode, 3);
        QCOMPARE(whole.Errors().first().lStep, 2);
        QCOMPARE(whole.Property().m_strOperator, QString("試験者"));

        // the results after each whole line
        struct After {
            qsizetype end;
            qint32 judge0;
            QString comment0;
        };
        QList<After> lineEnds;
        for (qsizetype at = m_bodyAt; at < m_record.size();) {
            CRunRecordReader reader;
            // a line ends at CRLF outside quotes
            qsizetype end = at;
            bool quoted = false;
            for (; end < m_record.size(); ++end) {
                if (m_record[end] == '"')
                    quoted = !quoted;
                if (m_record[end] == '\n' && !quoted)
                    break;
            }
            at = end + 1;
            QCOMPARE(ReadBytes(reader, m_record.left(at)), CRunRecordReader::READ_OK);
            lineEnds.append({at, reader.JudgeOf(0), reader.CommentOf(0)});
        }
        QCOMPARE(lineEnds.size(), 7);
        QCOMPARE(lineEnds[0].comment0, QString("a,\"b\"\nc"));

        for (qsizetype cut = 0; cut < m_record.size(); ++cut) {
            CRunRecordReader reader;
            const CRunRecordReader::Status status = ReadBytes(reader, m_record.left(cut));
            if (cut < m_bodyAt) {
                QVERIFY2(status != CRunRecordReader::READ_OK, qPrintable(QString::number(cut)));
                continue;
            }
            QCOMPARE(status, CRunRecordReader::READ_OK);
            qint64 whole = 0;
            while (whole < lineEnds.size() && lineEnds[whole].end <= cut)
                ++whole;
            QCOMPARE(reader.EventCount(), whole);
            const bool onLineEnd = cut == m_bodyAt || (whole > 0 && lineEnds[whole - 1].end == cut);
            QCOMPARE(reader.TornLine(), !onLineEnd);
            QCOMPARE(reader.Damaged(), !onLineEnd);
            QCOMPARE(reader.StoppedAtLine(), 0);
            QCOMPARE(reader.JudgeOf(0), whole > 0 ? lineEnds[whole - 1].judge0 : JUDGE_NONE);
            QCOMPARE(reader.CommentOf(0), whole > 0 ? lineEnds[whole - 1].comment0 : QString());
        }
    }

    // A line that is not a valid event stops the reading there: what stands before it is
    // kept, nothing after it is believed. A header that is not one refuses the record.
    // Comments and settings are the operator's free text: a spreadsheet opening the record
    // must show them, never run them as formulas, and reading back gives them exactly.
    void formulasStayText() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        std::unique_ptr<CVzrT8100Doc> doc = MixedPlan();
        CExecList& steps = doc->GetExecList();
        CTestProperty property;
        property.m_strCompanyName = "=HYPERLINK(\"http://x\")";
        property.m_strOperator = "'quoted";
        CRunRecord record(steps);
        CRunRecord::Header header;
        header.strDataFile = dir.filePath("Plan.vzt");
        header.tmStart = QDateTime(QDate(2026, 12, 8), QTime(11, 0));
        QVERIFY(record.Begin(header, property));
        const QString comments[] = {"=1+1", "+49 30", "-5 kV", "@SUM(A1)", "'=x", "'", "ok"};
        for (int i = 0; i < 4; ++i) {
            steps[size_t(i)]->m_strComment = comments[i];
            record.Judged(i, CRunSequencer::JUDGED_APPLY);
        }
        record.Closed();

        QFile file(record.Path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const char* cell : {",'=1+1,", ",'+49 30,", ",'-5 kV,", ",'@SUM(A1),",
                                 ",\"'=HYPERLINK(\"\"http://x\"\")\"\r\n", ",''quoted\r\n"})
            QVERIFY2(bytes.contains(cell), cell);

        CRunRecordReader reader;
        QCOMPARE(reader.Read(record.Path()), CRunRecordReader::READ_OK);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(reader.CommentOf(i), comments[i]);
        QCOMPARE(reader.Property().m_strCompanyName, property.m_strCompanyName);
        QCOMPARE(reader.Property().m_strOperator, property.m_strOperator);
        for (const QString& text : comments)
            QCOMPARE(RunRecordFormat::UnguardText(RunRecordFormat::GuardText(text.toUtf8())),
                     QByteArrayView(text.toUtf8()));
    }

    // A slow medium's flush goes on behind the run: every line is in the file before the
    // call returns while no flush has come back. The folder made for the records and the
    // one it was made in are flushed too; the end waits for the last flush.
    void flushesBehindTheRun() {
        QTemporaryDir dir;
        Medium medium;
        medium.held = true;
        QString path;
        {
            CRunRecord record(Steps());
            record.SetFileOps(medium.Ops());
            QVERIFY(record.Begin(HeaderIn(dir), CTestProperty()));
            for (int i = 0; i < 50; ++i)
                record.DischargeSeen(i % 4);
            path = record.Path();
            CRunRecordReader reader;
            QCOMPARE(reader.Read(path), CRunRecordReader::READ_OK);
            QCOMPARE(reader.EventCount(), 50);
            QCOMPARE(medium.fileFlushes.load(), 0);
            medium.held = false;
            medium.release.release(1000);
        }
        QVERIFY(medium.fileFlushes > 0);
        QCOMPARE(medium.flushedSize, QFileInfo(path).size());
        QVERIFY2(medium.folders.contains(dir.path()), qPrintable(medium.folders.join(' ')));
        QVERIFY(medium.folders.contains(dir.filePath("Plan.runs")));
    }

    // A medium lost under the record, shown by a write or only by a flush: the lost file is
    // left as it is and the record goes on in the reports folder, whole from its header,
    // told once each time. A flush that finds no room leaves its lines to be written again:
    // told, then told again once they are flushed, with no gap and no line twice.
    void lostMedium() {
        QTemporaryDir dir;
        Medium medium;
        CRunRecord record(Steps());
        record.SetFileOps(medium.Ops());
        QList<QPair<bool, QString>> told;
        record.SetHealthHandler([&](bool ok, const QString& text) { told.append({ok, text}); });
        QVERIFY(record.Begin(HeaderIn(dir), CTestProperty()));
        const QString first = record.Path();
        for (int i = 0; i < 1000; ++i) // more than the copy keeps unpacked
            record.DischargeSeen(i % 4);
        const QByteArray before = ReadAll(first);

        QVERIFY(medium.Fail(first, EIO, 0));
        record.StepCompleted(0);
        const QString second = record.Path();
        QCOMPARE(told, (QList<QPair<bool, QString>>{{true, second}}));
        QCOMPARE(record.MovedFrom(), first);
        QCOMPARE(QFileInfo(second).absolutePath(),
                 CRunRecordStore::FolderInReports(HeaderIn(dir).strDataFile));
        QCOMPARE(ReadAll(first), before);
        QVERIFY(ReadAll(second).startsWith(before));

        QVERIFY(medium.Fail(second, 0, EIO));
        record.StepLoaded(1);
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), 2, WAIT_MS);
        const QString third = record.Path();
        QVERIFY(third != second);
        QCOMPARE(told[1], qMakePair(true, third));
        QCOMPARE(record.MovedFrom(), second);

        QVERIFY(medium.Fail(third, 0, ENOSPC));
        record.StepLoaded(2);
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), 3, WAIT_MS);
        QVERIFY(!told[2].first && record.IsFailing());
        record.StepLoaded(3);
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), 4, WAIT_MS);
        QCOMPARE(told[3], qMakePair(true, third));
        record.Closed();

        const QByteArray whole = ReadAll(third);
        QVERIFY(whole.startsWith(before));
        CRunRecordReader reader;
        QCOMPARE(ReadBytes(reader, whole), CRunRecordReader::READ_OK);
        QCOMPARE(reader.EventCount(), 1005);
        QVERIFY(reader.Closed() && !reader.TornLine() && reader.StoppedAtLine() == 0);
        QStringList last;
        const QList<QByteArray> lines = whole.trimmed().split('\n');
        for (const QByteArray& line : lines.mid(lines.size() - 5))
            last.append(
                QString::fromUtf8(line.split(',').value(1) + ' ' + line.split(',').value(2)));
        QCOMPARE(last, (QStringList{"COMPLETE 1", "LOAD 2", "LOAD 3", "LOAD 4", "CLOSE "}));
        QVERIFY(CRunRecordStore::NamesDataFile(reader.DataFile(), HeaderIn(dir).strDataFile));
    }

    void invalidLines() {
        const QByteArray first = JudgeLine(1, "A", "before");
        const QByteArray after = JudgeLine(2, "B", "after");
        const QList<QPair<const char*, QByteArray>> bad = {
            {"invalid UTF-8", JudgeLine(3, "C", "\xC3\x28\xFF")},
            {"unknown event", "2026/12/08 10:00:00.000,EXPLODE,,,,,,,,,,,,\r\n"},
            {"judgement text", JudgeLine(3, "E", "")},
            {"step beyond the run list", JudgeLine(5, "A", "")},
            {"step zero", JudgeLine(0, "A", "")},
            {"time", "2026/13/08 10:00:00.000,STOP,1,,,,,,,,,,,\r\n"},
            {"stray quote", "2026/12/08 10:00:00.000,STOP,1\"x\"y,,,,,,,,,,,\r\n"},
            {"too many fields", "2026/12/08 10:00:00.000,STOP,1,,,,,,,,,,,,,,\r\n"},
            {"empty line", "\r\n"},
            {"error code", "2026/12/08 10:00:00.000,INSTRUMENT_ERROR,1,,,,,,,,,,x,9x\r\n"},
        };
        for (const auto& [what, line] : bad) {
            CRunRecordReader reader;
            QCOMPARE(ReadBytes(reader, Header() + first + line + after), CRunRecordReader::READ_OK);
            QVERIFY2(reader.StoppedAtLine() > 0, what);
            QVERIFY2(!reader.ErrorText().isEmpty(), what);
            QCOMPARE(reader.EventCount(), 1);
            QCOMPARE(reader.LastLineRead(), reader.StoppedAtLine() - 1);
            QCOMPARE(reader.JudgeOf(0), JUDGE_A);
            QCOMPARE(reader.CommentOf(0), QString("before"));
            QCOMPARE(reader.JudgeOf(1), JUDGE_NONE);
        }

        // headers that say nothing trustworthy
        const QByteArray body = first;
        QByteArray noHash = Header();
        noHash.replace("計画ハッシュ", "計画はしゅ");
        QByteArray steps = Header();
        steps.replace("ステップ数,4", "ステップ数,99999999999");
        QByteArray version = Header();
        version.replace("試験記録,1", "試験記録,2");
        QByteArray offset = Header();
        const qsizetype start = offset.indexOf("開始,");
        offset.replace(start, offset.indexOf("\r", start) - start,
                       "開始,2026/12/08 10:00:00.000,+25:00");
        QByteArray unclosed = Header();
        unclosed.chop(unclosed.size() - unclosed.indexOf("時刻,"));
        struct Case {
            const char* what;
            QByteArray bytes;
            CRunRecordReader::Status status;
        } const cases[] = {
            {"no hash", noHash + body, CRunRecordReader::READ_BAD_HEADER},
            {"steps beyond any plan", steps + body, CRunRecordReader::READ_BAD_HEADER},
            {"later format", version + body, CRunRecordReader::READ_BAD_HEADER},
            {"offset from UTC", offset + body, CRunRecordReader::READ_BAD_HEADER},
            {"header never ends", unclosed, CRunRecordReader::READ_BAD_HEADER},
            {"empty", QByteArray(), CRunRecordReader::READ_NOT_RECORD},
            {"a data file", QByteArray("\xFF\xFE\xFF\x1CValdmark"),
             CRunRecordReader::READ_NOT_RECORD},
            {"a CSV of something else", "a,b,c\r\n1,2,3\r\n", CRunRecordReader::READ_NOT_RECORD},
        };
        for (const Case& c : cases) {
            CRunRecordReader reader;
            QCOMPARE(ReadBytes(reader, c.bytes), c.status);
            QVERIFY2(!reader.ErrorText().isEmpty(), c.what);
            QVERIFY2(!reader.HasResults() && !reader.Matches(Steps(), {}), c.what);
        }
    }

    // How a run ended decides whether it is offered back: only when it never closed and
    // holds results no report carried away. Each run: J a judgement, R a report, C closed.
    void interruptedRunOffered() {
        const QPair<const char*, bool> cases[] = {
            {"J", true}, {"", false}, {"JC", false}, {"JR", false}, {"JRJ", true}};
        for (const auto& [events, offered] : cases) {
            QTemporaryDir dir;
            CRunRecord record(Steps());
            CRunRecord::Header header;
            header.strDataFile = dir.filePath("Plan.vzt");
            QVERIFY(record.Begin(header, CTestProperty()));
            for (const char* e = events; *e; ++e) {
                Steps()[0]->m_nJudge = JUDGE_B;
                *e == 'J'   ? record.Judged(0, CRunSequencer::JUDGED_APPLY)
                : *e == 'R' ? record.ReportMade("/tmp/report.xlsx")
                            : record.Closed();
            }
            CRunRecordReader reader;
            QVERIFY2(CRunRecordStore::FindInterruptedRun(header.strDataFile, Steps(), {}, reader) ==
                         offered,
                     events);
        }
    }

    // The test points in the header, one line each beside the header's bound: numbered, the
    // name kept as text, the steps that carry it. A record of the same steps at other points,
    // or at the same points in another order, is of another run: never matched or offered.
    void testPointsInTheHeader() {
        QTemporaryDir dir;
        auto doc = MixedPlan();
        QStringList points{"USB", "=SW"};
        for (int i = 3; i <= 150; ++i)
            points << QStringLiteral("P%1").arg(i);
        doc->SetTestPoints(points);
        CExecList& steps = doc->GetExecList();
        CRunRecord record(steps);
        CRunRecord::Header header = HeaderIn(dir);
        header.testPoints = points;
        QVERIFY(record.Begin(header, CTestProperty()));
        steps[5]->m_nJudge = JUDGE_B;
        record.Judged(5, CRunSequencer::JUDGED_APPLY);
        const QByteArray bytes = ReadAll(record.Path());
        for (const char* line :
             {"\r\nテストポイント,1,USB,1-4\r\n", "\r\nテストポイント,2,'=SW,5-8\r\n",
              "\r\nテストポイント,150,P150,597-600\r\n"})
            QVERIFY2(bytes.contains(line), line);
        CRunRecordReader reader;
        QCOMPARE(reader.Read(record.Path()), CRunRecordReader::READ_OK);
        QCOMPARE(reader.TestPoints(), points);
        QCOMPARE(reader.JudgeOf(5), JUDGE_B);
        QVERIFY(reader.Matches(steps, points));
        QStringList swapped = points;
        swapped.swapItemsAt(0, 1);
        QVERIFY(!reader.Matches(steps, swapped));
        QVERIFY(CRunRecordStore::FindInterruptedRun(header.strDataFile, steps, points, reader));
        QVERIFY(!CRunRecordStore::FindInterruptedRun(header.strDataFile, steps, swapped, reader));
        // a point line out of its order refuses the header
        QByteArray skipped = bytes;
        skipped.replace("テストポイント,2,", "テストポイント,3,");
        QCOMPARE(ReadBytes(reader, skipped), CRunRecordReader::READ_BAD_HEADER);
    }

    // Enormous and endless input stops at the reader's bounds with what was valid before.
    void hostileRecords() {
        // a line without end, then a valid one: the long line is refused at its limit
        {
            CRunRecordReader reader;
            HostileStream endless(Header() + JudgeLine(1, "A", "x"), "A");
            endless.open(QIODevice::ReadOnly);
            QCOMPARE(reader.Read(endless), CRunRecordReader::READ_OK);
            QCOMPARE(reader.EventCount(), 1);
            QVERIFY(reader.StoppedAtLine() > 0);
            QVERIFY(endless.Delivered() <=
                    m_bodyAt + CRunRecordReader::MAX_LINE_BYTES + (qint64(8) << 20));
        }
        // an opened quote that never closes swallows no more than one line's limit
        {
            CRunRecordReader reader;
            HostileStream quote(Header() + "2026/12/08 10:00:00.000,JUDGE,1,\"", "x\r\n");
            quote.open(QIODevice::ReadOnly);
            QCOMPARE(reader.Read(quote), CRunRecordReader::READ_OK);
            QCOMPARE(reader.EventCount(), 0);
            QVERIFY(reader.StoppedAtLine() > 0);
        }
        // valid lines for ever: read up to the record's limit, no further
        {
            CRunRecordReader reader;
            HostileStream lines(Header(), JudgeLine(2, "D", "x"));
            lines.open(QIODevice::ReadOnly);
            QCOMPARE(reader.Read(lines), CRunRecordReader::READ_OK);
            QVERIFY(lines.Delivered() <= CRunRecordReader::MAX_RECORD_BYTES + (1 << 16));
            QVERIFY(reader.StoppedAtLine() > 0);
            QVERIFY(reader.EventCount() > 1000000);
            QCOMPARE(reader.JudgeOf(1), JUDGE_D);
        }
        // a million events, each its own comment on one of the steps: all read
        {
            QByteArray bytes = Header();
            bytes.reserve(bytes.size() + 100 * 1000000);
            for (int i = 0; i < 1000000; ++i)
                bytes += JudgeLine(i % 4 + 1, i % 2 ? "B" : "A", QByteArray::number(i));
            CRunRecordReader reader;
            QCOMPARE(ReadBytes(reader, bytes), CRunRecordReader::READ_OK);
            QCOMPARE(reader.EventCount(), 1000000);
            QCOMPARE(reader.StoppedAtLine(), 0);
            QCOMPARE(reader.CommentOf(3), QString("999999"));
            QCOMPARE(reader.JudgeOf(3), JUDGE_B);
            QCOMPARE(reader.JudgeOf(0), JUDGE_A);
            QCOMPARE(reader.JudgedCount(), 4);
        }
        // a comment replaced over and over, far beyond what the reader keeps: only the
        // latest counts
        const QByteArray big(CRunRecordReader::MAX_LINE_BYTES / 2, 'c');
        const qint64 beyond = CRunRecordReader::MAX_KEPT_TEXT_BYTES / big.size() + 100;
        {
            const QByteArray line = JudgeLine(1, "A", big);
            const QByteArray head = Header() + JudgeLine(2, "B", "kept");
            HostileStream comments(head, line, head.size() + beyond * line.size());
            comments.open(QIODevice::ReadOnly);
            CRunRecordReader reader;
            QCOMPARE(reader.Read(comments), CRunRecordReader::READ_OK);
            QCOMPARE(reader.EventCount(), beyond + 1);
            QVERIFY(!reader.Damaged());
            QCOMPARE(reader.CommentOf(0), QString(big));
            QCOMPARE(reader.CommentOf(1), QString("kept"));
        }
        // comments of as many steps beyond it: refused from the line that overflows
        {
            QByteArray bytes = Header();
            bytes.replace("ステップ数,4", "ステップ数,100000");
            for (int step = 1; step <= beyond; ++step)
                bytes += JudgeLine(step, "A", big);
            CRunRecordReader reader;
            QCOMPARE(ReadBytes(reader, bytes), CRunRecordReader::READ_OK);
            QVERIFY(reader.StoppedAtLine() > 0);
            QCOMPARE(reader.EventCount() * big.size(), CRunRecordReader::MAX_KEPT_TEXT_BYTES);
        }
        // garbage bytes: not a record, read no further than a line
        {
            CRunRecordReader reader;
            HostileStream garbage(QByteArray(), QByteArray("\x00\xFF\x80\"\r", 5));
            garbage.open(QIODevice::ReadOnly);
            QVERIFY(reader.Read(garbage) != CRunRecordReader::READ_OK);
            QVERIFY(garbage.Delivered() <= CRunRecordReader::MAX_LINE_BYTES + (qint64(8) << 20));
        }
    }
};

QTEST_GUILESS_MAIN(TestRunRecord)
#include "tst_RunRecord.moc"
