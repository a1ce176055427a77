#include "CTypeSelectDlg.h"

#include "ui_CTypeSelectDlg.h"

CTypeSelectDlg::CTypeSelectDlg(QWidget* parent)
    // a caption without a close box: the operator answers with one of the buttons
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_ui(new Ui::CTypeSelectDlg) {
    m_ui->setupUi(this);
    connect(m_ui->buttonStart, &QPushButton::clicked, this, &CTypeSelectDlg::OnStart);
    connect(m_ui->buttonRetry, &QPushButton::clicked, this, &CTypeSelectDlg::OnRetry);
    connect(m_ui->buttonExit, &QPushButton::clicked, this, &CTypeSelectDlg::OnExit);
    m_ui->groupChoices->setAccessibleName(m_ui->labelFailed->text());
}

CTypeSelectDlg::~CTypeSelectDlg() = default;

int CTypeSelectDlg::DoModal() {
    m_ui->buttonStart->setDefault(true);
    m_ui->buttonStart->setFocus();
    exec();
    return m_nResult;
}

QString CTypeSelectDlg::FailureText() const {
    return m_ui->labelFailed->text();
}

void CTypeSelectDlg::OnStart() {
    m_nResult = CHOICE_START;
    accept();
}

void CTypeSelectDlg::OnRetry() {
    m_nResult = CHOICE_RETRY;
    accept();
}

void CTypeSelectDlg::OnExit() {
    m_nResult = CHOICE_EXIT;
    QDialog::reject();
}

void CTypeSelectDlg::reject() {
    // Esc (and a close forced by the window manager) means 終了
    OnExit();
}
