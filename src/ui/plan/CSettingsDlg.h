#pragma once

#include <QDialog>
#include <memory>

class CNumberBox;
class CSettingData;
class QComboBox;

namespace Ui {
class CSettingsDlg;
}

// "試験設定": edits one test condition in place. The caller owns the record, opens the
// dialog with exec() and keeps or discards the record by the result; the record holds
// every edit either way. No message is ever shown: numbers are clamped silently and
// keystrokes that cannot belong to a number are dropped as they are typed.
//
//     CSettingData scratch;
//     original.CopyTo(scratch);
//     CSettingsDlg dlg(scratch, this);
//     if (dlg.exec() == QDialog::Accepted) scratch.CopyTo(original);
class CSettingsDlg : public QDialog {
    Q_OBJECT

public:
    // The record must outlive the dialog.
    explicit CSettingsDlg(CSettingData& record, QWidget* parent = nullptr);
    ~CSettingsDlg() override;

private slots:
    void OnDiscModeChanged();
    void OnIecLevelChanged();
    void OnTrigChanged();
    void OnPolaChanged();
    void OnSweepClicked();

private:
    void InitDialog();
    void BindBoxes();
    // The lists and boxes that follow the record's sweep flag.
    void ShowSweep();
    void FillPola();
    void ShowIntervalControls(bool show);
    void ShowSweepControls(bool show);
    // After a voltage is typed into the voltage or END box.
    void CheckIecLevel(const QString& text);
    void SelectIecLevelRow();
    void AfterVoltageCommitted();
    // Selected row's value, or false when no row is selected.
    static bool SelectedValue(const QComboBox* combo, qint32& value);

    CSettingData& m_record;
    std::unique_ptr<Ui::CSettingsDlg> m_ui;
};
