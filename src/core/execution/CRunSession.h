#pragma once

#include "data/CExecData.h"
#include "data/CSettingData.h"
#include "execution/CRunSequencer.h"
#include "report/CTestReport.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CRunRecord;
class CRunRecordReader;
class CTestProperty;
class CVzrT8100Cntl;

// One opening of the execution dialog, without its windows: the run (the sequencer), its
// run record, and every change of the run list's judgements and comments. Each judgement,
// from the run or from the operator, is stored in its step and written to the record here
// and nowhere else. The dialog is the sequencer's Owner: it shows what it is told and asks
// the operator; what the answers decide is done here.
class CRunSession final : private CRunSequencer::Judgements, private CRunSequencer::Observer {
public:
    // What the question about an interrupted run tells the operator.
    struct InterruptedRun {
        QDateTime tmStart;
        qint64 lJudged = 0;
        bool bDamaged = false; // its record was not read to its end
    };

    // A session on the run list (none: nothing to run, judge or record), whose out-of-range
    // polarities and judgements are corrected at once, as the lists show them. The settings
    // are the run's: the judge-auto flag and, after a restore, the test time change there.
    CRunSession(CVzrT8100Cntl& cntl, CTestProperty& property, CExecList* pSteps,
                CRunSequencer::Owner& owner);
    ~CRunSession();
    CRunSession(const CRunSession&) = delete;
    CRunSession& operator=(const CRunSession&) = delete;

    CRunSequencer& Sequencer() { return m_seq; }
    const CRunSequencer& Sequencer() const { return m_seq; }
    const CExecList* Steps() const { return m_pSteps; }
    const CTestProperty& Property() const { return m_property; }

    // The document's title, which names the record and the report's workbook.
    void SetDocumentTitle(const QString& title) { m_strTitle = title; }
    QString DocumentTitle() const { return m_strTitle; }
    // The data file the run list comes from; empty for a document never saved.
    void SetDataFilePath(const QString& path) { m_strDataFile = path; }
    // The plan's test points, which the run list's steps are numbered by: the run asks for
    // the gun at each, and the record names them. Set before the record begins.
    void SetTestPoints(const QStringList& names);
    const QStringList& TestPoints() const { return m_seq.TestPoints(); }

    // Before the record begins: the latest run of this data file and run list, when it
    // never ended normally, its results went into no report and the run list does not hold
    // them already; found tells what the operator is asked about it.
    bool FindInterruptedRun(InterruptedRun* found);
    // Puts the results of the run found back, and makes its test time the run's; the
    // record begun next says where they came from.
    void RestoreInterruptedRun();

    // Begins the run record (CRunRecord::Begin) with the results the run list holds; from
    // then on it hears everything the run does. health: as CRunRecord::SetHealthHandler.
    void BeginRecord(std::function<void(bool ok, const QString& text)> health);
    // None before BeginRecord.
    const CRunRecord* Record() const { return m_pRecord.get(); }
    // Who else hears what the run does, after the record (none by default): a face that
    // follows the run by its events rather than by what it shows.
    void SetRunObserver(CRunSequencer::Observer* observer);

    // Stores a step's judgement and comment (a judgement of 5 or more as JUDGE_NONE) and
    // records it. A judgement at a step's completion or from the judgement dialog is a
    // result for the report; one by 確定 or cleared by discharging is not.
    void Judge(int step, qint32 judge, const QString& comment,
               CRunSequencer::JudgePath path) override;
    // 判定全変更 and コメント全削除; neither is a result for the report.
    void JudgeAll(qint32 judge);
    void ClearComments();
    // Results exist that no report has carried yet: closing asks for a report.
    bool ResultExist() const { return m_bResultExist; }

    enum ReportKind {
        REPORT_WORKBOOK, // CTestReport
        REPORT_PDF,      // CPdfReport
    };
    // Writes a report of the plan and the run list as it stands, with the run's settings and
    // test points, titled after the document (into outputPath, or else the reports folder),
    // and records it: a report made carries the results (ReportMade), one that failed
    // leaves them owed (ReportNotMade).
    CTestReport::Outcome CreateReport(ReportKind kind, const CSettingList& plan,
                                      const QString& outputPath = QString());
    // A report was written: the results are carried, and the record says where to.
    void ReportMade(const QString& path);
    // None was written: closing still offers one, since the judgements live nowhere else.
    void ReportNotMade() { m_bResultExist = true; }

    // Judge-auto: kept in the settings in memory now, written to the settings file on
    // closing.
    bool JudgeAuto() const;
    void SetJudgeAuto(bool on);
    // Judge-auto for this session alone: closing leaves the settings file's choice as it
    // is (a run from the command line is no change of the operator's setting).
    void SetJudgeAutoForSession(bool on);

    // The dialog closes: the judge-auto flag goes to the settings file, the run's timers
    // stop and the record ends with CLOSE.
    void Close();

private:
    CExecData* StepAt(int step) const;
    // The sequencer tells the record and the run observer through the session.
    void HookObservers();

    // CRunSequencer::Observer: the record first, then the run observer.
    void RunStarted(int step) override;
    void StepLoaded(int step) override;
    void DischargeSeen(int step) override;
    void StepCompleted(int step) override;
    void RunStopped(int step) override;
    void TrigPressed(int step, bool on) override;
    void InstrumentError(int step, qint32 code, const QString& text) override;
    void CommunicationError(int step) override;
    void TestEnded() override;

    CVzrT8100Cntl& m_cntl; // the sequencer's; the record names its instrument
    CTestProperty& m_property;
    CExecList* m_pSteps;
    QString m_strTitle;
    QString m_strDataFile;
    bool m_bResultExist = false;
    bool m_bJudgeAutoRemembered = true; // closing writes the flag to the settings file
    CRunSequencer::Observer* m_pRunObserver = nullptr;
    std::unique_ptr<CRunRecordReader> m_pInterrupted; // found, not yet restored
    QString m_strRestoredFrom;
    std::unique_ptr<CRunRecord> m_pRecord;
    CRunSequencer m_seq; // goes before the record it tells
};
