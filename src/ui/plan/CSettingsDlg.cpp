#include "CSettingsDlg.h"

#include "common/CNumberBox.h"
#include "data/CSettingData.h"
#include "data/SelectTable.h"
#include "ui_CSettingsDlg.h"

#include <QLabel>

using NumberEntry::Limits;

namespace {
Limits LimitsOf(const ValueRange& range) {
    return {range.lMin, range.lMax, range.lIncrement};
}
} // namespace

CSettingsDlg::CSettingsDlg(CSettingData& record, QWidget* parent)
    // a fixed template: the size the form was laid out for, no maximise button
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_record(record), m_ui(new Ui::CSettingsDlg) {
    m_ui->setupUi(this);

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
    m_ui->editVoltage->Bind(&r.m_value.m_lValue, &r.m_rngVolt,
                            [&r](qint32, int) { return LimitsOf(r.m_rngVolt); });
    // the step is shown in kV like the voltages but has its own bounds
    m_ui->editStep->Bind(&r.m_value.m_lStep, &r.m_rngVolt,
                         [&r](qint32, int) { return LimitsOf(r.m_rngStep); });
    m_ui->editEnd->Bind(&r.m_value.m_lEnd, &r.m_rngVolt,
                        [&r](qint32, int) { return r.EndLimits(); });
    m_ui->editInterval->Bind(&r.m_lInterval, &r.m_rngInterval, [&r](qint32 typed, int direction) {
        return r.IntervalLimits(typed, direction);
    });
    m_ui->editCount->Bind(&r.m_lCount, &r.m_rngCount,
                          [&r](qint32, int) { return LimitsOf(r.m_rngCount); });

    connect(m_ui->editVoltage, &CNumberBox::TextFiltered, this, &CSettingsDlg::CheckIecLevel);
    connect(m_ui->editEnd, &CNumberBox::TextFiltered, this, &CSettingsDlg::CheckIecLevel);
    connect(m_ui->editVoltage, &CNumberBox::Committed, this, &CSettingsDlg::AfterVoltageCommitted);
    connect(m_ui->editInterval, &CNumberBox::Committed, this, [&r](qint32, int direction) {
        if (direction == 0)
            r.FitIntervalIncrement();
    });
}

void CSettingsDlg::InitDialog() {
    CSettingData& r = m_record;
    FillComboFromTable(m_ui->comboDiscMode, g_tblDiscMode);
    FillComboFromTable(m_ui->comboIecLevel, g_tblIecLevel);
    FillComboFromTable(m_ui->comboTrig, g_tblTrig);
    FillPola();
    // the flag follows the SWEEP box, still clear until the kind of voltage sets both
    // below: the level read on the way has no sweep to end
    r.m_bSweep = false;

    SelectComboByValue(m_ui->comboDiscMode, r.m_nDiscMode);
    OnDiscModeChanged();
    SelectComboByValue(m_ui->comboIecLevel, r.m_nIecLevel);
    OnIecLevelChanged();
    SelectComboByValue(m_ui->comboTrig, r.m_nTrig);
    OnTrigChanged();

    // any kind but a single voltage opens as a sweep
    m_ui->checkSweep->setChecked(r.m_value.m_nValueType != VALUE_SINGLE);
    OnSweepClicked();
    SelectComboByValue(m_ui->comboPola, r.PolarityCode());
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
    qint32 mode = 0;
    if (!SelectedValue(m_ui->comboDiscMode, mode))
        return;
    r.SetDiscMode(mode);
    ShowIntervalControls(r.m_nDiscMode == DISC_CONTACT);
    m_ui->editVoltage->Show(r.m_value.m_lValue);
}

void CSettingsDlg::OnIecLevelChanged() {
    CSettingData& r = m_record;
    qint32 level = 0;
    if (!SelectedValue(m_ui->comboIecLevel, level))
        return;
    r.SetIecLevel(level);
    if (m_ui->checkSweep->isChecked() != r.m_bSweep) {
        m_ui->checkSweep->setChecked(r.m_bSweep);
        ShowSweep();
    }
    m_ui->editVoltage->Show(r.m_value.m_lValue);
}

void CSettingsDlg::OnTrigChanged() {
    SelectedValue(m_ui->comboTrig, m_record.m_nTrig);
}

void CSettingsDlg::OnPolaChanged() {
    qint32 code = 0;
    if (SelectedValue(m_ui->comboPola, code))
        m_record.SetPolarityCode(code);
}

void CSettingsDlg::OnSweepClicked() {
    m_record.SetSweep(m_ui->checkSweep->isChecked());
    ShowSweep();
}

void CSettingsDlg::ShowSweep() {
    const CSettingData& r = m_record;
    FillPola();
    SelectComboByValue(m_ui->comboPola, r.PolarityCode());
    ShowSweepControls(r.m_bSweep);
    if (!r.m_bSweep)
        return;
    SelectIecLevelRow();
    m_ui->editVoltage->Show(r.m_value.m_lValue);
    m_ui->editStep->Show(r.m_value.m_lStep);
    m_ui->editEnd->Show(r.m_value.m_lEnd);
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
    m_record.CheckLevel(m_record.m_rngVolt.TextToValue(text));
    SelectIecLevelRow();
}

void CSettingsDlg::SelectIecLevelRow() {
    qint32 shown = 0;
    if (!SelectedValue(m_ui->comboIecLevel, shown) || shown != m_record.m_nIecLevel)
        SelectComboByValue(m_ui->comboIecLevel, m_record.m_nIecLevel);
}

void CSettingsDlg::AfterVoltageCommitted() {
    if (m_record.FollowVoltage())
        m_ui->editEnd->Show(m_record.m_value.m_lEnd);
}
