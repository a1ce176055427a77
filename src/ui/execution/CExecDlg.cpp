#include "CExecDlg.h"

#include "common/CAppResources.h"
#include "common/CMessageBox.h"
#include "common/CReportOpener.h"
#include "common/CStatusNote.h"
#include "common/CWaitCursor.h"
#include "data/CStepListModel.h"
#include "data/SelectTable.h"
#include "data/TestPoints.h"
#include "execution/CJudgeDlg.h"
#include "execution/CRunRecord.h"

#include "ui_CExecDlg.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

namespace {

// Widths of the results list's columns, in percent of its client width less a scroll bar;
// with test points, the point's column takes its room from the others.
constexpr int kColumnPercent[CStepListModel::kColumnCount] = {10, 10, 12, 8, 6, 10, 12, 13, 7, 12};
constexpr int kColumnPercentWithPoint[CStepListModel::kColumnCount + 1] = {9, 14, 9,  10, 7, 5,
                                                                           8, 10, 10, 6,  12};

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Keys that would move the list's selection.
bool MovesSelection(const QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        // typing jumps to a matching row
        return !key->text().isEmpty() && key->text().at(0).isPrint() &&
               !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    }
}

} // namespace

CExecDlg::CExecDlg(CVzrT8100Cntl& cntl, CTestProperty& property, CSettingList* pSettingList,
                   CExecList* pExecList, const QStringList& testPoints, QWidget* parent)
    : QDialog(parent), m_pSettingList(pSettingList), m_pExecList(pExecList), m_ui(new Ui::CExecDlg),
      m_session(cntl, property, pExecList, *this), m_seq(m_session.Sequencer()) {
    m_ui->setupUi(this);
    m_strBaseTitle = windowTitle();
    m_session.SetTestPoints(testPoints);
    // the current point shows only where there are points
    m_ui->labelTestPointCaption->setVisible(!testPoints.isEmpty());
    m_ui->labelTestPoint->setVisible(!testPoints.isEmpty());

    for (int id = 0; id < int(m_timers.size()); ++id) {
        m_timers[size_t(id)].setSingleShot(true);
        connect(&m_timers[size_t(id)], &QTimer::timeout, this, [this, id] { m_seq.OnTimer(id); });
    }

    connect(m_ui->buttonStart, &QPushButton::clicked, this, &CExecDlg::OnStart);
    connect(m_ui->buttonStop, &QPushButton::clicked, this, &CExecDlg::OnStop);
    connect(m_ui->buttonTrig, &QPushButton::clicked, this, &CExecDlg::OnTrig);
    connect(m_ui->buttonClose, &QPushButton::clicked, this, &CExecDlg::OnClose);
    connect(m_ui->buttonReport, &QPushButton::clicked, this, &CExecDlg::CreateReport);
    connect(m_ui->buttonPdf, &QPushButton::clicked, this, &CExecDlg::CreatePdfReport);
    connect(m_ui->buttonApply, &QPushButton::clicked, this, &CExecDlg::OnApply);
    connect(m_ui->buttonJudgeAll, &QPushButton::clicked, this, &CExecDlg::OnJudgeAll);
    connect(m_ui->buttonDeleteComments, &QPushButton::clicked, this, &CExecDlg::OnDeleteComments);
    connect(m_ui->checkJudgeAuto, &QCheckBox::clicked, this, &CExecDlg::OnJudgeAutoClicked);

    // The results list: many thousands of rows, all of one height, texts from the records.
    QTableView* list = m_ui->listResults;
    m_pModel = new CStepListModel(pExecList, testPoints, this);
    list->setModel(m_pModel);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setTabKeyNavigation(false);
    list->setCornerButtonEnabled(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setSectionsClickable(false);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // the current step stays marked while the operator works in the judgement controls
    QPalette palette = list->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    list->setPalette(palette);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    OnRowSelected(current.row());
            });
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    OnRowSelected(selected.indexes().first().row());
            });
    connect(list, &QAbstractItemView::doubleClicked, this, &CExecDlg::OnRowDoubleClicked);

    // During a run the list takes no clicks and no keys that move its selection.
    list->installEventFilter(this);
    for (QWidget* child : list->findChildren<QWidget*>())
        child->installEventFilter(this);
    m_ui->comboJudge->installEventFilter(this);
    m_ui->editComment->installEventFilter(this);

    OpenDialog();
}

