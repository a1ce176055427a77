#pragma once

#include "data/CExecData.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

class CTestProperty;
class CVzrT8100Cntl;

// Walks a run list on the instrument one step at a time: loads and starts a step, watches
// the instrument on a 250 ms timer, notices when the step's discharges are complete, has it
// judged, and moves on until the list is done. With test points, the operator is asked to
// move the gun before the first step of a point is loaded. It decides everything and talks to the
// instrument; what the operator sees and answers goes through its Owner (the execution
// dialog), which also arms and kills the real timers as told. It only reads the run list:
// the judgements it decides are stored by its Judgements (the run session).
class CRunSequencer {
public:
    // Timer ids; at most one is armed at any time.
    static constexpr int TIMER_NONE = -1;
    static constexpr int TIMER_IDLE = 0;
    static constexpr int TIMER_RUN_CONTACT = 1;
    static constexpr int TIMER_RUN_AIR = 2;
    static constexpr int TIMER_PERIOD_MS = 250;

    // The four progress fields of the dialog.
    enum ProgressField {
        PROGRESS_INTERVAL_NOW,  // interval reported by the instrument
        PROGRESS_INTERVAL_STEP, // the step's interval
        PROGRESS_DONE,          // discharges done
        PROGRESS_COUNT,         // the step's count
    };

    // Which of "TRIG ON" / "TRIG OFF" shows.
    enum class TrigLabel { Hidden, On, Off };

    // The face of the sequencer. Every call is synchronous: a message or a judgement is
    // answered before the call returns (a modal dialog).
    class Owner {
    public:
        // Arms the timer for TIMER_PERIOD_MS (restarting it when it runs).
        virtual void ArmTimer(int id) = 0;
        virtual void KillTimer(int id) = 0;
        // Enables the controls for a running or a stopped instrument.
        virtual void ApplyRunState(bool running) = 0;
        virtual void ShowTrigLabel(TrigLabel label) = 0;
        virtual void ShowProgress(ProgressField field, const QString& text) = 0;
        // An OK message box.
        virtual void ShowMessage(const QString& text) = 0;
        // The judgement dialog, preset with judge and comment; true with the operator's
        // choice in them on OK, false on cancel.
        virtual bool AskJudgement(qint32& judge, QString& comment) = 0;
        // The record at row changed: rewrite its row.
        virtual void UpdateStepRow(int row) = 0;
        // Select and show the row of the current step and its number; the keyboard focus
        // stays where it is.
        virtual void ShowStepRow(int row) = 0;
        // Put the current step's judgement and comment into the judgement controls.
        virtual void ShowJudgeControls() = 0;
        // Closing was refused: the operator's attention goes to STOP.
        virtual void FocusStop() = 0;
        // Before a step of another test point than the one the gun was last confirmed at is
        // loaded (at START, and as the run advances into the next point): asks the operator
        // to move the gun to the point (1-based, with its name). True (OK) loads the step
        // and goes on; false (キャンセル) stops the run as STOP does, the current step left on
        // the step that was to be loaded, so that START goes on from there (and asks again).
        virtual bool ConfirmTestPoint(int point, const QString& name) = 0;

    protected:
        ~Owner() = default;
    };

    // How a step's judgement or comment came to be set.
    enum JudgePath {
        JUDGED_AUTO,      // judge-auto gave A as the step completed
        JUDGED_DIALOG,    // OK in the judgement dialog
        JUDGED_APPLY,     // 確定, or Enter in the judgement controls
        JUDGED_DISCHARGE, // cleared as the step began to discharge
        JUDGED_OPENING,   // already in the run list as the dialog opened
        JUDGED_RESTORED,  // put back from an earlier run
    };

    // Stores the judgement and comment of a step (a row of the run list) set on the way
    // given, before the call returns.
    class Judgements {
    public:
        virtual void Judge(int step, qint32 judge, const QString& comment, JudgePath path) = 0;

    protected:
        ~Judgements() = default;
    };

    // Told what a run does, each time after it happened and before the run goes on (the
    // run record keeps it). Every call is synchronous; steps are rows of the run list.
    // Judgements are told by whoever stores them.
    class Observer {
    public:
        virtual void RunStarted(int step) = 0;
        // The step's values were sent to the instrument.
        virtual void StepLoaded(int step) = 0;
        virtual void DischargeSeen(int step) = 0;
        virtual void StepCompleted(int step) = 0;
        virtual void RunStopped(int step) = 0;
        // TRIG was pressed; on: the trigger indicator shows "TRIG ON" afterwards.
        virtual void TrigPressed(int step, bool on) = 0;
        virtual void InstrumentError(int step, qint32 code, const QString& text) = 0;
        virtual void CommunicationError(int step) = 0;
        // The last step is done ("試験が終了しました。").
        virtual void TestEnded() = 0;

