#include "CRunSequencer.h"

#include "data/TestPoints.h"
#include "link/CVzrT8100Cntl.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CRunSequencer", text);
}

bool IsContact(const CExecData& step) {
    return step.m_nDiscMode == DISC_CONTACT;
}

// The run timer that watches a step of this mode.
int RunTimerOf(const CExecData* step) {
    return step && !IsContact(*step) ? CRunSequencer::TIMER_RUN_AIR
                                     : CRunSequencer::TIMER_RUN_CONTACT;
}

} // namespace

CRunSequencer::CRunSequencer(CVzrT8100Cntl& cntl, const CExecList* pExecList,
                             const CTestProperty& property, Owner& owner, Judgements& judgements)
    : m_cntl(cntl), m_property(property), m_owner(owner), m_judgements(judgements),
      m_pExecList(pExecList) {}

int CRunSequencer::StepCount() const {
    return m_pExecList ? int(m_pExecList->size()) : 0;
}

int CRunSequencer::TestPointOf(int row) const {
    const CExecData* step = RecordAt(row);
    return step ? TestPoints::PointOf(*step, m_testPoints) : 0;
}

bool CRunSequencer::ConfirmPointOf(int row) {
    const int point = TestPointOf(row);
    if (point == 0 || point == m_nConfirmedPoint)
        return true;
    if (!m_owner.ConfirmTestPoint(point, TestPoints::NameOf(m_testPoints, point)))
        return false;
    m_nConfirmedPoint = point;
    return true;
}

const CExecData* CRunSequencer::RecordAt(int row) const {
    if (row < 0 || row >= StepCount())
        return nullptr;
    return (*m_pExecList)[size_t(row)].get();
}

QString CRunSequencer::SecondsText(double seconds) {
    return QString::asprintf("%.2f", seconds);
}

QString CRunSequencer::CountText(qint32 count) {
    return QString::asprintf("%d", count);
}

QString CRunSequencer::NoIntervalText() {
    return Tr("------");
}

void CRunSequencer::Open() {
    m_nStep = 0;
    m_pCurExec = RecordAt(0);
}

bool CRunSequencer::StartPolling() {
    // Without the instrument nothing is polled: only judging, the report and closing work.
    if (!m_cntl.IsConnected())
        return false;
    Arm(TIMER_IDLE);
    return true;
}

void CRunSequencer::Close() {
    if (m_nArmedTimer != TIMER_NONE)
        Kill(m_nArmedTimer);
    m_bRunActive = false;
}

void CRunSequencer::Arm(int id) {
    if (id == TIMER_IDLE)
        m_bRunActive = false;
    // exactly one timer: arming one disarms any other
    if (m_nArmedTimer != TIMER_NONE && m_nArmedTimer != id)
        m_owner.KillTimer(m_nArmedTimer);
    m_nArmedTimer = id;
    m_owner.ArmTimer(id);
}

void CRunSequencer::Kill(int id) {
    if (m_nArmedTimer != id)
        return;
    m_owner.KillTimer(id);
    m_nArmedTimer = TIMER_NONE;
}

void CRunSequencer::ForgetCount() {
    m_lLastRemaining = -1;
    m_bClearPending = false;
}

void CRunSequencer::ClearJudgement() {
    if (m_pCurExec->m_nJudge != JUDGE_NONE)
        m_judgements.Judge(m_nStep, JUDGE_NONE, m_pCurExec->m_strComment, JUDGED_DISCHARGE);
    m_owner.UpdateStepRow(m_nStep);
}

void CRunSequencer::OnTimer(int id) {
    // A tick of a timer that is no longer armed (killed while its event was on its way)
    // is dropped: ticks never overlap and never double.
    if (id != m_nArmedTimer)
        return;
    Kill(id);
    switch (id) {
    case TIMER_IDLE:
        OnIdleTick();
        break;
    case TIMER_RUN_CONTACT:
    case TIMER_RUN_AIR:
        OnRunTick(id);
        break;
    default:
        break;
    }
}