CExecDlg::~CExecDlg() {
    m_seq.Close(); // the timers are this dialog's
}

void CExecDlg::OpenDialog() {
    m_seq.Open();

    m_iconStart = QIcon(CAppResources::Path(QStringLiteral("icons/start.png")));
    m_iconStop = QIcon(CAppResources::Path(QStringLiteral("icons/stop.png")));
    m_ui->buttonStart->setIcon(m_iconStart);
    m_ui->buttonStop->setIcon(m_iconStop);
    m_ui->buttonStart->setEnabled(false);
    m_ui->buttonStop->setEnabled(false);
    m_ui->buttonTrig->setEnabled(false);
    ShowTrigLabel(CRunSequencer::TrigLabel::Hidden);
    StyleLabels();

    m_ui->labelStepCount->setText(QString::asprintf("%d", m_seq.StepCount()));
    ShowStepNumber(m_seq.CurrentExec() ? m_seq.CurrentStep() : -1);
    m_seq.ShowStepProgress();

    InitResultColumns();
    FillResultList();
    if (m_pModel->rowCount() > 0)
        m_ui->listResults->setFocus(); // the dialog opens on its steps
    FillComboFromTable(m_ui->comboJudge, g_tblJudge);
    if (const CExecData* current = m_seq.CurrentExec())
        SelectComboByValue(m_ui->comboJudge, current->m_nJudge);
    FillComboFromTable(m_ui->comboJudgeAll, g_tblJudge);
    m_ui->comboJudgeAll->setCurrentIndex(0);
    ShowJudgeControls();

    m_ui->checkJudgeAuto->setChecked(m_session.JudgeAuto());

    m_seq.StartPolling();
}

// The trigger indicator reads at a glance across the bench; the values stand in fields.
void CExecDlg::StyleLabels() {
    for (QLabel* label : {m_ui->labelTrigOn, m_ui->labelTrigOff}) {
        QFont font = label->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.3);
        label->setFont(font);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAutoFillBackground(true);
    }
    QPalette on = m_ui->labelTrigOn->palette();
    on.setColor(QPalette::WindowText, QColor(0xD0, 0x10, 0x10));
    m_ui->labelTrigOn->setPalette(on);
    QPalette off = m_ui->labelTrigOff->palette();
    off.setColor(QPalette::WindowText, QColor(0x20, 0x40, 0x90));
    m_ui->labelTrigOff->setPalette(off);

    for (QLabel* label :
         {m_ui->labelStepNo, m_ui->labelStepCount, m_ui->labelIntervalNow, m_ui->labelIntervalStep,
          m_ui->labelDone, m_ui->labelCount, m_ui->labelJudgeStepNo}) {
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    }
    // a point's name reads from its start, as in the results list
    m_ui->labelTestPoint->setFrameShape(QFrame::Panel);
    m_ui->labelTestPoint->setFrameShadow(QFrame::Sunken);
    m_ui->labelTestPoint->setMinimumWidth(
        m_ui->labelTestPoint->fontMetrics().horizontalAdvance(QStringLiteral("000 ")) * 5);
}

// ---- results list ----------------------------------------------------------------------

void CExecDlg::InitResultColumns() {
    // The columns themselves come with the model; their widths follow the list's width
    // once it is laid out (showEvent).
    m_ui->listResults->horizontalHeader()->setMinimumSectionSize(8);
}

void CExecDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_bRecordBegun) {
        // once the dialog stands on the screen, before anything the operator does
        m_bRecordBegun = true;
        QTimer::singleShot(0, this, &CExecDlg::BeginRecord);
    }
    if (m_bColumnsSized)
        return;
    m_bColumnsSized = true;
    QTableView* list = m_ui->listResults;
    const int client = list->width() - 2 * list->frameWidth();
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const int width = qMax(0, client - scrollBar);
    const bool points = m_pModel->columnCount() > CStepListModel::kColumnCount;
    for (int column = 0; column < m_pModel->columnCount(); ++column)
        list->horizontalHeader()->resizeSection(
            column,
            width * (points ? kColumnPercentWithPoint[column] : kColumnPercent[column]) / 100);
}

