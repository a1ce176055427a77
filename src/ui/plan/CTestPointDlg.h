#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class CTestPointDlg;
}

// "テストポイント": the plan's test points, in the order they are tested. The operator adds
// a name as the last point, renames, deletes and moves the selected one; a blank name is
// refused, a name already in the list is added or kept only when he says so. OK hands the
// list back (Names), キャンセル leaves the plan as it was.
class CTestPointDlg : public QDialog {
    Q_OBJECT

public:
    // names: the plan's points; planSteps: the steps of its conditions, which each point
    // repeats in the run list.
    CTestPointDlg(const QStringList& names, qint64 planSteps, QWidget* parent = nullptr);
    ~CTestPointDlg() override;

    // The points as the dialog holds them (after OK: the operator's).
    const QStringList& Names() const { return m_names; }

public slots:
    // Refused, with the reason, while the run list would be too long.
    void accept() override;

protected:
    // Enter in the name field adds the name instead of closing the dialog.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OnAdd();
    void OnRename();
    void OnDelete();
    void OnUp();
    void OnDown();
    void OnRowChanged(int row);

private:
    // The name typed, trimmed; empty (after telling the operator) when it names nothing or
    // another point holds it and the operator does not want it twice.
    QString NameToStore(int except);
    void Move(int row, int to);
    // The list anew from the names, with row selected.
    void Fill(int row);
    void UpdateButtons();
    int SelectedRow() const;

    std::unique_ptr<Ui::CTestPointDlg> m_ui;
    QStringList m_names;
    qint64 m_planSteps;
};
