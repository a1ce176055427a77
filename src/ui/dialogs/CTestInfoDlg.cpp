#include "CTestInfoDlg.h"

#include "common/CMessageBox.h"
#include "settings/CTestProperty.h"
#include "ui_CTestInfoDlg.h"

CTestInfoDlg::CTestInfoDlg(CTestProperty& property, QWidget* parent)
    // a fixed template: the size the form was laid out for, no maximise button
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_property(property), m_ui(new Ui::CTestInfoDlg) {
    m_ui->setupUi(this);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &CTestInfoDlg::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CTestInfoDlg::reject);
    connect(m_ui->buttonSave, &QPushButton::clicked, this, &CTestInfoDlg::OnSave);

    m_ui->editModel->setText(m_property.m_strModel);
    m_ui->editSerial->setText(m_property.m_strSerial);
    m_ui->editOperator->setText(m_property.m_strOperator);
    m_ui->editStandard->setText(m_property.m_strStandard);
    m_ui->editTestDate->setReadOnly(true);
    m_ui->editTestTime->setReadOnly(true);
    m_ui->editTestDate->setText(CTestProperty::TestDateText(m_property.m_tmTest));
    m_ui->editTestTime->setText(CTestProperty::TestTimeText(m_property.m_tmTest));
    m_ui->editTemperature->setText(m_property.m_strTemperature);
    m_ui->editHumidity->setText(m_property.m_strHumidity);
    // the first box the operator can change
    m_ui->editTemperature->setFocus();
}

CTestInfoDlg::~CTestInfoDlg() = default;

QList<CTestInfoDlg::Field> CTestInfoDlg::Fields() const {
    return {
        {m_ui->editTemperature, &CTestProperty::m_strTemperature, INI_KEY_TEMPERATURE},
        {m_ui->editHumidity, &CTestProperty::m_strHumidity, INI_KEY_HUMIDITY},
        {m_ui->editModel, &CTestProperty::m_strModel, INI_KEY_MODEL},
        {m_ui->editSerial, &CTestProperty::m_strSerial, INI_KEY_SERIAL},
        {m_ui->editOperator, &CTestProperty::m_strOperator, INI_KEY_OPERATOR},
        {m_ui->editStandard, &CTestProperty::m_strStandard, INI_KEY_STANDARD},
    };
}

void CTestInfoDlg::accept() {
    // for this run only: the settings file keeps what was saved
    for (const Field& field : Fields())
        m_property.*field.member = field.edit->text();
    QDialog::accept();
}

void CTestInfoDlg::OnSave() {
    if (CMessageBox::OkCancel(tr("保存します。\nよろしいですか？"), this) != QMessageBox::Ok)
        return;
    for (const Field& field : Fields()) {
        const QString text = field.edit->text();
        CTestProperty::WriteIniString(QLatin1String(INI_SECTION_TEST_INFO),
                                      QLatin1String(field.key), text);
        m_property.*field.member = text;
    }
}
