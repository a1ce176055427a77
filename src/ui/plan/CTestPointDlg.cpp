#include "CTestPointDlg.h"

#include "common/CMessageBox.h"
#include "data/CVzrT8100Doc.h"
#include "data/TestPoints.h"

#include "ui_CTestPointDlg.h"

#include <QKeyEvent>

CTestPointDlg::CTestPointDlg(const QStringList& names, qint64 planSteps, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::CTestPointDlg), m_names(names), m_planSteps(planSteps) {
    m_ui->setupUi(this);
    for (QPushButton* button :
         {m_ui->buttonUp, m_ui->buttonDown, m_ui->buttonDelete, m_ui->buttonAdd, m_ui->buttonRename,
          m_ui->buttonOk, m_ui->buttonCancel})
        button->setAccessibleName(button->text());
    connect(m_ui->buttonAdd, &QPushButton::clicked, this, &CTestPointDlg::OnAdd);
    connect(m_ui->buttonRename, &QPushButton::clicked, this, &CTestPointDlg::OnRename);
    connect(m_ui->buttonDelete, &QPushButton::clicked, this, &CTestPointDlg::OnDelete);
    connect(m_ui->buttonUp, &QPushButton::clicked, this, &CTestPointDlg::OnUp);
    connect(m_ui->buttonDown, &QPushButton::clicked, this, &CTestPointDlg::OnDown);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &CTestPointDlg::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CTestPointDlg::reject);
    connect(m_ui->listPoints, &QListWidget::currentRowChanged, this, &CTestPointDlg::OnRowChanged);
    m_ui->editName->installEventFilter(this);
    Fill(m_names.isEmpty() ? -1 : 0);
    m_ui->editName->setFocus();
}

CTestPointDlg::~CTestPointDlg() = default;

int CTestPointDlg::SelectedRow() const {
    const int row = m_ui->listPoints->currentRow();
    return row >= 0 && row < m_names.size() && m_ui->listPoints->currentItem()->isSelected() ? row
                                                                                             : -1;
}

void CTestPointDlg::Fill(int row) {
    QListWidget* list = m_ui->listPoints;
    const QSignalBlocker quiet(list);
    list->clear();
    for (qsizetype i = 0; i < m_names.size(); ++i)
        list->addItem(TestPoints::Text(int(i + 1), m_names.at(i)));
    if (row >= 0 && row < m_names.size()) {
        list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        m_ui->editName->setText(m_names.at(row));
    }
    UpdateButtons();
}

void CTestPointDlg::UpdateButtons() {
    const int row = SelectedRow();
    m_ui->buttonRename->setEnabled(row >= 0);
    m_ui->buttonDelete->setEnabled(row >= 0);
    m_ui->buttonUp->setEnabled(row > 0);
    m_ui->buttonDown->setEnabled(row >= 0 && row < m_names.size() - 1);
}

void CTestPointDlg::OnRowChanged(int row) {
    if (row >= 0 && row < m_names.size())
        m_ui->editName->setText(m_names.at(row));
    UpdateButtons();
}

QString CTestPointDlg::NameToStore(int except) {
    const QString name = m_ui->editName->text().trimmed();
    if (TestPoints::IsBlank(name)) {
        CMessageBox::Ok(tr("テストポイントの名称を入力してください。"), this);
        return QString();
    }
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (i != except && m_names.at(i) == name) {
            // the same place tested twice is allowed, but seldom meant
            if (CMessageBox::OkCancel(
                    tr("テストポイント %1「%2」と同じ名称です。\nよろしいですか？")
                        .arg(i + 1)
                        .arg(name),
                    this) != QMessageBox::Ok)
                return QString();
            break;
        }
    }
    return name;
}

void CTestPointDlg::OnAdd() {
    if (m_names.size() >= TestPoints::kMaxPoints) {
        CMessageBox::Ok(tr("テストポイントは %1 点までです。").arg(TestPoints::kMaxPoints), this);
        return;
    }
    const QString name = NameToStore(-1);
    if (name.isEmpty())
        return;
    m_names.append(name);
    Fill(int(m_names.size() - 1));
    // ready for the next name
    m_ui->editName->clear();
    m_ui->editName->setFocus();
}

void CTestPointDlg::OnRename() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString name = NameToStore(row);
    if (name.isEmpty())
        return;
    m_names[row] = name;
    Fill(row);
}

void CTestPointDlg::OnDelete() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_names.removeAt(row);
    if (m_names.isEmpty())
        m_ui->editName->clear();
    Fill(std::min(row, int(m_names.size()) - 1));
}

void CTestPointDlg::Move(int row, int to) {
    if (row < 0 || to < 0 || to >= m_names.size())
        return;
    m_names.move(row, to);
    Fill(to);
}

void CTestPointDlg::OnUp() {
    const int row = SelectedRow();
    Move(row, row - 1);
}

void CTestPointDlg::OnDown() {
    const int row = SelectedRow();
    Move(row, row < 0 ? -1 : row + 1);
}

void CTestPointDlg::accept() {
    const qint64 steps = CVzrT8100Doc::RunStepCount(m_planSteps, m_names.size());
    if (!m_names.isEmpty() && steps > CVzrT8100Doc::kMaxRunSteps) {
        CMessageBox::Ok(
            tr("テストポイント %1 点では試験ステップが %2 になり、上限の %3 を超えます。")
                .arg(m_names.size())
                .arg(steps)
                .arg(CVzrT8100Doc::kMaxRunSteps),
            this);
        return;
    }
    QDialog::accept();
}

bool CTestPointDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->editName && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OnAdd();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
