#pragma once

#include "data/CExecData.h"
#include "execution/CRunSequencer.h"
#include "execution/RunRecordFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

class CTestProperty;

// The run record: every event of one run in the execution dialog, and every judgement and
// comment set, one CSV line each (RunRecordFormat), each written and flushed to the disk
// before the program goes on. Killing the program loses at most the line being written.
//
// A line that cannot be written is kept and written, in order, before the next one: a
// record has no gaps, only a delay. A failure never stops the run; it is told once through
// the health handler, and so is the recovery.
class CRunRecord final : public CRunSequencer::Observer {
public:
    struct Header {
        QString strIdent;    // the instrument's identification reply, empty without one
        QString strPort;     // the port's device
        QString strDataFile; // the data file, empty for an unsaved document
        QString strTitle;    // the document's title
        QDateTime tmStart;   // names the record
    };

    // A record of the run list's steps (read as events come, never changed).
    explicit CRunRecord(const CExecList& steps);
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

    // Called once when writing begins to fail (ok false, text: the path and the reason) and
    // once when it works again (ok true, text: the path).
    void SetHealthHandler(std::function<void(bool ok, const QString& text)> handler) {
        m_health = std::move(handler);
    }

    // The results the run list holds as the run begins, one JUDGE line per step with a
    // judgement or a comment: JUDGED_OPENING, or JUDGED_RESTORED after a RESTORE line that
    // names the record they came from.
    void StateAtOpening(CRunSequencer::JudgePath path, const QString& restoredFrom = QString());

    // CRunSequencer::Observer, and the dialog's own judgement paths.
    void RunStarted(int step) override;
    void StepLoaded(int step) override;
    void DischargeSeen(int step) override;
    void StepCompleted(int step) override;
    void Judged(int step, CRunSequencer::JudgePath path) override;
    void RunStopped(int step) override;
    void TrigPressed(int step, bool on) override;
    void InstrumentError(int step, qint32 code, const QString& text) override;
    void CommunicationError(int step) override;
    void TestEnded() override;

    void JudgedAll(qint32 judge);
    void CommentsCleared();
    void ReportMade(const QString& path);
    void Closed();

private:
    // One event line into the queue, then the queue to the disk.
    void Write(RunRecordFormat::Event event, int step, QByteArrayView detail = {},
               bool withResult = false, QByteArrayView judge = {}, qint32 code = 0);
    void AppendLine(RunRecordFormat::Event event, int step, QByteArrayView detail, bool withResult,
                    QByteArrayView judge, qint32 code);
    void AppendHeader(const Header& header, const CTestProperty& property);
    // Writes the queued lines and flushes them; false when they stay queued.
    bool Commit();
    bool OpenFile();
    bool CreateIn(const QString& folder, bool makeParents, QString* problem);
    void Failed(const QString& reason);

    const CExecList& m_steps;
    Header m_header;
    QByteArray m_pending; // lines not yet on the disk, in order
    int m_fd = -1;
    qint64 m_nWritten = 0; // bytes of the file known to be on the disk
    QString m_strPath;
    QString m_strBesideProblem;
    bool m_bFailing = false;
    std::function<void(bool, const QString&)> m_health;
};
