#include "CRemoteDlg.h"

#include "link/CVzrT8100Cntl.h"
#include "ui_CRemoteDlg.h"

#include <QHideEvent>
#include <QShowEvent>

namespace {
const char* const STATE_CONNECT = "Connect";
const char* const STATE_NONE = "None";
} // namespace

CRemoteDlg::CRemoteDlg(CVzrT8100Cntl& cntl, QWidget* parent)
    // a fixed template with a caption without a close box: OK, Enter or Esc close it
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_cntl(cntl), m_ui(new Ui::CRemoteDlg) {
    m_ui->setupUi(this);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonReconnect, &QPushButton::clicked, this, &CRemoteDlg::OnReconnect);

    m_ui->editState->setReadOnly(true);
    SetState(m_cntl.IsConnected());
    m_timerWatch.setSingleShot(true);
    m_timerWatch.setInterval(WATCH_MS);
    connect(&m_timerWatch, &QTimer::timeout, this, &CRemoteDlg::OnWatch);
    m_ui->buttonOk->setFocus();
}

CRemoteDlg::~CRemoteDlg() = default;

// Minimising and restoring (spontaneous events) leave the watch running.
void CRemoteDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_timerWatch.start();
}

void CRemoteDlg::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        m_timerWatch.stop();
    QDialog::hideEvent(event);
}

QString CRemoteDlg::StateText() const {
    return m_ui->editState->text();
}

void CRemoteDlg::SetState(bool connected) {
    m_ui->editState->setText(QLatin1String(connected ? STATE_CONNECT : STATE_NONE));
}

void CRemoteDlg::OnReconnect() {
    // a new search may end on another port than before
    if (m_cntl.IsConnected())
        m_cntl.GetProtocol().GetPort().Close();
    SetState(m_cntl.Connect());
}

void CRemoteDlg::OnWatch() {
    m_timerWatch.stop();
    if (m_cntl.IsConnected()) {
        QString reply;
        // an instrument that stopped answering is looked for on every port
        if (!m_cntl.Identify(reply) && !m_cntl.Connect())
            SetState(false);
    } else if (m_cntl.Connect()) {
        SetState(true);
    }
    if (isVisible())
        m_timerWatch.start();
}
