#pragma once

#include "data/CExecData.h"
#include "data/CSettingData.h"
#include "execution/CRunSequencer.h"
#include "execution/CRunSession.h"

#include <QDateTime>
#include <QDialog>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>

class CRunRecord;
class CStepListModel;
class CTestProperty;
class CVzrT8100Cntl;
class QModelIndex;

namespace Ui {
class CExecDlg;
}

// "試験実行": runs a plan's run list on the instrument and takes the judgements and
// comments of its steps. Its run session (CRunSession) decides and stores; this dialog is
// the sequencer's face: it arms the timers, shows the messages and the judgement dialog,
// asks the operator's questions (the gun's move to each test point among them), and keeps
// the controls and the results list up to date. It works on the caller's lists and owns
// none of them.
class CExecDlg : public QDialog, private CRunSequencer::Owner {
    Q_OBJECT

public:
    // testPoints: the names of the plan's test points, which the run list's steps are
    // numbered by (none: the plan is tested as a whole, and the dialog shows no points).
    CExecDlg(CVzrT8100Cntl& cntl, CTestProperty& property, CSettingList* pSettingList,
             CExecList* pExecList, const QStringList& testPoints, QWidget* parent = nullptr);
    ~CExecDlg() override;

    // The Excel report of the plan and the judged steps; afterwards closing asks again
    // only once a new judgement is entered.
    void CreateReport();
    // The same as a printable PDF ("PDF作成..."); it carries the results as the workbook does.
    void CreatePdfReport();
    // The document's title, which names the report's workbook.
    void SetDocumentTitle(const QString& title) { m_session.SetDocumentTitle(title); }
    // The data file the run list comes from; empty (the default) for a document never
    // saved. The run record goes beside it, and its earlier runs can be restored.
    void SetDataFilePath(const QString& path) { m_session.SetDataFilePath(path); }
    // The names of the plan's test points, which the reports show.
    void SetTestPoints(const QStringList& points) { m_session.SetTestPoints(points); }

    // The run record of this opening of the dialog; none before the dialog was first shown.
    const CRunRecord* Record() const { return m_session.Record(); }
    // "前回の試験結果（YYYY/MM/DD HH:MM、判定 N 件）を復元しますか？", and on a second line
    // "（記録の末尾が読めませんでした）" when the record was not read to its end.
    static QString RestoreQuestion(const QDateTime& start, qint64 judged, bool damaged);
    // "テストポイント N「NAME」へ放電ガンを移動してください。"
    static QString MoveGunText(int point, const QString& name);

    bool ResultExist() const { return m_session.ResultExist(); }
    const CRunSession& Session() const { return m_session; }
    const CRunSequencer& Sequencer() const { return m_seq; }
    CStepListModel* ResultModel() const { return m_pModel; }

    // The results list.
    void InitResultColumns();
    void FillResultList();
    // The judgement controls and the current step.
    void ShowJudgeControls() override;
    void ApplyJudgeControls();

public slots:
    // Esc and the window's close box close as 閉じる does.
    void reject() override;
    // Enter never closes the dialog.
    void accept() override {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void OnStart();
    void OnStop();
    void OnTrig();
    void OnClose();
    void OnApply();
    void OnJudgeAll();
    void OnDeleteComments();
    void OnJudgeAutoClicked(bool checked);
    void OnRowSelected(int row);
    void OnRowDoubleClicked(const QModelIndex& index);

private:
    // CRunSequencer::Owner
    void ArmTimer(int id) override;
    void KillTimer(int id) override;
    void ApplyRunState(bool running) override;
    void ShowTrigLabel(CRunSequencer::TrigLabel label) override;
    void ShowProgress(CRunSequencer::ProgressField field, const QString& text) override;
    void ShowMessage(const QString& text) override;
    bool AskJudgement(qint32& judge, QString& comment) override;
    void UpdateStepRow(int row) override;
    void ShowStepRow(int row) override;
    void FocusStop() override;
    bool ConfirmTestPoint(int point, const QString& name) override;

    void OpenDialog();
    void StyleLabels();
    // From START until the run is back to idle polling.
    bool IsRunActive() const;
    // The results list or one of its parts (header, scroll bars).
    bool IsPartOfList(QObject* object) const;
    // The step's number and its test point in the progress and judgement fields.
    void ShowStepNumber(int row);
    int SelectedRow() const;
    void SelectRow(int row);
    // Has the session write a report of the plan and the run list, under the wait cursor,
    // and hands it to the desktop; false when none was written (the operator has been told
    // why).
    bool WriteReport(CRunSession::ReportKind kind);
    // As the dialog is first shown: offers an interrupted run's results, then begins the
    // record.
    void BeginRecord();
    void OnRecordHealth(bool ok, const QString& text);

    CSettingList* m_pSettingList; // read by the report only
    CExecList* m_pExecList;       // shown; changed only by the session
    QString m_strBaseTitle;       // "試験実行"
    bool m_bRecordBegun = false;

    std::unique_ptr<Ui::CExecDlg> m_ui;
    CStepListModel* m_pModel = nullptr;
    CRunSession m_session;
    CRunSequencer& m_seq; // the session's
    std::array<QTimer, 3> m_timers;
    QIcon m_iconStart;
    QIcon m_iconStop;
    bool m_bColumnsSized = false;
};
