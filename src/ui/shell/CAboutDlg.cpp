#include "CAboutDlg.h"

#include "common/CAppResources.h"
#include "settings/CTestProperty.h"
#include "ui_CAboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_ui(new Ui::CAboutDlg) {
    m_ui->setupUi(this);
    setWindowTitle(tr("バージョン情報 VZR-T8100用 リモートコントロールソフトウェア"));
    m_ui->labelIcon->setPixmap(CAppResources::AppIcon().pixmap(32, 32));
    m_ui->labelProduct->setText(tr("VZR-T8100用 リモートコントロールソフトウェア"));
    m_ui->labelVersion->setText(CTestProperty::GetVersionText());
    m_ui->labelVersion->setAccessibleName(m_ui->labelVersionCaption->text());
    m_ui->labelVersionCaption->setBuddy(m_ui->labelVersion);
    m_ui->buttonOk->setFocus();
}

CAboutDlg::~CAboutDlg() = default;
