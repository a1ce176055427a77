#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <span>

// A list of records shown as a table: column 0 numbers the rows from 1 ("Test No.%3d",
// "Step No.%3d"), every further column shows one column text of the row's record.
class CRecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // One list column: the record column it shows (-1 for the row number), its
    // alignment and its heading (translated in the context of the concrete model).
    // The record column of the row number.
    static constexpr int kNumberColumn = -1;

    struct Column {
        int recordColumn; // kNumberColumn, a record's column, or a model's own
        int alignment;
        const char* heading;
    };

    // The list changed in length or order: rebuild every row.
    void Refresh();
    // One record changed in place.
    void RefreshRow(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    // numberPrefix comes before the 1-based row number ("Test No."); columns must
    // outlive the model.
    CRecordListModel(const char* numberPrefix, std::span<const Column> columns, QObject* parent);

    // The record column shown in a list column, -1 for the row number or no column.
    static int RecordColumnOf(std::span<const Column> columns, int column);

    virtual int RecordCount() const = 0;
    // The number shown after the prefix in column 0: the 1-based row.
    virtual int RowNumber(int row) const { return row + 1; }
    // Column text of the record at row (row is valid, recordColumn not kNumberColumn).
    virtual QString RecordText(int row, int recordColumn) const = 0;

private:
    const char* m_numberPrefix;
    std::span<const Column> m_columns;
};