// No step runs: whatever the instrument still runs or triggers is switched off.
void CRunSequencer::OnIdleTick() {
    quint8 status = 0;
    m_cntl.GetStatus(status); // a failed query reads as 0
    m_owner.ApplyRunState(status & CVzrT8100Cntl::STATUS_RUNNING);
    if (status & CVzrT8100Cntl::STATUS_RUNNING)
        m_cntl.StopTest();
    if (status & CVzrT8100Cntl::STATUS_TRIGGER_ON) {
        m_owner.ShowTrigLabel(TrigLabel::Hidden);
        m_cntl.TriggerOff();
    }
    Arm(TIMER_IDLE);
}

void CRunSequencer::OnRunTick(int id) {
    const bool bContactTimer = id == TIMER_RUN_CONTACT;
    quint8 status = 0;
    if (!m_cntl.GetStatus(status)) {
        ForgetCount();
        if (m_pObserver)
            m_pObserver->CommunicationError(m_nStep);
        m_owner.ShowMessage(Tr("通信エラーが発生しました。"));
        Arm(TIMER_IDLE);
        return;
    }
    const bool bRunning = status & CVzrT8100Cntl::STATUS_RUNNING;
    m_owner.ApplyRunState(bRunning);
    const int remaining = PollProgress();

    if (!bRunning) {
        // the run has ended at the instrument
        ForgetCount();
        if (bContactTimer) {
            m_bTrigOn = false;
            const QString error = QueryError();
            if (!error.isEmpty()) {
                m_owner.ShowMessage(error);
                m_cntl.SendPC0();
            }
        } else {
            m_owner.ShowTrigLabel(TrigLabel::Off);
        }
        m_cntl.TriggerOff();
        Arm(TIMER_IDLE);
        return;
    }

    const quint8 active = bContactTimer ? CVzrT8100Cntl::STATUS_CONTACT_DISCHARGE
                                        : CVzrT8100Cntl::STATUS_AIR_DISCHARGE;
    const bool bActive = status & active;
    // A series shorter than a poll can come and go between two ticks on an instrument that
    // does not hold its discharge bit: the count it took away is seen instead. Only whole
    // counts are compared (PollProgress gives -1 for a count read in part, which would
    // read as a fall to 0 while the step waits for its first discharge).
    const bool bWhole = remaining >= 0;
    const bool bFell = bWhole && m_lLastRemaining >= 0 && remaining < m_lLastRemaining;
    if (bWhole)
        m_lLastRemaining = remaining;

    if ((bActive || bFell) && !m_bTrigOn && m_pCurExec) {
        m_bTrigOn = true;
        m_owner.ShowTrigLabel(TrigLabel::On);
        if (m_pObserver)
            m_pObserver->DischargeSeen(m_nStep);
        m_bClearPending = true;
    }
    // discharging has begun: the step's earlier judgement no longer holds (for AIR only
    // before its first discharge, since the trigger may be toggled mid-step; whether one
    // was counted only a whole count tells)
    if (m_bClearPending && m_pCurExec && (bContactTimer || bWhole)) {
        m_bClearPending = false;
        if (bContactTimer || remaining == m_pCurExec->m_lCount)
            ClearJudgement();
    }
    if (!bActive) {
        if (m_bTrigOn && remaining == 0 && !CompleteStep())
            return; // stopped before the next point
        m_owner.ShowTrigLabel(TrigLabel::Off);
    }
    Arm(RunTimerOf(m_pCurExec));
}

