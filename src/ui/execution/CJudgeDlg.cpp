#include "CJudgeDlg.h"

#include "data/SelectTable.h"

#include "ui_CJudgeDlg.h"

CJudgeDlg::CJudgeDlg(QWidget* parent)
    // a fixed template: no maximise button, no resizing
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_ui(new Ui::CJudgeDlg) {
    m_ui->setupUi(this);
    // the size it was laid out for, or what its font needs
    setFixedSize(size().expandedTo(sizeHint()));
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &CJudgeDlg::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CJudgeDlg::reject);
}

CJudgeDlg::~CJudgeDlg() = default;

int CJudgeDlg::DoModal() {
    FillComboFromTable(m_ui->comboJudge, g_tblJudge);
    SelectComboByValue(m_ui->comboJudge, m_nChosenJudge);
    m_ui->editComment->setText(m_strChosenComment);
    m_ui->comboJudge->setFocus();
    return exec();
}

void CJudgeDlg::accept() {
    m_nChosenJudge = m_ui->comboJudge->currentData().toInt();
    m_strChosenComment = m_ui->editComment->text();
    QDialog::accept();
}
