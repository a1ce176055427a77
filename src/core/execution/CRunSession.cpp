#include "CRunSession.h"

#include "execution/CRunRecord.h"
#include "execution/CRunRecordReader.h"
#include "execution/CRunRecordStore.h"
#include "link/CVzrT8100Cntl.h"
#include "report/CPdfReport.h"
#include "settings/CTestProperty.h"

#include <QFileInfo>

CRunSession::CRunSession(CVzrT8100Cntl& cntl, CTestProperty& property, CExecList* pSteps,
                         CRunSequencer::Owner& owner)
    : m_cntl(cntl), m_property(property), m_pSteps(pSteps),
      m_seq(cntl, pSteps, property, owner, *this) {
    if (m_pSteps) {
        for (const std::unique_ptr<CExecData>& step : *m_pSteps)
            step->ClampForList();
    }
}

CRunSession::~CRunSession() {
    m_seq.SetObserver(nullptr);
}

CExecData* CRunSession::StepAt(int step) const {
    if (!m_pSteps || step < 0 || step >= int(m_pSteps->size()))
        return nullptr;
    return (*m_pSteps)[size_t(step)].get();
}

void CRunSession::SetTestPoints(const QStringList& names) {
    m_seq.SetTestPoints(names);
}

// ---- restoring an interrupted run ------------------------------------------------------

bool CRunSession::FindInterruptedRun(InterruptedRun* found) {
    m_pInterrupted.reset();
    if (m_pRecord || !m_pSteps)
        return false;
    const QString dataFile =
        m_strDataFile.isEmpty() ? QString() : QFileInfo(m_strDataFile).absoluteFilePath();
    auto previous = std::make_unique<CRunRecordReader>();
    // not when the run list holds its results already (the dialog opened again on the same
    // document)
    if (!CRunRecordStore::FindInterruptedRun(dataFile, *m_pSteps, TestPoints(), *previous) ||
        previous->SameResults(*m_pSteps))
        return false;
    if (found) {
        found->tmStart = previous->Start();
        found->lJudged = previous->JudgedCount();
        found->bDamaged = previous->Damaged();
    }
    m_pInterrupted = std::move(previous);
    return true;
}

void CRunSession::RestoreInterruptedRun() {
    if (!m_pInterrupted || !m_pSteps)
        return;
    const CRunRecordReader& previous = *m_pInterrupted;
    previous.ApplyTo(*m_pSteps);
    // the results are that run's, and so is the time of the test they report
    if (previous.Property().m_tmTest != 0)
        m_property.m_tmTest = previous.Property().m_tmTest;
    m_strRestoredFrom = previous.GetPath();
    if (previous.JudgedCount() > 0)
        m_bResultExist = true; // results no report may have carried yet
    m_pInterrupted.reset();
}

// ---- the run record --------------------------------------------------------------------

void CRunSession::BeginRecord(std::function<void(bool ok, const QString& text)> health) {
    m_pInterrupted.reset();
    if (m_pRecord || !m_pSteps)
        return;
    m_pRecord = std::make_unique<CRunRecord>(*m_pSteps);
    m_pRecord->SetHealthHandler(std::move(health));
    CRunRecord::Header header;
    header.strIdent = m_cntl.IdentReply();
    header.strPort = m_cntl.PortPath();
    header.strDataFile =
        m_strDataFile.isEmpty() ? QString() : QFileInfo(m_strDataFile).absoluteFilePath();
    header.strTitle = m_strTitle;
    header.tmStart = QDateTime::currentDateTime();
    header.testPoints = TestPoints();
    m_pRecord->Begin(header, m_property);
    m_pRecord->StateAtOpening(m_strRestoredFrom.isEmpty() ? CRunSequencer::JUDGED_OPENING
                                                          : CRunSequencer::JUDGED_RESTORED,
                              m_strRestoredFrom);
    HookObservers();
}

void CRunSession::SetRunObserver(CRunSequencer::Observer* observer) {
    m_pRunObserver = observer;
    HookObservers();
}

void CRunSession::HookObservers() {
    m_seq.SetObserver(m_pRecord || m_pRunObserver ? this : nullptr);
}

// ---- what the run does: the record, then the run observer ------------------------------

void CRunSession::RunStarted(int step) {
    if (m_pRecord)
        m_pRecord->RunStarted(step);
    if (m_pRunObserver)
        m_pRunObserver->RunStarted(step);
}