bool CRunSequencer::CompleteStep() {
    m_bTrigOn = false;
    m_pCurExec = RecordAt(m_nStep);
    if (!m_pCurExec)
        return true;
    if (m_pObserver)
        m_pObserver->StepCompleted(m_nStep);

    if (m_property.m_bJudgeAuto) {
        // a judgement entered while the step discharged stays
        if (m_pCurExec->m_nJudge == JUDGE_NONE) {
            m_judgements.Judge(m_nStep, JUDGE_A, m_pCurExec->m_strComment, JUDGED_AUTO);
            m_owner.UpdateStepRow(m_nStep);
        }
    } else {
        m_cntl.StopTest();
        qint32 judge = m_pCurExec->m_nJudge == JUDGE_NONE ? JUDGE_A : m_pCurExec->m_nJudge;
        QString comment = m_pCurExec->m_strComment;
        if (m_owner.AskJudgement(judge, comment)) {
            m_judgements.Judge(m_nStep, judge, comment, JUDGED_DIALOG);
            m_owner.ShowJudgeControls();
            m_owner.UpdateStepRow(m_nStep);
        }
    }

    // on to the next step; the instrument is not asked for errors here
    ForgetCount();
    if (m_nStep < StepCount() - 1) {
        ++m_nStep;
        m_pCurExec = RecordAt(m_nStep);
        m_cntl.StopTest();
        if (TestPointOf(m_nStep) != 0 && TestPointOf(m_nStep) != m_nConfirmedPoint) {
            // the operator sees the step the gun goes to while the instrument waits
            ShowCurrentStep();
            if (!ConfirmPointOf(m_nStep)) {
                StopRun();
                return false;
            }
        }
        LoadStep();
    } else {
        m_cntl.StopTest();
        if (m_pObserver)
            m_pObserver->TestEnded();
        m_owner.ShowMessage(Tr("試験が終了しました。"));
        m_nStep = 0;
        m_pCurExec = RecordAt(0);
    }
    ShowCurrentStep();
    return true;
}

void CRunSequencer::LoadStep() {
    m_cntl.SendStep(*m_pCurExec); // the result is not examined: "QC" after START is the check
    if (m_pObserver)
        m_pObserver->StepLoaded(m_nStep);
    m_cntl.TriggerOff();
    m_cntl.StartTest();
}

QString CRunSequencer::QueryError() {
    QString error;
    qint32 code = 0;
    m_cntl.GetErrorText(error, &code);
    if (!error.isEmpty() && m_pObserver)
        m_pObserver->InstrumentError(m_nStep, code, error);
    return error;
}

void CRunSequencer::OnStart(int selectedRow) {
    if (StepCount() == 0 || !m_cntl.IsConnected())
        return;
    m_nStep = selectedRow >= 0 && selectedRow < StepCount() ? selectedRow : 0;
    // asked while idle polling goes on: a cancelled START has started nothing
    if (!ConfirmPointOf(m_nStep)) {
        m_pCurExec = RecordAt(m_nStep);
        ShowCurrentStep();
        return;
    }
    Kill(TIMER_IDLE);
    // the run is on before its exchanges, which hold the operator's input back: a click
    // on the list or on START made meanwhile comes after them and finds the run on
    m_bRunActive = true;
    m_owner.ApplyRunState(true);
    m_pCurExec = RecordAt(m_nStep);
    // nothing of this step has been seen yet, whatever an earlier, stopped one showed
    m_bTrigOn = false;
    ForgetCount();
    if (m_pObserver)
        m_pObserver->RunStarted(m_nStep);
    LoadStep();
    const QString error = QueryError();
    if (error.isEmpty()) {
        Arm(RunTimerOf(m_pCurExec));
    } else {
        m_owner.ApplyRunState(false);
        m_owner.ShowMessage(error);
        m_cntl.SendPC0();
        Arm(TIMER_IDLE);
    }
}

void CRunSequencer::OnStop() {
    if (!m_cntl.IsConnected())
        return;
    StopRun();
}

void CRunSequencer::StopRun() {
    Kill(TIMER_RUN_CONTACT);
    Kill(TIMER_RUN_AIR);
    m_cntl.StopTest();
    quint8 status = 0;
    m_cntl.GetStatus(status); // asked, not looked at
    m_cntl.TriggerOff();
    m_owner.ShowTrigLabel(TrigLabel::Hidden);
    ForgetCount();
    if (m_pObserver)
        m_pObserver->RunStopped(m_nStep);
    Arm(TIMER_IDLE);
}

