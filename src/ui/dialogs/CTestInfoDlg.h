#pragma once

#include <QDialog>
#include <memory>

class CTestProperty;
class QLineEdit;

namespace Ui {
class CTestInfoDlg;
}

// "試験環境": the date and time of the test (read-only; "----" before the first run) and
// the environment and unit under test. OK keeps the edits in memory until the program
// ends; "保存" writes them to the settings file after asking, and the dialog stays open;
// cancel changes nothing. The caller reads the result only at the start of a run:
//
//     const std::int64_t kept = property.m_tmTest;
//     property.m_tmTest = now;
//     CTestInfoDlg dlg(property, this);
//     if (dlg.exec() != QDialog::Accepted) property.m_tmTest = kept;
class CTestInfoDlg : public QDialog {
    Q_OBJECT

public:
    // The settings must outlive the dialog.
    explicit CTestInfoDlg(CTestProperty& property, QWidget* parent = nullptr);
    ~CTestInfoDlg() override;

public slots:
    void accept() override;

private slots:
    void OnSave();

private:
    struct Field {
        QLineEdit* edit;
        QString CTestProperty::*member;
        const char* key;
    };
    // The editable fields in the order the settings file is written.
    QList<Field> Fields() const;

    CTestProperty& m_property;
    std::unique_ptr<Ui::CTestInfoDlg> m_ui;
};
