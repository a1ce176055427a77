#include "CSettingsDlg.h"

#include "common/CNumberBox.h"
#include "data/CSettingData.h"
#include "data/ConditionRules.h"
#include "data/SelectTable.h"
#include "ui_CSettingsDlg.h"

#include <QLabel>

using NumberEntry::Limits;

CSettingsDlg::CSettingsDlg(CSettingData& record, QWidget* parent)
    // a fixed template: the size the form was laid out for, no maximise button
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_record(record), m_ui(new Ui::CSettingsDlg) {
    m_ui->setupUi(this);

    // edit boxes and lists are known by the label beside them
    const std::pair<QLabel*, QWidget*> buddies[] = {
        {m_ui->labelDiscMode, m_ui->comboDiscMode},
        {m_ui->labelIecLevel, m_ui->comboIecLevel},
        {m_ui->labelTrig, m_ui->comboTrig},
        {m_ui->labelPola, m_ui->comboPola},
        {m_ui->labelVoltage, m_ui->editVoltage},
        {m_ui->labelStep, m_ui->editStep},
        {m_ui->labelEnd, m_ui->editEnd},
        {m_ui->labelInterval, m_ui->editInterval},
        {m_ui->labelCount, m_ui->editCount},
    };
    for (const auto& [label, control] : buddies) {
        label->setBuddy(control);
        control->setAccessibleName(label->text());
    }
    const std::pair<CNumberBox*, QLabel*> units[] = {
        {m_ui->editVoltage, m_ui->labelVoltageUnit}, {m_ui->editStep, m_ui->labelStepUnit},
        {m_ui->editEnd, m_ui->labelEndUnit},         {m_ui->editInterval, m_ui->labelIntervalUnit},
        {m_ui->editCount, m_ui->labelCountUnit},
    };
    for (const auto& [box, unit] : units)
        box->setAccessibleDescription(unit->text());

    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    // user choices only: the dialog's own selections raise nothing
    connect(m_ui->comboDiscMode, &QComboBox::activated, this, &CSettingsDlg::OnDiscModeChanged);
    connect(m_ui->comboIecLevel, &QComboBox::activated, this, &CSettingsDlg::OnIecLevelChanged);
    connect(m_ui->comboTrig, &QComboBox::activated, this, &CSettingsDlg::OnTrigChanged);
    connect(m_ui->comboPola, &QComboBox::activated, this, &CSettingsDlg::OnPolaChanged);
    connect(m_ui->checkSweep, &QCheckBox::clicked, this, &CSettingsDlg::OnSweepClicked);

    BindBoxes();
    InitDialog();
}

CSettingsDlg::~CSettingsDlg() {
    // the focused box commits when it loses the focus during destruction: not any more
    for (CNumberBox* box :
         {m_ui->editVoltage, m_ui->editStep, m_ui->editEnd, m_ui->editInterval, m_ui->editCount})
        box->Unbind();
}

void CSettingsDlg::BindBoxes() {
    CSettingData& r = m_record;
    m_ui->editVoltage->Bind(&r.m_value.m_lValue, &r.m_rngVolt, [&r](qint32, int) {
        return Limits{r.m_rngVolt.lMin, r.m_rngVolt.lMax, r.m_rngVolt.lIncrement};
    });
    // the step is shown in kV like the voltages but has its own bounds
    m_ui->editStep->Bind(&r.m_value.m_lStep, &r.m_rngVolt, [&r](qint32, int) {
        return Limits{r.m_rngStep.lMin, r.m_rngStep.lMax, r.m_rngStep.lIncrement};
    });
    // a sweep never ends below its start
    m_ui->editEnd->Bind(&r.m_value.m_lEnd, &r.m_rngVolt, [&r](qint32, int) {
        return Limits{r.m_value.m_lStart, r.m_rngVolt.lMax, r.m_rngVolt.lIncrement};
    });
    m_ui->editInterval->Bind(&r.m_lInterval, &r.m_rngInterval, [&r](qint32 typed, int direction) {
        if (direction != 0)
            r.m_rngInterval.lIncrement = ConditionRules::IntervalIncrement(typed, direction);
        return Limits{r.m_rngInterval.lMin, r.m_rngInterval.lMax, r.m_rngInterval.lIncrement};
    });
    m_ui->editCount->Bind(&r.m_lCount, &r.m_rngCount, [&r](qint32, int) {
        return Limits{r.m_rngCount.lMin, r.m_rngCount.lMax, r.m_rngCount.lIncrement};
    });

    connect(m_ui->editVoltage, &CNumberBox::TextFiltered, this, &CSettingsDlg::CheckIecLevel);
    connect(m_ui->editEnd, &CNumberBox::TextFiltered, this, &CSettingsDlg::CheckIecLevel);
    connect(m_ui->editVoltage, &CNumberBox::Committed, this, &CSettingsDlg::AfterVoltageCommitted);
    connect(m_ui->editInterval, &CNumberBox::Committed, this, [&r](qint32 value, int direction) {
        if (direction == 0)
            r.m_rngInterval.lIncrement = ConditionRules::IntervalIncrement(value, 0);
    });
}