void CRunSequencer::OnTrig() {
    if (!m_pCurExec || !m_cntl.IsConnected())
        return;
    quint8 status = 0;
    bool bPressed = false;
    m_cntl.GetStatus(status);
    if (IsContact(*m_pCurExec)) {
        // a press and release: the series runs to its end
        m_cntl.TriggerOn();
        m_cntl.TriggerOff();
        bPressed = true;
    } else if (status & CVzrT8100Cntl::STATUS_TRIGGER_ON) {
        m_cntl.TriggerOff();
        m_owner.ShowTrigLabel(TrigLabel::Off);
    } else {
        m_cntl.TriggerOn();
        bPressed = true;
    }
    QString error;
    qint32 code = 0;
    if (bPressed) {
        m_cntl.GetErrorText(error, &code);
        m_owner.ShowTrigLabel(error.isEmpty() ? TrigLabel::On : TrigLabel::Off);
    }
    if (m_pObserver) {
        m_pObserver->TrigPressed(m_nStep, bPressed && error.isEmpty());
        if (!error.isEmpty())
            m_pObserver->InstrumentError(m_nStep, code, error);
    }
    m_owner.ShowStepRow(m_nStep);
}

bool CRunSequencer::CanClose() {
    quint8 status = 0;
    if (m_cntl.GetStatus(status) && (status & CVzrT8100Cntl::STATUS_RUNNING)) {
        m_owner.FocusStop();
        return false;
    }
    return true;
}

void CRunSequencer::SetCurrentStep(int row) {
    if (const CExecData* record = RecordAt(row)) {
        m_nStep = row;
        m_pCurExec = record;
    }
}

void CRunSequencer::ShowStepProgress() {
    if (!m_pCurExec) {
        for (ProgressField field :
             {PROGRESS_INTERVAL_NOW, PROGRESS_INTERVAL_STEP, PROGRESS_DONE, PROGRESS_COUNT})
            m_owner.ShowProgress(field, QString());
        return;
    }
    if (IsContact(*m_pCurExec)) {
        m_owner.ShowProgress(PROGRESS_INTERVAL_NOW, SecondsText(0.0));
        m_owner.ShowProgress(PROGRESS_INTERVAL_STEP, SecondsText(m_pCurExec->m_lInterval / 1000.0));
    } else {
        m_owner.ShowProgress(PROGRESS_INTERVAL_NOW, NoIntervalText());
        m_owner.ShowProgress(PROGRESS_INTERVAL_STEP, NoIntervalText());
    }
    m_owner.ShowProgress(PROGRESS_DONE, CountText(0));
    m_owner.ShowProgress(PROGRESS_COUNT, CountText(m_pCurExec->m_lCount));
}

int CRunSequencer::PollProgress() {
    if (!m_pCurExec)
        return -1;
    if (IsContact(*m_pCurExec)) {
        qint32 interval = 0;
        if (m_cntl.GetInterval(interval))
            m_owner.ShowProgress(PROGRESS_INTERVAL_NOW, SecondsText(interval * 10.0 / 1000.0));
    } else {
        m_owner.ShowProgress(PROGRESS_INTERVAL_NOW, NoIntervalText());
    }
    qint32 remaining = 0;
    bool bWhole = false;
    if (!m_cntl.GetRemainingCount(remaining, &bWhole) || !bWhole)
        return -1;
    const qint64 done = qint64(m_pCurExec->m_lCount) - remaining;
    m_owner.ShowProgress(PROGRESS_DONE, QString::number(done));
    return remaining;
}

void CRunSequencer::ShowCurrentStep() {
    if (!m_pCurExec)
        return;
    m_owner.ShowStepRow(m_nStep);
    ShowStepProgress();
    m_owner.ShowJudgeControls();
}
