#pragma once

#include "data/CExecData.h"
#include "execution/CRunRecordCopy.h"
#include "execution/CRunSequencer.h"
#include "execution/RunRecordFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <sys/types.h>

class CRunRecordSyncer;
class CTestProperty;

// The run record: every event of one run in the execution dialog, and every judgement and
// comment set, one CSV line each (RunRecordFormat), each written to the file before the
// program goes on: killing the program loses at most the line being written. A thread of
// its own flushes the file to its medium (CRunRecordSyncer), so a slow medium never holds
// the run; a power cut loses at most what came since the last flush.
//
// A line that cannot be written is kept and written, in order, before the next one: a
// record has no gaps, only a delay. A full disk keeps the lines until there is room. A lost
// medium (a stick pulled out, a share gone, the folder removed) is left as it is: the record
// goes on, whole from its first line, in a new file in the reports folder. A failure never
// stops the run; it is told once through the health handler, and so is the recovery or the
// move.
class CRunRecord final : public CRunSequencer::Observer {
public:
    struct Header {
        QString strIdent;       // the instrument's identification reply, empty without one
        QString strPort;        // the port's device
        QString strDataFile;    // the data file, empty for an unsaved document
        QString strTitle;       // the document's title
        QDateTime tmStart;      // names the record
        QStringList testPoints; // the names of the points the steps are numbered by
    };

    // The calls that write and flush the record's file (write: pwrite's contract; flush:
    // 0 or an errno, of the file or of a folder leading to it): pwrite, fdatasync and
    // fsync, unless a test puts a failing medium in.
    struct FileOps {
        std::function<ssize_t(int fd, const void* data, size_t size, off_t at)> write;
        std::function<int(int fd, bool folder)> flush;
    };

    // A record of the run list's steps (read as events come, never changed).
    explicit CRunRecord(const CExecList& steps);
    // Writes what is queued and waits for the last flush, at most
    // CRunRecordSyncer::CLOSE_WAIT_MS (a flush stuck on a dead medium ends on its own).
    // Tells nobody.
    ~CRunRecord();
    CRunRecord(const CRunRecord&) = delete;
    CRunRecord& operator=(const CRunRecord&) = delete;

    // Creates the record beside the data file (NAME.runs/), else in the reports folder, and
    // writes the header with the settings of the run. False when no file could be written
    // (told to the health handler; every later line tries again).
    bool Begin(const Header& header, const CTestProperty& property);

    // The record's file; empty while there is none.
    QString Path() const { return m_strPath; }
    // The record went to the reports folder although the document has a data file: why
    // its folder took none.
    QString BesideProblem() const { return m_strBesideProblem; }
    bool IsFailing() const { return m_bFailing; }
    // The file the record left when its medium was lost; empty while it has not moved.
    QString MovedFrom() const { return m_strMovedFrom; }

    // Before Begin: the calls on the file.
    void SetFileOps(FileOps ops) { m_ops = std::move(ops); }

    // Called once when writing begins to fail (ok false, text: the path and the reason) and
    // once when it works again, the lines written and flushed, or when the record went on in
    // a new file after its medium was lost (ok true, text: the path; MovedFrom() says which).
    void SetHealthHandler(std::function<void(bool ok, const QString& text)> handler) {
        m_health = std::move(handler);
    }

    // The results the run list holds as the run begins, one JUDGE line per step with a
    // judgement or a comment: JUDGED_OPENING, or JUDGED_RESTORED after a RESTORE line that
    // names the record they came from.
    void StateAtOpening(CRunSequencer::JudgePath path, const QString& restoredFrom = QString());

    // CRunSequencer::Observer.
    void RunStarted(int step) override;
    void StepLoaded(int step) override;
    void DischargeSeen(int step) override;
    void StepCompleted(int step) override;
    void RunStopped(int step) override;
    void TrigPressed(int step, bool on) override;
    void InstrumentError(int step, qint32 code, const QString& text) override;
    void CommunicationError(int step) override;
    void TestEnded() override;

    // What the run session stores and does: the step's judgement or comment changed (the
    // run list holds the new values), the bulk changes, a report made, closing.
    void Judged(int step, CRunSequencer::JudgePath path);
    void JudgedAll(qint32 judge);
    void CommentsCleared();
    void ReportMade(const QString& path);
    void Closed();

private:
    enum Outcome { WRITTEN, FAILED, LOST };

    // One event line into the queue, then the queue to the disk.
    void Write(RunRecordFormat::Event event, int step, QByteArrayView detail = {},
               bool withResult = false, QByteArrayView judge = {}, qint32 code = 0);
    void AppendLine(RunRecordFormat::Event event, int step, QByteArrayView detail, bool withResult,
                    QByteArrayView judge, qint32 code);
    void AppendHeader(const Header& header, const CTestProperty& property);
    // Writes the queued lines and asks for their flush; false when they stay queued.
    bool Commit();
    Outcome WriteQueued();
    // What the flushes found; true when the file is lost.
    bool Poll();
    // The flush thread found something while no line came.
    void OnWake();
    // Leaves a lost file for a new one in the reports folder holding the whole record.
    bool MoveAndWrite();
    bool OpenFile(QString* problem);
    bool CreateIn(const QString& folder, bool makeParents, QString* problem);
    void Failed(const QString& reason);
    void Tell(bool ok, const QString& text);

    const CExecList& m_steps;
    Header m_header;
    CRunRecordCopy m_copy; // every byte of the record, in order, written or not
    FileOps m_ops;
    int m_fd = -1;         // the file, while m_syncer has it
    qint64 m_nWritten = 0; // the record's bytes in the file
    QObject m_context;     // the flush thread's wake-ups arrive here, on the record's thread
    std::unique_ptr<CRunRecordSyncer> m_syncer; // ends before m_context
    QString m_strPath;
    QString m_strBesideProblem;
    QString m_strMovedFrom;
    QString m_strLostReason; // why the file was left
    bool m_bLost = false;    // a file was lost: new ones only in the reports folder
    bool m_bFailing = false;
    std::function<void(bool, const QString&)> m_health;
};
