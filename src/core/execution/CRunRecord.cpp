#include "CRunRecord.h"

#include "execution/CRunRecordStore.h"
#include "execution/CRunRecordSyncer.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace RunRecordFormat;

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CRunRecord", text);
}

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A disk without room keeps the lines queued; every other failure loses the medium.
bool IsNoRoom(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

// A folder's new entries, or the file's data.
int Flush(int fd, bool folder) {
    int result;
    do {
        result = folder ? ::fsync(fd) : ::fdatasync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

int OpenFolder(const QString& folder) {
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Makes folder (and with parents its missing parents); each folder whose entries changed
// goes, open, into changed, to be flushed so that a power cut soon after keeps the new
// folders (FAT keeps no journal).
bool MakeFolder(const QString& folder, bool parents, std::vector<int>& changed, QString* problem) {
    const QByteArray name = QFile::encodeName(folder);
    int made = ::mkdir(name.constData(), 0777);
    if (made != 0 && errno == ENOENT && parents) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder) {
            *problem = ErrnoText(ENOENT);
            return false;
        }
        if (!MakeFolder(parent, true, changed, problem))
            return false;
        made = ::mkdir(name.constData(), 0777);
    }
    if (made == 0) {
        const int parent = OpenFolder(QFileInfo(folder).path());
        if (parent >= 0)
            changed.push_back(parent);
        return true;
    }
    if (errno == EEXIST)
        return true;
    *problem = ErrnoText(errno);
    return false;
}

// The step's values as the results list shows them, in the record's column order.
constexpr int kValueColumns[] = {0, 1, 2, 3, 4, 6, 5};

void AppendHeaderLine(QByteArray& out, const char* key, const QString& value,
                      const QByteArray& more = QByteArray()) {
    AppendField(out, QByteArrayView(key));
    out.append(',');
    AppendField(out, GuardText(value.toUtf8()));
    if (!more.isNull()) {
        out.append(',');
        AppendField(out, more);
    }
    out.append("\r\n");
}

} // namespace

CRunRecord::CRunRecord(const CExecList& steps)
    : m_steps(steps), m_ops{[](int fd, const void* data, size_t size, off_t at) {
                                return ::pwrite(fd, data, size, at);
                            },
                            Flush} {}

CRunRecord::~CRunRecord() {
    m_health = nullptr; // the window that listened may be going
    Commit();
    // the last flush, once more elsewhere when it finds the medium lost
    for (int moves = 0; m_syncer; ++moves) {
        m_syncer->Finish(true, CRunRecordSyncer::CLOSE_WAIT_MS);
        if (moves == 2 || !Poll() || !MoveAndWrite())
            break;
    }
    if (m_syncer)
        m_syncer->Finish(true, CRunRecordSyncer::CLOSE_WAIT_MS);
}

bool CRunRecord::Begin(const Header& header, const CTestProperty& property) {
    m_header = header;
    if (!m_header.tmStart.isValid())
        m_header.tmStart = QDateTime::currentDateTime();
    AppendHeader(m_header, property);
    return Commit();
}

void CRunRecord::AppendHeader(const Header& header, const CTestProperty& property) {
    QByteArray out;
    out.append(BOM);
    AppendField(out, QByteArrayView(SIGNATURE));
    out.append(',');
    out.append(QByteArray::number(VERSION));
    out.append("\r\n");
    AppendHeaderLine(out, KEY_PROGRAM, QStringLiteral("VZR-T8100"),
                     CTestProperty::GetVersionText().toUtf8());
    AppendHeaderLine(out, KEY_INSTRUMENT, header.strIdent);
    AppendHeaderLine(out, KEY_PORT, header.strPort);
    AppendHeaderLine(out, KEY_DATA_FILE, header.strDataFile);
    AppendHeaderLine(out, KEY_TITLE, header.strTitle);
    AppendHeaderLine(out, KEY_PLAN_HASH, QString::fromLatin1(PlanHash(m_steps, header.testPoints)));
    AppendHeaderLine(out, KEY_STEPS, QString::number(m_steps.size()));
    for (qsizetype i = 0; i < header.testPoints.size(); ++i) {
        AppendField(out, QByteArrayView(KEY_TEST_POINT));
        out.append(',');
        out.append(QByteArray::number(i + 1));
        out.append(',');
        AppendField(out, GuardText(header.testPoints.at(i).toUtf8()));
        out.append(',');
        out.append(StepRanges(m_steps, header.testPoints, int(i + 1)));
        out.append("\r\n");
    }
    AppendHeaderLine(out, KEY_START, QString::fromLatin1(TimeText(header.tmStart)),
                     OffsetText(header.tmStart));
    for (const PropertyKey& key : PROPERTY_KEYS)
        AppendHeaderLine(out, key.key, property.*key.field);
    // the report shows the test time as the settings format it; the seconds keep it exact
    QByteArray testTime;
    if (property.m_tmTest != 0)
        testTime = TimeText(QDateTime::fromSecsSinceEpoch(property.m_tmTest)).left(19);
    AppendHeaderLine(out, KEY_TEST_TIME, QString::fromLatin1(testTime),
                     QByteArray::number(qint64(property.m_tmTest)));
    for (int c = 0; c < COLUMN_COUNT; ++c) {
        if (c > 0)
            out.append(',');
        AppendField(out, QByteArrayView(ColumnHeading(c)));
    }
    out.append("\r\n");
    m_copy.Append(out);
}

void CRunRecord::AppendLine(Event event, int step, QByteArrayView detail, bool withResult,
                            QByteArrayView judge, qint32 code) {
    QByteArray out;
    out.append(TimeText(QDateTime::currentDateTime()));
    out.append(',');
    out.append(EventToken(event));
    out.append(',');
    const CExecData* record =
        step >= 0 && size_t(step) < m_steps.size() ? m_steps[size_t(step)].get() : nullptr;
    if (record) {
        out.append(QByteArray::number(step + 1));
        for (int column : kValueColumns) {
            out.append(',');
            AppendField(out, record->GetColumnText(column).toUtf8());
        }
    } else {
        out.append(",,,,,,,");
    }
    out.append(',');
    if (withResult && record) {
        AppendField(out, JudgeText(record->m_nJudge).isNull() ? JudgeText(JUDGE_NONE)
                                                              : JudgeText(record->m_nJudge));
        out.append(',');
        AppendField(out, GuardText(record->m_strComment.toUtf8()));
    } else {
        AppendField(out, judge);
        out.append(',');
    }
    out.append(',');
    AppendField(out, detail);
    out.append(',');
    if (event == EVENT_INSTRUMENT_ERROR)
        out.append(QByteArray::number(code));
    out.append("\r\n");
    m_copy.Append(out);
}

void CRunRecord::Write(Event event, int step, QByteArrayView detail, bool withResult,
                       QByteArrayView judge, qint32 code) {
    AppendLine(event, step, detail, withResult, judge, code);
    Commit();
}

void CRunRecord::StateAtOpening(CRunSequencer::JudgePath path, const QString& restoredFrom) {
    if (path == CRunSequencer::JUDGED_RESTORED)
        AppendLine(EVENT_RESTORE, -1, restoredFrom.toUtf8(), false, {}, 0);
    const QByteArrayView how(JudgePathText(path));
    for (size_t i = 0; i < m_steps.size(); ++i) {
        const CExecData& step = *m_steps[i];
        if (step.m_nJudge != JUDGE_NONE || !step.m_strComment.isEmpty())
            AppendLine(EVENT_JUDGE, int(i), how, true, {}, 0);
    }
    Commit(); // one flush for them all: they are one moment of the run
}

void CRunRecord::RunStarted(int step) {
    Write(EVENT_START, step);
}

void CRunRecord::StepLoaded(int step) {
    Write(EVENT_LOAD, step);
}

void CRunRecord::DischargeSeen(int step) {
    Write(EVENT_DISCHARGE, step);
}

void CRunRecord::StepCompleted(int step) {
    Write(EVENT_COMPLETE, step);
}

void CRunRecord::Judged(int step, CRunSequencer::JudgePath path) {
    Write(EVENT_JUDGE, step, QByteArrayView(JudgePathText(path)), true);
}

void CRunRecord::RunStopped(int step) {
    Write(EVENT_STOP, step);
}

void CRunRecord::TrigPressed(int step, bool on) {
    Write(EVENT_TRIG, step, QByteArrayView(on ? DETAIL_TRIG_ON : DETAIL_TRIG_OFF));
}

void CRunRecord::InstrumentError(int step, qint32 code, const QString& text) {
    Write(EVENT_INSTRUMENT_ERROR, step, text.toUtf8(), false, {}, code);
}

void CRunRecord::CommunicationError(int step) {
    Write(EVENT_COMM_ERROR, step, Tr("通信エラーが発生しました。").toUtf8());
}

void CRunRecord::TestEnded() {
    Write(EVENT_END, -1, Tr("試験が終了しました。").toUtf8());
}

void CRunRecord::JudgedAll(qint32 judge) {
    Write(EVENT_JUDGE_ALL, -1, QByteArrayView(DETAIL_JUDGE_ALL), false, JudgeText(judge));
}

void CRunRecord::CommentsCleared() {
    Write(EVENT_COMMENTS_CLEARED, -1, QByteArrayView(DETAIL_COMMENTS_CLEARED));
}

void CRunRecord::ReportMade(const QString& path) {
    Write(EVENT_REPORT, -1, QDir::toNativeSeparators(path).toUtf8());
}

void CRunRecord::Closed() {
    Write(EVENT_CLOSE, -1);
}

bool CRunRecord::Commit() {
    if (Poll())
        return MoveAndWrite();
    if (m_fd >= 0 && m_nWritten == m_copy.Size())
        return true;
    switch (WriteQueued()) {
    case WRITTEN:
        return true;
    case FAILED:
        return false;
    case LOST:
        break;
    }
    return MoveAndWrite();
}

CRunRecord::Outcome CRunRecord::WriteQueued() {
    QString problem;
    if (m_fd < 0 && !OpenFile(&problem)) {
        Failed(problem);
        return FAILED;
    }
    const qint64 start = m_nWritten;
    qint64 at = start;
    int error = 0;
    m_copy.Visit(start, [&](QByteArrayView piece) {
        for (qsizetype done = 0; done < piece.size();) {
            const ssize_t n =
                m_ops.write(m_fd, piece.data() + done, size_t(piece.size() - done), off_t(at));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : ENOSPC;
                return false;
            }
            done += n;
            at += n;
        }
        return true;
    });
    if (error != 0 && IsNoRoom(error)) {
        // what did reach the file goes again, so a torn line never stands before a whole one
        const int truncated = ::ftruncate(m_fd, start);
        Q_UNUSED(truncated); // a failure here shows in the next write
        Failed(ErrnoText(error));
        return FAILED;
    }
    if (error != 0) {
        // left as it is: a torn last line is no more than a killed program leaves
        m_strLostReason = ErrnoText(error);
        return LOST;
    }
    m_nWritten = at;
    m_copy.Pack();
    m_syncer->Request(m_nWritten, m_bFailing); // a recovery is told once it is flushed
    return WRITTEN;
}

