#pragma once

#include "CRecordListModel.h"
#include "CSettingData.h"

// The plan list: one row per condition, "Test No." and seven record texts.
class CPlanListModel : public CRecordListModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 8;

    explicit CPlanListModel(CSettingList* list = nullptr, QObject* parent = nullptr);

    // Shows another plan (or none).
    void SetList(CSettingList* list);
    CSettingList* List() const { return m_list; }

    // The record column shown in a list column, -1 for "Test No.".
    static int RecordColumn(int column);

protected:
    int RecordCount() const override;
    QString RecordText(int row, int recordColumn) const override;

private:
    CSettingList* m_list;
};
