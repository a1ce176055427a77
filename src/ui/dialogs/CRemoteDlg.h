#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

class CVzrT8100Cntl;

namespace Ui {
class CRemoteDlg;
}

// "試験器接続状態": shows whether the instrument is connected ("Connect" / "None"),
// checks the connection once a second while open and searches again on "再接続". The
// connection it leaves behind stays after it closes.
//
//     CRemoteDlg dlg(app->GetCntl(), this);
//     dlg.exec();
class CRemoteDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int WATCH_MS = 1000;

    // The controller must outlive the dialog.
    explicit CRemoteDlg(CVzrT8100Cntl& cntl, QWidget* parent = nullptr);
    ~CRemoteDlg() override;

    QString StateText() const;

protected:
    // The watch runs while the dialog is up.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void OnReconnect();
    void OnWatch();

private:
    void SetState(bool connected);

    CVzrT8100Cntl& m_cntl;
    std::unique_ptr<Ui::CRemoteDlg> m_ui;
    // single shot, started again after each check: two checks never overlap
    QTimer m_timerWatch;
};