bool CRunRecord::Poll() {
    if (!m_syncer)
        return false;
    const CRunRecordSyncer::Status status = m_syncer->Take();
    if (status.error != 0 && !IsNoRoom(status.error)) {
        m_strLostReason =
            status.error == ENOENT ? Tr("ファイルがなくなりました") : ErrnoText(status.error);
        return true;
    }
    if (status.error != 0) {
        // the medium may not hold what the flush failed on: it is written again with the
        // next line
        m_syncer->Restart(status.synced);
        m_nWritten = qMin(m_nWritten, status.synced);
        Failed(ErrnoText(status.error));
    } else if (m_bFailing && m_nWritten == m_copy.Size() && status.synced >= m_nWritten) {
        Tell(true, QDir::toNativeSeparators(m_strPath));
    }
    return false;
}

void CRunRecord::OnWake() {
    if (Poll())
        MoveAndWrite();
}

bool CRunRecord::MoveAndWrite() {
    // the lost file is left as it is: its medium may come back with what it holds
    const QString lost = QDir::toNativeSeparators(m_strPath);
    if (m_syncer)
        m_syncer->Finish(false, 0); // its thread closes the file, however long that takes
    m_syncer.reset();
    m_fd = -1;
    m_nWritten = 0;
    m_bLost = true;
    m_strMovedFrom = m_strPath;
    const QString reason = lost + QStringLiteral(": ") + m_strLostReason;
    QString problem;
    if (!OpenFile(&problem)) {
        Failed(reason + QStringLiteral("; ") + problem);
        return false;
    }
    switch (WriteQueued()) {
    case WRITTEN:
        Tell(true, QDir::toNativeSeparators(m_strPath));
        return true;
    case FAILED:
        return false;
    case LOST:
        break;
    }
    // a new file that takes no byte is not left behind, nor tried again before the next line
    const QString fresh = m_strPath;
    m_syncer->Finish(false, 0);
    m_syncer.reset();
    m_fd = -1;
    ::unlink(QFile::encodeName(fresh).constData());
    Failed(reason + QStringLiteral("; ") + QDir::toNativeSeparators(fresh) + QStringLiteral(": ") +
           m_strLostReason);
    return false;
}

