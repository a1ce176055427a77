#pragma once

#include <QDialog>
#include <QFont>
#include <memory>

namespace Ui {
class COpeningDlg;
}

// The opening window shown while the program starts: title, version and a notice on
// light grey.
class COpeningDlg : public QDialog {
    Q_OBJECT

public:
    explicit COpeningDlg(QWidget* parent = nullptr);
    ~COpeningDlg() override;

    // Shows the window and paints it at once: start-up keeps the thread busy while it is up.
    void ShowNow();

private:
    std::unique_ptr<Ui::COpeningDlg> m_ui;
    QFont m_fontTitle;
};
