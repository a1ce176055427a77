#pragma once

#include "CExecData.h"

#include <QAbstractTableModel>

// The results list: one row per step of a run list, "Step No." and nine record texts.
class CStepListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 10;

    explicit CStepListModel(CExecList* list = nullptr, QObject* parent = nullptr);

    void SetList(CExecList* list);
    CExecList* List() const { return m_list; }
    // The run list changed in length or order (rebuilt, bulk judgement): every row.
    void Refresh();
    // One step's judgement or comment changed.
    void RefreshRow(int row);

    // The record column shown in a list column, -1 for "Step No.".
    static int RecordColumn(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    CExecList* m_list;
};