    protected:
        ~Observer() = default;
    };

    CRunSequencer(CVzrT8100Cntl& cntl, const CExecList* pExecList, const CTestProperty& property,
                  Owner& owner, Judgements& judgements);
    // Who is told what the run does; none by default.
    void SetObserver(Observer* observer) { m_pObserver = observer; }
    // The names of the test points the run list's steps are numbered by; none: the steps
    // carry no points, whatever numbers they hold.
    void SetTestPoints(const QStringList& names) { m_testPoints = names; }
    const QStringList& TestPoints() const { return m_testPoints; }
    CRunSequencer(const CRunSequencer&) = delete;
    CRunSequencer& operator=(const CRunSequencer&) = delete;

    // The dialog opens: the first step (if any) is current.
    void Open();
    // Idle polling begins when the instrument is connected (false: nothing is ever armed).
    bool StartPolling();
    // The dialog goes: whatever is armed is killed.
    void Close();

    // A timer fired.
    void OnTimer(int id);
    // START at the selected row (-1: none selected).
    void OnStart(int selectedRow);
    void OnStop();
    void OnTrig();
    // Whether the dialog may close: not while the instrument reports a running test.
    bool CanClose();

    // The operator chose another step while no run is active.
    void SetCurrentStep(int row);
    // Fills the progress fields for the current step; blank without one.
    void ShowStepProgress();
    // Reads the present interval and the remaining count of the current step and shows
    // them; the remaining count, or -1 when it could not be read whole (or there is no
    // step). A count of which "QJ" or "QF" went unanswered is no reading: it is not shown.
    int PollProgress();
    // Selects and shows the current step with its progress and judgement.
    void ShowCurrentStep();

    int StepCount() const;
    // The 1-based test point of the step at row, 0 for none.
    int TestPointOf(int row) const;
    // The point the operator last confirmed the gun at, 0 before any.
    int ConfirmedTestPoint() const { return m_nConfirmedPoint; }
    int CurrentStep() const { return m_nStep; }
    const CExecData* CurrentExec() const { return m_pCurExec; }
    bool TrigOn() const { return m_bTrigOn; }
    int ArmedTimer() const { return m_nArmedTimer; }
    // A run is active from START, before its first exchange, until it returns to idle
    // polling: meanwhile the current step is the run's alone.
    bool RunActive() const { return m_bRunActive; }
    const CExecList* ExecList() const { return m_pExecList; }

    // Texts of the progress fields.
    static QString SecondsText(double seconds);
    static QString CountText(qint32 count);
    // What an AIR step shows for intervals.
    static QString NoIntervalText();

private:
    void OnIdleTick();
    void OnRunTick(int id);
    // False when the run stopped at the next point instead of going on.
    bool CompleteStep();
    // STOP: the test and the trigger off, idle polling.
    void StopRun();
    // Before the step at row is loaded: true when the gun is at its point, or the operator
    // says it now is.
    bool ConfirmPointOf(int row);
    void Arm(int id);
    void Kill(int id);
    void LoadStep();
    // Forgets the counts read of the current step.
    void ForgetCount();
    // Discharging began: the step's judgement no longer holds.
    void ClearJudgement();
    const CExecData* RecordAt(int row) const;
    // Asks the instrument for an error; a non-zero one is told to the observer.
    QString QueryError();

    CVzrT8100Cntl& m_cntl;
    const CTestProperty& m_property;
    Owner& m_owner;
    Judgements& m_judgements;
    Observer* m_pObserver = nullptr;

    int m_nStep = 0;
    const CExecList* m_pExecList;
    QStringList m_testPoints;
    int m_nConfirmedPoint = 0;
    const CExecData* m_pCurExec = nullptr;
    bool m_bTrigOn = false;

    int m_nArmedTimer = TIMER_NONE;
    bool m_bRunActive = false;
    // The last whole remaining count of the current step, -1 when none: a fall between two
    // whole counts is discharging seen, even when the series came and went unseen.
    qint32 m_lLastRemaining = -1;
    // Discharging was seen, but whether the step's judgement goes waits for a whole count
    // (an AIR step's goes only when nothing is counted yet).
    bool m_bClearPending = false;
};
