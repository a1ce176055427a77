#pragma once

#include "data/CExecData.h"
#include "data/CRecordListModel.h"

#include <QStringList>

// The results list: one row per step of a run list, "Step No." and nine record texts; a
// run list of a plan with test points also shows each step's point after "Step No.".
class CStepListModel : public CRecordListModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 10;
    // The record column of the test point.
    static constexpr int kTestPointColumn = -2;

    explicit CStepListModel(CExecList* list = nullptr, QObject* parent = nullptr);
    // The columns are chosen here: with points, a "テストポイント" column follows "Step No.".
    CStepListModel(CExecList* list, const QStringList& testPoints, QObject* parent = nullptr);

    void SetList(CExecList* list);
    CExecList* List() const { return m_list; }
    const QStringList& TestPoints() const { return m_testPoints; }

    // The record column shown in a list column: kNumberColumn for "Step No.",
    // kTestPointColumn for the point.
    int RecordColumn(int column) const;

protected:
    int RecordCount() const override;
    QString RecordText(int row, int recordColumn) const override;

private:
    CExecList* m_list;
    QStringList m_testPoints;
};