void CExecDlg::FillResultList() {
    m_pModel->Refresh();
    if (m_pModel->rowCount() > 0)
        SelectRow(0);
}

void CExecDlg::UpdateStepRow(int row) {
    if (!m_pExecList || row < 0 || row >= int(m_pExecList->size()))
        return;
    m_pModel->RefreshRow(row);
}

int CExecDlg::SelectedRow() const {
    const QModelIndexList rows = m_ui->listResults->selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first;
}

void CExecDlg::SelectRow(int row) {
    QTableView* list = m_ui->listResults;
    const QModelIndex index = m_pModel->index(row, 0);
    if (!index.isValid())
        return;
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    list->scrollTo(index);
}

void CExecDlg::ShowStepNumber(int row) {
    const QString text = row >= 0 ? QString::asprintf("%d", row + 1) : QString();
    m_ui->labelStepNo->setText(text);
    m_ui->labelJudgeStepNo->setText(text);
    const int point = m_seq.TestPointOf(row);
    m_ui->labelTestPoint->setText(
        TestPoints::Text(point, TestPoints::NameOf(m_seq.TestPoints(), point)));
}

void CExecDlg::OnRowSelected(int row) {
    // while a run is active the current step is the sequencer's alone
    if (IsRunActive() || row < 0 || !m_seq.ExecList() || row >= m_seq.StepCount())
        return;
    m_seq.SetCurrentStep(row);
    ShowStepNumber(row);
    m_seq.ShowStepProgress();
    ShowJudgeControls();
}

void CExecDlg::OnRowDoubleClicked(const QModelIndex& index) {
    if (IsRunActive() || !index.isValid() || index.row() >= m_seq.StepCount())
        return;
    const int row = index.row();
    m_seq.SetCurrentStep(row);
    const CExecData* record = m_seq.CurrentExec();
    CJudgeDlg dlg(this);
    dlg.SetJudge(record->m_nJudge); // unjudged stays "------" here
    dlg.SetComment(record->m_strComment);
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    m_session.Judge(row, dlg.Judge(), dlg.Comment(), CRunSequencer::JUDGED_DIALOG);
    ShowJudgeControls();
    UpdateStepRow(row);
}

// ---- judgement controls ----------------------------------------------------------------

void CExecDlg::ShowJudgeControls() {
    const CExecData* current = m_seq.CurrentExec();
    if (!current)
        return;
    SelectComboByValue(m_ui->comboJudge, current->m_nJudge);
    m_ui->editComment->setText(current->m_strComment);
}

void CExecDlg::ApplyJudgeControls() {
    if (!m_seq.CurrentExec())
        return;
    m_session.Judge(m_seq.CurrentStep(), m_ui->comboJudge->currentData().toInt(),
                    m_ui->editComment->text(), CRunSequencer::JUDGED_APPLY);
    UpdateStepRow(m_seq.CurrentStep());
}

void CExecDlg::OnApply() {
    ApplyJudgeControls();
}

void CExecDlg::OnJudgeAll() {
    const qint32 judge = m_ui->comboJudgeAll->currentData().toInt();
    if (CMessageBox::OkCancel(tr("判定をすべて書き換えます。\nよろしいですか？"), this) !=
        QMessageBox::Ok)
        return;
    m_session.JudgeAll(judge);
    FillResultList();
}

void CExecDlg::OnDeleteComments() {
    if (CMessageBox::OkCancel(tr("コメントをすべて削除します。\nよろしいですか？"), this) !=
        QMessageBox::Ok)
        return;
    m_session.ClearComments();
    FillResultList();
}

void CExecDlg::OnJudgeAutoClicked(bool checked) {
    m_session.SetJudgeAuto(checked);
}

// ---- run -------------------------------------------------------------------------------

bool CExecDlg::IsRunActive() const {
    // the sequencer's own: from START's first moment, whatever STOP shows
    return m_seq.RunActive();
}

void CExecDlg::OnStart() {
    m_seq.OnStart(SelectedRow());
}

void CExecDlg::OnStop() {
    m_seq.OnStop();
}