void CRunSession::StepLoaded(int step) {
    if (m_pRecord)
        m_pRecord->StepLoaded(step);
    if (m_pRunObserver)
        m_pRunObserver->StepLoaded(step);
}

void CRunSession::DischargeSeen(int step) {
    if (m_pRecord)
        m_pRecord->DischargeSeen(step);
    if (m_pRunObserver)
        m_pRunObserver->DischargeSeen(step);
}

void CRunSession::StepCompleted(int step) {
    if (m_pRecord)
        m_pRecord->StepCompleted(step);
    if (m_pRunObserver)
        m_pRunObserver->StepCompleted(step);
}

void CRunSession::RunStopped(int step) {
    if (m_pRecord)
        m_pRecord->RunStopped(step);
    if (m_pRunObserver)
        m_pRunObserver->RunStopped(step);
}

void CRunSession::TrigPressed(int step, bool on) {
    if (m_pRecord)
        m_pRecord->TrigPressed(step, on);
    if (m_pRunObserver)
        m_pRunObserver->TrigPressed(step, on);
}

void CRunSession::InstrumentError(int step, qint32 code, const QString& text) {
    if (m_pRecord)
        m_pRecord->InstrumentError(step, code, text);
    if (m_pRunObserver)
        m_pRunObserver->InstrumentError(step, code, text);
}

void CRunSession::CommunicationError(int step) {
    if (m_pRecord)
        m_pRecord->CommunicationError(step);
    if (m_pRunObserver)
        m_pRunObserver->CommunicationError(step);
}

void CRunSession::TestEnded() {
    if (m_pRecord)
        m_pRecord->TestEnded();
    if (m_pRunObserver)
        m_pRunObserver->TestEnded();
}

// ---- judgements and comments -----------------------------------------------------------

void CRunSession::Judge(int step, qint32 judge, const QString& comment,
                        CRunSequencer::JudgePath path) {
    CExecData* record = StepAt(step);
    if (!record)
        return;
    if (path == CRunSequencer::JUDGED_AUTO || path == CRunSequencer::JUDGED_DIALOG)
        m_bResultExist = true;
    record->SetResult(judge, comment);
    if (m_pRecord)
        m_pRecord->Judged(step, path);
}

void CRunSession::JudgeAll(qint32 judge) {
    if (!m_pSteps)
        return;
    for (const std::unique_ptr<CExecData>& step : *m_pSteps)
        step->SetResult(judge, step->m_strComment);
    if (m_pRecord)
        m_pRecord->JudgedAll(judge);
}

void CRunSession::ClearComments() {
    if (!m_pSteps)
        return;
    for (const std::unique_ptr<CExecData>& step : *m_pSteps)
        step->SetResult(step->m_nJudge, QString());
    if (m_pRecord)
        m_pRecord->CommentsCleared();
}

CTestReport::Outcome CRunSession::CreateReport(ReportKind kind, const CSettingList& plan,
                                               const QString& outputPath) {
    const CExecList noSteps;
    const CExecList& steps = m_pSteps ? *m_pSteps : noSteps;
    const CTestReport::Outcome outcome =
        kind == REPORT_PDF
            ? CPdfReport::Create(plan, steps, TestPoints(), m_property, m_strTitle, outputPath)
            : CTestReport::Create(plan, steps, TestPoints(), m_property, m_strTitle, outputPath);
    if (outcome.m_nResult == CTestReport::REPORT_MADE)
        ReportMade(outcome.m_strPath);
    else
        ReportNotMade();
    return outcome;
}

void CRunSession::ReportMade(const QString& path) {
    m_bResultExist = false;
    if (m_pRecord)
        m_pRecord->ReportMade(path);
}

bool CRunSession::JudgeAuto() const {
    return m_property.m_bJudgeAuto;
}

void CRunSession::SetJudgeAuto(bool on) {
    m_property.m_bJudgeAuto = on;
    m_bJudgeAutoRemembered = true;
}

void CRunSession::SetJudgeAutoForSession(bool on) {
    m_property.m_bJudgeAuto = on;
    m_bJudgeAutoRemembered = false;
}

// ---- closing ---------------------------------------------------------------------------

void CRunSession::Close() {
    if (m_bJudgeAutoRemembered)
        CTestProperty::WriteIniString(QString::fromLatin1(INI_SECTION_JUDGE),
                                      QString::fromLatin1(INI_KEY_JUDGE_AUTO),
                                      QString::asprintf("%d", m_property.m_bJudgeAuto ? 1 : 0));
    m_seq.Close();
    if (m_pRecord)
        m_pRecord->Closed();
}
