#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CTypeSelectDlg;
}

// Offered at start-up while the instrument has not been found: start without it, search
// again, or give up.
class CTypeSelectDlg : public QDialog {
    Q_OBJECT

public:
    enum {
        CHOICE_START = 1, // go on without the instrument
        CHOICE_EXIT = 3,  // end the program
        CHOICE_RETRY = 4, // search for the instrument again
    };

    explicit CTypeSelectDlg(QWidget* parent = nullptr);
    ~CTypeSelectDlg() override;

    // Shows the dialog modally and returns the operator's choice; a choice made earlier
    // stays preset until another button is pressed.
    int DoModal();
    // The dialog's first line: what went wrong.
    QString FailureText() const;

    int m_nResult = CHOICE_EXIT;

public slots:
    void reject() override;

private slots:
    void OnStart();
    void OnRetry();
    void OnExit();

private:
    std::unique_ptr<Ui::CTypeSelectDlg> m_ui;
};
