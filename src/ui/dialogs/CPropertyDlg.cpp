#include "CPropertyDlg.h"

#include "settings/CTestProperty.h"
#include "ui_CPropertyDlg.h"

CPropertyDlg::CPropertyDlg(CTestProperty& property, QWidget* parent)
    // a fixed template: the size the form was laid out for, no maximise button
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_property(property), m_ui(new Ui::CPropertyDlg) {
    m_ui->setupUi(this);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &CPropertyDlg::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CPropertyDlg::reject);
    for (const Field& field : Fields())
        field.edit->setText(m_property.*field.member);
    m_ui->editCompany->setFocus();
}

CPropertyDlg::~CPropertyDlg() = default;

QList<CPropertyDlg::Field> CPropertyDlg::Fields() const {
    // in the order the settings file is written
    return {
        {m_ui->editCompany, &CTestProperty::m_strCompanyName, INI_KEY_COMPANY_NAME},
        {m_ui->editTestPlace, &CTestProperty::m_strTestPlace, INI_KEY_TEST_PLACE},
        {m_ui->editEquipmentModel, &CTestProperty::m_strEquipmentModel, INI_KEY_EQUIPMENT_MODEL},
        {m_ui->editEquipmentSerialNo, &CTestProperty::m_strEquipmentSerialNo,
         INI_KEY_EQUIPMENT_SERIAL_NO},
        {m_ui->editGunModel, &CTestProperty::m_strGunModel, INI_KEY_GUN_MODEL},
        {m_ui->editGunSerialNo, &CTestProperty::m_strGunSerialNo, INI_KEY_GUN_SERIAL_NO},
        {m_ui->editCupModel, &CTestProperty::m_strCupModel, INI_KEY_CUP_MODEL},
        {m_ui->editCupSerialNo, &CTestProperty::m_strCupSerialNo, INI_KEY_CUP_SERIAL_NO},
        {m_ui->editCrUnitModel, &CTestProperty::m_strCrUnitModel, INI_KEY_CR_UNIT_MODEL},
        {m_ui->editCrUnitSerialNo, &CTestProperty::m_strCrUnitSerialNo, INI_KEY_CR_UNIT_SERIAL_NO},
    };
}

void CPropertyDlg::accept() {
    // every key, changed or not: the file then holds exactly what the dialog showed
    for (const Field& field : Fields()) {
        const QString text = field.edit->text();
        CTestProperty::WriteIniString(QLatin1String(INI_SECTION_PROPERTY), QLatin1String(field.key),
                                      text);
        m_property.*field.member = text;
    }
    QDialog::accept();
}