bool CRunRecord::OpenFile(QString* problem) {
    QString why;
    if (!m_header.strDataFile.isEmpty() && !m_bLost) {
        m_strBesideProblem.clear();
        const QString beside = CRunRecordStore::FolderBeside(m_header.strDataFile);
        if (CreateIn(beside, false, &why))
            return true;
        m_strBesideProblem = QDir::toNativeSeparators(beside) + QStringLiteral(": ") + why;
    }
    const QString reports = CRunRecordStore::FolderInReports(
        m_header.strDataFile.isEmpty() ? m_header.strTitle : m_header.strDataFile);
    if (reports.isEmpty()) {
        *problem = Tr("文書フォルダが決まっていません。");
        return false;
    }
    if (CreateIn(reports, true, &why))
        return true;
    *problem = QDir::toNativeSeparators(reports) + QStringLiteral(": ") + why;
    return false;
}

bool CRunRecord::CreateIn(const QString& folder, bool makeParents, QString* problem) {
    // Beside a data file only the last level is made: a folder that is gone (a stick
    // pulled out) must not come back as an empty one on another disk.
    std::vector<int> changed;
    const auto closeChanged = [&] {
        for (const int fd : changed)
            ::close(fd);
    };
    if (!MakeFolder(folder, makeParents, changed, problem)) {
        closeChanged();
        return false;
    }
    const QString stem =
        folder + QLatin1Char('/') + m_header.tmStart.toLocalTime().toString("yyyyMMdd-HHmmss");
    for (int n = 1; n <= 1000; ++n) {
        const QString path =
            stem + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + QLatin1String(FILE_SUFFIX);
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue; // never another run's record
        if (fd < 0) {
            *problem = ErrnoText(errno);
            closeChanged();
            return false;
        }
        // the new name itself survives a power cut
        const int dir = OpenFolder(folder);
        if (dir >= 0)
            changed.push_back(dir);
        m_fd = fd;
        m_nWritten = 0;
        m_strPath = path;
        m_syncer =
            std::make_unique<CRunRecordSyncer>(fd, path, std::move(changed), m_ops.flush, [this] {
                QMetaObject::invokeMethod(
                    &m_context, [this] { OnWake(); }, Qt::QueuedConnection);
            });
        return true;
    }
    *problem = ErrnoText(EEXIST);
    closeChanged();
    return false;
}

void CRunRecord::Failed(const QString& reason) {
    if (m_bFailing)
        return;
    const QString where = m_strPath.isEmpty() || m_fd < 0
                              ? QString()
                              : QDir::toNativeSeparators(m_strPath) + QStringLiteral(": ");
    Tell(false, where + reason);
}

void CRunRecord::Tell(bool ok, const QString& text) {
    m_bFailing = !ok;
    if (m_health)
        m_health(ok, text);
}
