#pragma once

#include "CSettingData.h"

#include <QAbstractTableModel>

// The plan list: one row per condition, "Test No." and seven record texts.
class CPlanListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 8;

    explicit CPlanListModel(CSettingList* list = nullptr, QObject* parent = nullptr);

    // Shows another plan (or none).
    void SetList(CSettingList* list);
    CSettingList* List() const { return m_list; }
    // The plan changed in length or order: rebuild every row.
    void Refresh();
    // One condition changed in place.
    void RefreshRow(int row);

    // The record column shown in a list column, -1 for "Test No.".
    static int RecordColumn(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    CSettingList* m_list;
};
