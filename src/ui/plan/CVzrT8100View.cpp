#include "CVzrT8100View.h"

#include "common/CMessageBox.h"
#include "common/CWaitCursor.h"
#include "data/CPlanListModel.h"
#include "data/CVzrT8100Doc.h"
#include "dialogs/CTestInfoDlg.h"
#include "execution/CExecDlg.h"
#include "link/CSequenceTransfer.h"
#include "plan/CPlanListCtrl.h"
#include "plan/CSettingsDlg.h"
#include "plan/CTestPointDlg.h"
#include "settings/CTestProperty.h"
#include "ui_CVzrT8100View.h"

#include <QDateTime>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

CVzrT8100View::CVzrT8100View(CVzrT8100Doc* doc, CVzrT8100Cntl& cntl, CTestProperty& property)
    : m_ui(std::make_unique<Ui::CVzrT8100View>()), m_pDoc(doc), m_cntl(cntl), m_property(property),
      m_pForm(new QWidget), m_pModel(&doc->PlanModel()) {
    setObjectName(QStringLiteral("planView"));
    m_ui->setupUi(m_pForm);
    m_sizeForm = m_pForm->size();
    setWidget(m_pForm);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFrameShape(QFrame::NoFrame);
    setFocusProxy(m_ui->listPlan);

    for (QPushButton* button : {m_ui->buttonRun, m_ui->buttonTestPoints, m_ui->buttonEdit,
                                m_ui->buttonAdd, m_ui->buttonDelete, m_ui->buttonSendSequence})
        button->setAccessibleName(button->text());
    // nothing here shows it: the form decides whether the operator can reach it
    m_ui->buttonSendSequence->setVisible(false);

    // the document's one model: a change made in one window is seen in all at once
    m_ui->listPlan->setModel(m_pModel);
    for (QAbstractScrollArea* area : {static_cast<QAbstractScrollArea*>(this),
                                      static_cast<QAbstractScrollArea*>(m_ui->listPlan)}) {
        area->horizontalScrollBar()->setAccessibleName(tr("横スクロール"));
        area->verticalScrollBar()->setAccessibleName(tr("縦スクロール"));
    }

    connect(m_ui->buttonRun, &QPushButton::clicked, this, &CVzrT8100View::OnRunTest);
    connect(m_ui->buttonEdit, &QPushButton::clicked, this, &CVzrT8100View::OnEdit);
    connect(m_ui->buttonAdd, &QPushButton::clicked, this, &CVzrT8100View::OnAdd);
    connect(m_ui->buttonDelete, &QPushButton::clicked, this, &CVzrT8100View::OnDelete);
    connect(m_ui->buttonTestPoints, &QPushButton::clicked, this, &CVzrT8100View::OnTestPoints);
    connect(m_ui->buttonSendSequence, &QPushButton::clicked, this, &CVzrT8100View::OnSendSequence);
    connect(m_ui->listPlan, &CPlanListCtrl::ListDoubleClicked, this, &CVzrT8100View::OnEdit);
    connect(m_ui->listPlan, &CPlanListCtrl::RowDropped, this, &CVzrT8100View::OnRowDropped);
    // every window of the document counts anew whoever changed the plan
    connect(m_pModel, &CPlanListModel::RunListChanged, this, &CVzrT8100View::ShowCounts);
    ShowCounts();
}

CVzrT8100View::~CVzrT8100View() = default;

CPlanListCtrl* CVzrT8100View::GetListCtrl() const {
    return m_ui->listPlan;
}

QSize CVzrT8100View::DesignedSize() const {
    return m_sizeForm;
}

QSize CVzrT8100View::sizeHint() const {
    const int frame = 2 * frameWidth();
    return m_sizeForm + QSize(frame, frame);
}

void CVzrT8100View::OnInitialUpdate() {
    m_ui->listPlan->SetUpColumns();
    FillList(-1);
    StretchList();
}

void CVzrT8100View::FillList(int select) {
    CPlanListCtrl* list = m_ui->listPlan;
    QItemSelectionModel* selection = list->selectionModel();
    const int rows = m_pModel->rowCount();
    const auto flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    if (rows == 0) {
        selection->clear();
        return;
    }
    const int row = select >= 0 && select < rows ? select : 0;
    selection->setCurrentIndex(m_pModel->index(row, 0), flags);
    list->scrollTo(m_pModel->index(row, 0));
}

int CVzrT8100View::SelectedRow() const {
    const QModelIndexList rows = m_ui->listPlan->selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first;
}

void CVzrT8100View::OnRunTest() {
    const std::int64_t kept = m_property.m_tmTest;
    m_property.m_tmTest = QDateTime::currentSecsSinceEpoch();
    if (DoTestInfoDialog())
        DoExecDialog();
    else
        m_property.m_tmTest = kept;
}

