#include "CRunRecord.h"

#include "CRunRecordStore.h"
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

CRunRecord::CRunRecord(const CExecList& steps) : m_steps(steps) {}

CRunRecord::~CRunRecord() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CRunRecord::Begin(const Header& header, const CTestProperty& property) {
    m_header = header;
    if (!m_header.tmStart.isValid())
        m_header.tmStart = QDateTime::currentDateTime();
    AppendHeader(m_header, property);
    return Commit();
}

void CRunRecord::AppendHeader(const Header& header, const CTestProperty& property) {
    QByteArray& out = m_pending;
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
    AppendHeaderLine(out, KEY_PLAN_HASH, QString::fromLatin1(PlanHash(m_steps)));
    AppendHeaderLine(out, KEY_STEPS, QString::number(m_steps.size()));
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
}

void CRunRecord::AppendLine(Event event, int step, QByteArrayView detail, bool withResult,
                            QByteArrayView judge, qint32 code) {
    QByteArray& out = m_pending;
    out.append(TimeText(QDateTime::currentDateTime()));
    out.append(',');
    out.append(EventToken(event));
    out.append(',');
    const CExecData* record =
        step >= 0 && size_t(step) < m_steps.size() ? m_steps[size_t(step)].get() : nullptr;
    if (record) {
        out.append(QByteArray::number(step + 1));
        CExecData copy = *record; // the texts correct out-of-range values in the record
        for (int column : kValueColumns) {
            out.append(',');
            AppendField(out, copy.GetColumnText(column).toUtf8());
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
    if (m_pending.isEmpty())
        return true;
    if (m_fd < 0 && !OpenFile())
        return false;
    const char* data = m_pending.constData();
    const qsizetype size = m_pending.size();
    qsizetype done = 0;
    int error = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(m_fd, data + done, size_t(size - done), m_nWritten + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    if (error == 0 && ::fdatasync(m_fd) != 0)
        error = errno;
    if (error != 0) {
        // what did reach the file goes again, so a torn line never stands before a whole one
        const int truncated = ::ftruncate(m_fd, m_nWritten);
        Q_UNUSED(truncated); // a failure here shows in the next write
        Failed(ErrnoText(error));
        return false;
    }
    m_nWritten += size;
    m_pending.clear();
    if (m_bFailing) {
        m_bFailing = false;
        if (m_health)
            m_health(true, QDir::toNativeSeparators(m_strPath));
    }
    return true;
}

bool CRunRecord::OpenFile() {
    QString problem;
    m_strBesideProblem.clear();
    if (!m_header.strDataFile.isEmpty()) {
        const QString beside = CRunRecordStore::FolderBeside(m_header.strDataFile);
        if (CreateIn(beside, false, &problem))
            return true;
        m_strBesideProblem = QDir::toNativeSeparators(beside) + QStringLiteral(": ") + problem;
    }
    const QString reports = CRunRecordStore::FolderInReports(
        m_header.strDataFile.isEmpty() ? m_header.strTitle : m_header.strDataFile);
    if (reports.isEmpty()) {
        Failed(Tr("文書フォルダが決まっていません。"));
        return false;
    }
    if (CreateIn(reports, true, &problem))
        return true;
    Failed(QDir::toNativeSeparators(reports) + QStringLiteral(": ") + problem);
    return false;
}

bool CRunRecord::CreateIn(const QString& folder, bool makeParents, QString* problem) {
    // Beside a data file only the last level is made: a folder that is gone (a stick
    // pulled out) must not come back as an empty one on another disk.
    if (makeParents && !QDir().mkpath(QFileInfo(folder).path())) {
        *problem = Tr("フォルダを作成できません");
        return false;
    }
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 && errno != EEXIST) {
        *problem = ErrnoText(errno);
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
            return false;
        }
        // the new name itself survives a power cut
        const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        m_fd = fd;
        m_nWritten = 0;
        m_strPath = path;
        return true;
    }
    *problem = ErrnoText(EEXIST);
    return false;
}

void CRunRecord::Failed(const QString& reason) {
    if (m_bFailing)
        return;
    m_bFailing = true;
    if (m_health) {
        const QString where = m_strPath.isEmpty()
                                  ? QString()
                                  : QDir::toNativeSeparators(m_strPath) + QStringLiteral(": ");
        m_health(false, where + reason);
    }
}
