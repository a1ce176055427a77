#pragma once

#include "data/CExecData.h"
#include "execution/CRunSequencer.h"

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <csignal>
#include <memory>

class CRunSession;
class CVzrT8100Doc;
class QSocketNotifier;
class QTextStream;

// "vzr-t8100 --run FILE": the data file's run list run on the instrument without a window,
// by the execution dialog's sequencer in a run session of its own, so the instrument hears
// exactly what a run in the dialog sends and the run record is the dialog's: START at the
// first step, judge-auto on (for this run only: the settings file keeps the operator's
// choice), every step to the last, the end of the test and the return to idle, then the
// record closed. It is the sequencer's face on a console: the same single-shot timers on
// the event loop, armed and killed as the dialog arms them; each completed step a line on
// standard output, the judgements' counts the last line; messages and errors on standard
// error; a progress bar there when it is a terminal. SIGINT and SIGTERM stop the run as
// STOP does, and what was judged still goes into the record and the reports.
class CRunCommand final : private CRunSequencer::Owner, private CRunSequencer::Observer {
public:
    struct Options {
        QString strDataFile;
        QString strReportOut;  // --out: the workbook, a file or a folder
        QString strPdfOut;     // --pdf
        QString strResultsCsv; // --results-csv: a copy of the run record, made after the run
        bool bQuiet = false;   // only the judgements' counts on standard output
    };

    static constexpr int EXIT_DONE = 0;   // the last step completed
    static constexpr int EXIT_FAILED = 1; // no instrument, an error, a run cut short
    // A stop by a signal: 128 + the signal, as a shell reports a program it ended.
    static constexpr int ExitOfSignal(int signal) { return 128 + signal; }

    // Searches the port table (which must be complete), runs the plan and gives the exit
    // status. Needs the application object; runs its event loop.
    static int Run(const Options& options, QTextStream& out, QTextStream& err);

    // "Step No.   3  CONTACT  +  2.00 kV  count 10: A": a completed step (row 0-based).
    static QString StepLine(int row, const CExecData& step);
    // "A 10  B 0  C 0  D 0  判定なし 0": the judgements of the whole run list.
    static QString CountsLine(const CExecList& steps);
    // The progress bar's text: steps done, the current step's discharges, the time left at
    // the plan's intervals (done: discharges of the current step so far).
    static QString ProgressText(const CExecList& steps, int step, qint64 done);

    // Test points: before the first step of a point, the point on standard output; with a
    // terminal on standard input the operator moves the gun and presses Enter (end of input
    // or a stop signal: false, the run stops as STOP does), else the run goes on at once
    // and says so.
    bool ConfirmTestPoint(int point, const QString& name) override;

private:
    CRunCommand(const Options& options, QTextStream& out, QTextStream& err);
    ~CRunCommand();
    CRunCommand(const CRunCommand&) = delete;
    CRunCommand& operator=(const CRunCommand&) = delete;

    int Execute();
    // The run from START to its return to idle; its exit status.
    int RunPlan();
    // --out, --pdf; false when one was asked for and not written.
    bool WriteReports(CVzrT8100Doc& doc, CRunSession& session);
    bool CopyRecord(const QString& recordPath);

    // CRunSequencer::Owner.
    void ArmTimer(int id) override;
    void KillTimer(int id) override;
    void ApplyRunState(bool running) override;
    void ShowTrigLabel(CRunSequencer::TrigLabel label) override;
    void ShowProgress(CRunSequencer::ProgressField field, const QString& text) override;
    void ShowMessage(const QString& text) override;
    bool AskJudgement(qint32& judge, QString& comment) override;
    void UpdateStepRow(int row) override;
    void ShowStepRow(int row) override;
    void ShowJudgeControls() override;
    void FocusStop() override;

    // CRunSequencer::Observer, told through the session after the record.
    void RunStarted(int step) override;
    void StepLoaded(int step) override;
    void DischargeSeen(int step) override;
    void StepCompleted(int step) override;
    void RunStopped(int step) override;
    void TrigPressed(int step, bool on) override;
    void InstrumentError(int step, qint32 code, const QString& text) override;
    void CommunicationError(int step) override;
    void TestEnded() override;

    // The line of a completed step, once its judgement is stored.
    void PrintCompleted();
    // A REMOTE step is triggered by the computer alone: TRIG, as the operator presses it in
    // the dialog, once the step runs.
    void PressTrig();
    // The run is back at idle polling: the event loop ends.
    void Finish();
    // A stop signal came through the pipe.
    void OnSignal();
    // The first stop signal waiting in the pipe, 0 for none.
    int TakeSignal();

    void PrintOut(const QString& line);
    void PrintErr(const QString& line);
    void DrawProgress();
    void ClearProgress();

    const Options m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    bool m_bProgressBar = false;    // standard error is a terminal (and not --quiet)
    qsizetype m_nProgressWidth = 0; // columns of the bar on the screen, 0 when none

    QObject m_context; // the timers' and the notifiers' receiver
    std::array<QTimer, 3> m_timers;
    QEventLoop m_loop;
    QEventLoop* m_pWait = nullptr; // waiting for Enter at a test point

    int m_afdSignal[2] = {-1, -1}; // the signal handlers write into [1]
    struct sigaction m_saOldInt {};
    struct sigaction m_saOldTerm {};
    struct sigaction m_saOldPipe {};
    std::unique_ptr<QSocketNotifier> m_pSignalNotifier;
    int m_nSignal = 0; // the first stop signal

    CRunSession* m_pSession = nullptr;
    const CExecList* m_pSteps = nullptr;
    bool m_bStarted = false;      // START was sent
    bool m_bEnded = false;        // the last step completed
    bool m_bEndMessage = false;   // the next message is the end of the test
    bool m_bErrorShown = false;   // an error was told on standard error
    QString m_strInstrumentError; // the last the instrument reported
    bool m_bFinished = false;
    int m_nCompleted = -1;   // a completed step whose line is due
    int m_nTrigPending = -1; // a REMOTE step loaded, not yet triggered
    qint64 m_lDone = 0;      // discharges of the current step
};