void CExecDlg::OnTrig() {
    m_seq.OnTrig();
}

void CExecDlg::ArmTimer(int id) {
    if (id >= 0 && id < int(m_timers.size()))
        m_timers[size_t(id)].start(CRunSequencer::TIMER_PERIOD_MS);
}

void CExecDlg::KillTimer(int id) {
    if (id >= 0 && id < int(m_timers.size()))
        m_timers[size_t(id)].stop();
}

void CExecDlg::ApplyRunState(bool running) {
    const QList<QWidget*> runControls = {m_ui->buttonStop, m_ui->buttonTrig};
    const QList<QWidget*> idleControls = {m_ui->buttonStart,    m_ui->buttonReport,
                                          m_ui->buttonPdf,      m_ui->comboJudgeAll,
                                          m_ui->buttonJudgeAll, m_ui->buttonDeleteComments};
    // a control that goes off hands the focus to STOP or START, not to the next control
    // in the tab order (the list, which takes no keys during a run)
    QWidget* focus = focusWidget();
    const bool bFocusGoes = !focus || (running ? idleControls : runControls).contains(focus);
    for (QWidget* control : runControls)
        control->setEnabled(running);
    for (QWidget* control : idleControls)
        control->setEnabled(!running);
    if (bFocusGoes)
        (running ? m_ui->buttonStop : m_ui->buttonStart)->setFocus();
}

void CExecDlg::ShowTrigLabel(CRunSequencer::TrigLabel label) {
    m_ui->labelTrigOn->setVisible(label == CRunSequencer::TrigLabel::On);
    m_ui->labelTrigOff->setVisible(label == CRunSequencer::TrigLabel::Off);
}

void CExecDlg::ShowProgress(CRunSequencer::ProgressField field, const QString& text) {
    switch (field) {
    case CRunSequencer::PROGRESS_INTERVAL_NOW:
        m_ui->labelIntervalNow->setText(text);
        break;
    case CRunSequencer::PROGRESS_INTERVAL_STEP:
        m_ui->labelIntervalStep->setText(text);
        break;
    case CRunSequencer::PROGRESS_DONE:
        m_ui->labelDone->setText(text);
        break;
    case CRunSequencer::PROGRESS_COUNT:
        m_ui->labelCount->setText(text);
        break;
    }
}

void CExecDlg::ShowMessage(const QString& text) {
    CMessageBox::Ok(text, this);
}

bool CExecDlg::AskJudgement(qint32& judge, QString& comment) {
    CJudgeDlg dlg(this);
    dlg.SetJudge(judge);
    dlg.SetComment(comment);
    if (dlg.DoModal() != QDialog::Accepted)
        return false;
    judge = dlg.Judge();
    comment = dlg.Comment();
    return true;
}

void CExecDlg::ShowStepRow(int row) {
    // the keyboard stays where the operator has it (TRIG, STOP): the list takes no keys
    // during a run
    SelectRow(row);
    ShowStepNumber(row);
}

void CExecDlg::FocusStop() {
    if (m_ui->buttonStop->isEnabled())
        m_ui->buttonStop->setFocus();
}

QString CExecDlg::MoveGunText(int point, const QString& name) {
    return tr("テストポイント %1「%2」へ放電ガンを移動してください。").arg(point).arg(name);
}

bool CExecDlg::ConfirmTestPoint(int point, const QString& name) {
    // Enter stops rather than discharge where the gun happens to be: a key pressed twice
    // for the judgement just before must not confirm a move that was never made
    return CMessageBox::OkCancelDefaultCancel(MoveGunText(point, name), this) == QMessageBox::Ok;
}

// ---- closing and the report ------------------------------------------------------------

void CExecDlg::reject() {
    OnClose();
}

void CExecDlg::OnClose() {
    if (!m_seq.CanClose())
        return;
    if (m_session.ResultExist()) {
        switch (CMessageBox::YesNoCancel(tr("試験結果が存在します。\nレポートを作成しますか？"),
                                         this)) {
        case QMessageBox::Yes:
            CreateReport();
            return;
        case QMessageBox::No:
            break;
        default:
            return;
        }
    }
    m_session.Close();
    QDialog::done(QDialog::Rejected);
}