void CSettingsDlg::InitDialog() {
    CSettingData& r = m_record;
    FillComboFromTable(m_ui->comboDiscMode, g_tblDiscMode);
    FillComboFromTable(m_ui->comboIecLevel, g_tblIecLevel);
    FillComboFromTable(m_ui->comboTrig, g_tblTrig);
    FillPola();

    SelectComboByValue(m_ui->comboDiscMode, r.m_nDiscMode);
    OnDiscModeChanged();
    SelectComboByValue(m_ui->comboIecLevel, r.m_nIecLevel);
    OnIecLevelChanged();
    SelectComboByValue(m_ui->comboTrig, r.m_nTrig);
    OnTrigChanged();

    // any kind but a single voltage opens as a sweep
    m_ui->checkSweep->setChecked(r.m_value.m_nValueType != VALUE_SINGLE);
    ApplySweep();
    SelectComboByValue(m_ui->comboPola, ConditionRules::PolaRowOfSet(r.m_ulPola));
    OnPolaChanged();

    m_ui->editVoltage->Show(r.m_value.m_lValue);
    m_ui->editStep->Show(r.m_value.m_lStep);
    m_ui->editEnd->Show(r.m_value.m_lEnd);
    m_ui->editInterval->Show(r.m_lInterval);
    m_ui->editCount->Show(r.m_lCount);

    // the first control in tab order
    m_ui->buttonOk->setFocus();
}

bool CSettingsDlg::SelectedValue(const QComboBox* combo, qint32& value) {
    if (combo->currentIndex() < 0)
        return false;
    value = combo->currentData().toInt();
    return true;
}

void CSettingsDlg::FillPola() {
    FillComboFromTable(m_ui->comboPola, m_record.m_bSweep ? g_tblPola3 : g_tblPola2);
}

void CSettingsDlg::OnDiscModeChanged() {
    CSettingData& r = m_record;
    if (!SelectedValue(m_ui->comboDiscMode, r.m_nDiscMode))
        return;
    ShowIntervalControls(r.m_nDiscMode == DISC_CONTACT);
    if (ConditionRules::IsStandardLevel(r.m_nIecLevel)) {
        // the sweep's ends follow too, so that ticking SWEEP next starts from what is shown
        const qint32 volt = IecLevelVoltage(r.m_nDiscMode, r.m_nIecLevel);
        r.m_value.m_lValue = volt;
        r.m_value.m_lStart = volt;
        r.m_value.m_lEnd = volt;
    }
    m_ui->editVoltage->Show(r.m_value.m_lValue);
}

void CSettingsDlg::OnIecLevelChanged() {
    CSettingData& r = m_record;
    if (!SelectedValue(m_ui->comboIecLevel, r.m_nIecLevel))
        return;
    if (ConditionRules::IsStandardLevel(r.m_nIecLevel)) {
        const qint32 volt = IecLevelVoltage(r.m_nDiscMode, r.m_nIecLevel);
        r.m_value.m_lValue = volt;
        r.m_value.m_lStart = volt;
        r.m_value.m_lEnd = volt;
        // a sweep is always a free voltage
        if (m_ui->checkSweep->isChecked()) {
            m_ui->checkSweep->setChecked(false);
            ApplySweep();
        }
    }
    m_ui->editVoltage->Show(r.m_value.m_lValue);
}

void CSettingsDlg::OnTrigChanged() {
    SelectedValue(m_ui->comboTrig, m_record.m_nTrig);
}

void CSettingsDlg::OnPolaChanged() {
    qint32 row = 0;
    if (SelectedValue(m_ui->comboPola, row))
        m_record.m_ulPola = ConditionRules::PolaSetOfRow(row);
}

void CSettingsDlg::OnSweepClicked() {
    ApplySweep();
}

void CSettingsDlg::ApplySweep() {
    CSettingData& r = m_record;
    if (m_ui->checkSweep->isChecked()) {
        r.m_bSweep = true;
        r.m_value.m_nValueType = VALUE_SWEEP;
        FillPola();
        SelectComboByValue(m_ui->comboPola, ConditionRules::PolaRowOfSet(r.m_ulPola));
        ShowSweepControls(true);
        r.m_nIecLevel = IEC_LEVEL_X;
        SelectIecLevelRow();
        m_ui->editVoltage->Show(r.m_value.m_lValue);
        m_ui->editStep->Show(r.m_value.m_lStep);
        m_ui->editEnd->Show(r.m_value.m_lEnd);
    } else {
        r.m_bSweep = false;
        r.m_value.m_nValueType = VALUE_SINGLE;
        if (r.m_ulPola != POLA_BIT_PLUS && r.m_ulPola != POLA_BIT_MINUS)
            r.m_ulPola = POLA_BIT_PLUS;
        FillPola();
        SelectComboByValue(m_ui->comboPola, ConditionRules::PolaRowOfSet(r.m_ulPola));
        ShowSweepControls(false);
    }
}

void CSettingsDlg::ShowIntervalControls(bool show) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->labelInterval, m_ui->editInterval,
                                                      m_ui->labelIntervalUnit})
        w->setVisible(show);
}

void CSettingsDlg::ShowSweepControls(bool show) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_ui->labelStep, m_ui->editStep, m_ui->labelStepUnit,
                                         m_ui->labelEnd, m_ui->editEnd, m_ui->labelEndUnit})
        w->setVisible(show);
}

void CSettingsDlg::CheckIecLevel(const QString& text) {
    CSettingData& r = m_record;
    r.m_nIecLevel = ConditionRules::LevelForVoltage(r.m_nDiscMode, r.m_nIecLevel,
                                                    r.m_rngVolt.TextToValue(text));
    SelectIecLevelRow();
}

void CSettingsDlg::SelectIecLevelRow() {
    qint32 shown = 0;
    if (!SelectedValue(m_ui->comboIecLevel, shown) || shown != m_record.m_nIecLevel)
        SelectComboByValue(m_ui->comboIecLevel, m_record.m_nIecLevel);
}

void CSettingsDlg::AfterVoltageCommitted() {
    CSettingData& r = m_record;
    r.m_value.m_lStart = r.m_value.m_lValue;
    if (r.m_value.m_lEnd < r.m_value.m_lValue) {
        r.m_value.m_lEnd = r.m_value.m_lValue;
        m_ui->editEnd->Show(r.m_value.m_lEnd);
    }
}
