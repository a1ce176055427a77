#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CJudgeDlg;
}

// "判定": the judgement and comment of one step. The caller presets both, shows the
// dialog and reads them back after OK; cancel takes nothing.
class CJudgeDlg : public QDialog {
    Q_OBJECT

public:
    explicit CJudgeDlg(QWidget* parent = nullptr);
    ~CJudgeDlg() override;

    // Fills the controls from the preset and shows the dialog modally.
    int DoModal();

    // The preset before DoModal; the operator's choice after OK.
    void SetJudge(qint32 judge) { m_nChosenJudge = judge; }
    qint32 Judge() const { return m_nChosenJudge; }
    void SetComment(const QString& comment) { m_strChosenComment = comment; }
    QString Comment() const { return m_strChosenComment; }

public slots:
    void accept() override;

private:
    std::unique_ptr<Ui::CJudgeDlg> m_ui;
    qint32 m_nChosenJudge = 0;
    QString m_strChosenComment;
};