void CExecDlg::CreateReport() {
    WriteReport(CRunSession::REPORT_WORKBOOK);
}

void CExecDlg::CreatePdfReport() {
    WriteReport(CRunSession::REPORT_PDF);
}

bool CExecDlg::WriteReport(CRunSession::ReportKind kind) {
    // the wait cursor shows while the report is written and is gone for any message
    CTestReport::Outcome outcome;
    {
        const CSettingList noPlan;
        CWaitCursor cursor;
        outcome = m_session.CreateReport(kind, m_pSettingList ? *m_pSettingList : noPlan);
    }
    return CReportOpener::HandOver(outcome, this);
}

// ---- the run record --------------------------------------------------------------------

QString CExecDlg::RestoreQuestion(const QDateTime& start, qint64 judged, bool damaged) {
    QString text = tr("前回の試験結果（%1、判定 %2 件）を復元しますか？")
                       .arg(start.toString(QStringLiteral("yyyy/MM/dd HH:mm")))
                       .arg(judged);
    if (damaged)
        text += QLatin1Char('\n') + tr("（記録の末尾が読めませんでした）");
    return text;
}

void CExecDlg::BeginRecord() {
    // No, the default, keeps the run list as it is.
    CRunSession::InterruptedRun previous;
    if (m_session.FindInterruptedRun(&previous) &&
        CMessageBox::YesNoDefaultNo(
            RestoreQuestion(previous.tmStart, previous.lJudged, previous.bDamaged), this) ==
            QMessageBox::Yes) {
        m_session.RestoreInterruptedRun();
        FillResultList();
    }

    m_session.BeginRecord([this](bool ok, const QString& text) { OnRecordHealth(ok, text); });
    const CRunRecord* record = m_session.Record();
    if (record && !record->IsFailing()) {
        const QString where = QDir::toNativeSeparators(record->Path());
        CStatusNote::Show(this,
                          record->BesideProblem().isEmpty()
                              ? tr("試験記録: %1").arg(where)
                              : tr("試験記録: %1（データファイルのフォルダに書き込めません: %2）")
                                    .arg(where, record->BesideProblem()));
    }
}

void CExecDlg::OnRecordHealth(bool ok, const QString& text) {
    // told once each way: the run goes on regardless; a record that left its lost medium
    // keeps saying so in the title
    const CRunRecord* record = m_session.Record();
    const bool moved = record && !record->MovedFrom().isEmpty();
    const QString title =
        moved ? m_strBaseTitle + tr(" - 試験記録の保存先が変わりました") : m_strBaseTitle;
    if (ok) {
        setWindowTitle(title);
        CStatusNote::Show(this,
                          moved ? tr("試験記録の保存先が失われました。記録を続けます: %1").arg(text)
                                : tr("試験記録: %1").arg(text));
    } else {
        setWindowTitle(title + tr(" - 試験記録を書き込めません"));
        CStatusNote::Show(this, tr("試験記録を書き込めません: %1").arg(text));
    }
}

bool CExecDlg::IsPartOfList(QObject* object) const {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == m_ui->listResults || m_ui->listResults->isAncestorOf(widget));
}

// ---- keys and mouse --------------------------------------------------------------------

bool CExecDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_ui->comboJudge && IsEnter(key) && !m_ui->comboJudge->view()->isVisible()) {
            ApplyJudgeControls();
            return true;
        }
        if (watched == m_ui->editComment && IsEnter(key)) {
            ApplyJudgeControls();
            m_ui->editComment->selectAll();
            return true;
        }
        if (watched == m_ui->listResults && IsRunActive() && MovesSelection(key))
            return true;
    } else if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                type == QEvent::MouseButtonRelease || type == QEvent::MouseMove) &&
               IsRunActive() && IsPartOfList(watched)) {
        // a click's release and a drag with the button held would still select
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::MouseButtons buttons = mouse->button() | mouse->buttons();
        if (buttons & (Qt::LeftButton | Qt::RightButton))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CExecDlg::keyPressEvent(QKeyEvent* event) {
    // Enter anywhere else does nothing: never the close of a dialog the operator lives in
    if (IsEnter(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