void CVzrT8100View::OnEdit() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    CSettingData scratch;
    m_pDoc->GetSettingList()[static_cast<size_t>(row)]->CopyTo(scratch);
    if (!DoConditionDialog(scratch))
        return;
    if (!m_pModel->UpdateRecord(row, scratch))
        TellTooManySteps();
    FillList(row);
}

void CVzrT8100View::OnAdd() {
    if (m_pModel->rowCount() >= CVzrT8100Doc::kMaxSettings)
        return;
    auto record = std::make_unique<CSettingData>();
    if (!DoConditionDialog(*record))
        return;
    if (m_pModel->AppendRecord(std::move(record)))
        FillList(m_pModel->rowCount() - 1);
    else
        TellTooManySteps();
}

void CVzrT8100View::OnTestPoints() {
    CTestPointDlg dlg(m_pDoc->TestPoints(), m_pDoc->PlanStepCount(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (!m_pModel->SetTestPoints(dlg.Names()))
        TellTooManySteps();
}

void CVzrT8100View::ShowCounts() {
    m_ui->labelTestPoints->setText(tr("テストポイント %1 点 / ステップ %2")
                                       .arg(m_pDoc->TestPoints().size())
                                       .arg(m_pDoc->GetExecList().size()));
}

void CVzrT8100View::TellTooManySteps() {
    CMessageBox::Ok(tr("試験ステップが上限の %1 を超えるため、変更できません。\n"
                       "テストポイントまたは試験条件を減らしてください。")
                        .arg(CVzrT8100Doc::kMaxRunSteps),
                    this);
}

void CVzrT8100View::OnDelete() {
    const int row = SelectedRow();
    if (row >= 0 &&
        CMessageBox::OkCancel(tr("Test No. %1を削除します").arg(QString::asprintf("%3d", row + 1)),
                              this) == QMessageBox::Ok) {
        m_pModel->RemoveRecord(row);
        const int rows = m_pModel->rowCount();
        FillList(rows > 0 ? std::min(row, rows - 1) : -1);
    }
    m_pModel->Renumber();
}

void CVzrT8100View::OnRowDropped(int target) {
    FillList(target);
}

void CVzrT8100View::OnSendSequence() {
    if (CMessageBox::OkCancel(CSequenceTransfer::QuestionText(), this) != QMessageBox::Ok)
        return;
    bool sent = false;
    {
        CWaitCursor wait; // while the instrument is written
        sent = CSequenceTransfer::Send(m_cntl, m_pDoc->GetSettingList());
    }
    QString text = CSequenceTransfer::ResultText(sent);
    if (sent && !m_pDoc->TestPoints().isEmpty())
        text = CSequenceTransfer::PointsNotSentText(m_pDoc->TestPoints().size()) +
               QLatin1Char('\n') + text;
    CMessageBox::Ok(text, this);
}

bool CVzrT8100View::viewportEvent(QEvent* event) {
    const bool result = QScrollArea::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        StretchList();
    return result;
}

void CVzrT8100View::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    QPushButton* run = m_ui->buttonRun;
    if (enter && modifiers == Qt::NoModifier && run->isDefault()) {
        event->accept();
        if (run->isVisible() && run->isEnabled())
            run->click();
        return;
    }
    QScrollArea::keyPressEvent(event);
}

void CVzrT8100View::StretchList() {
    const QSize now = viewport()->size();
    if (now.width() <= 0 || now.height() <= 0)
        return;
    CPlanListCtrl* list = m_ui->listPlan;
    if (!list || !m_ui->buttonRun || !list->HasColumns())
        return;
    // the form grows with the window but never below its design; the list takes the rest
    const QSize form(std::max(m_sizeForm.width(), now.width()),
                     std::max(m_sizeForm.height(), now.height()));
    if (m_pForm->size() != form)
        m_pForm->resize(form);
    const int margin = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QPoint corner = list->pos();
    list->resize(std::max(0, form.width() - corner.x() - margin),
                 std::max(0, form.height() - corner.y() - margin));
}

bool CVzrT8100View::DoConditionDialog(CSettingData& record) {
    CSettingsDlg dlg(record, this);
    return dlg.exec() == QDialog::Accepted;
}

bool CVzrT8100View::DoTestInfoDialog() {
    CTestInfoDlg dlg(m_property, this);
    return dlg.exec() == QDialog::Accepted;
}

void CVzrT8100View::DoExecDialog() {
    CExecDlg dlg(m_cntl, m_property, &m_pDoc->GetSettingList(), &m_pDoc->GetExecList(),
                 m_pDoc->TestPoints(), this);
    dlg.SetDocumentTitle(m_pDoc->GetTitle());
    dlg.SetDataFilePath(m_pDoc->GetPathName());
    dlg.SetTestPoints(m_pDoc->GetCommentList());
    dlg.exec();
}
