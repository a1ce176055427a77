#include "COpeningDlg.h"

#include "settings/CTestProperty.h"
#include "ui_COpeningDlg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QWindow>

namespace {
const QColor BACK_COLOUR(0xE1, 0xE1, 0xE1);
const QColor TEXT_COLOUR(0x00, 0x00, 0xFF);
constexpr int EXPOSE_WAIT_MS = 500;
} // namespace

COpeningDlg::COpeningDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_ui(new Ui::COpeningDlg) {
    m_ui->setupUi(this);
    setModal(false);

    QPalette back = palette();
    back.setColor(QPalette::Window, BACK_COLOUR);
    setPalette(back);
    setAutoFillBackground(true);

    QPalette blue = m_ui->labelTitle->palette();
    blue.setColor(QPalette::WindowText, TEXT_COLOUR);
    for (QWidget* label :
         {static_cast<QWidget*>(m_ui->labelTitle), static_cast<QWidget*>(m_ui->labelVersionCaption),
          static_cast<QWidget*>(m_ui->labelVersion)})
        label->setPalette(blue);

    // bold, a cell 30 pixels high, in the Japanese gothic face
    m_fontTitle = QFont(QStringLiteral("ＭＳ ゴシック"));
    m_fontTitle.setPixelSize(30);
    m_fontTitle.setBold(true);
    m_ui->labelTitle->setFont(m_fontTitle);
    m_ui->labelTitle->setText(tr("VZR-T8100用\nリモートコントロールソフト"));
    m_ui->labelTitle->setAccessibleName(m_ui->labelTitle->text());

    m_ui->labelVersion->setText(CTestProperty::GetVersionText());
    m_ui->labelVersion->setAccessibleName(tr("Version"));
    m_ui->labelVersionCaption->setBuddy(m_ui->labelVersion);
}

COpeningDlg::~COpeningDlg() = default;

void COpeningDlg::ShowNow() {
    show();
    raise();
    // mapped, exposed and painted before the caller goes on with its blocking work; a
    // display that never reports the exposure costs at most a moment
    QElapsedTimer waited;
    waited.start();
    do {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    } while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < EXPOSE_WAIT_MS);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
