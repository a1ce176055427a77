#pragma once

#include "data/CExecData.h"
#include "data/CRecordListModel.h"

// The results list: one row per step of a run list, "Step No." and nine record texts.
class CStepListModel : public CRecordListModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 10;

    explicit CStepListModel(CExecList* list = nullptr, QObject* parent = nullptr);

    void SetList(CExecList* list);
    CExecList* List() const { return m_list; }

    // The record column shown in a list column, -1 for "Step No.".
    static int RecordColumn(int column);

protected:
    int RecordCount() const override;
    QString RecordText(int row, int recordColumn) const override;

private:
    CExecList* m_list;
};
