#include "CRecordListModel.h"

#include <QCoreApplication>

CRecordListModel::CRecordListModel(const char* numberPrefix, std::span<const Column> columns,
                                   QObject* parent)
    : QAbstractTableModel(parent), m_numberPrefix(numberPrefix), m_columns(columns) {}

void CRecordListModel::Refresh() {
    beginResetModel();
    endResetModel();
}

void CRecordListModel::RefreshRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int CRecordListModel::RecordColumnOf(std::span<const Column> columns, int column) {
    return column >= 0 && static_cast<size_t>(column) < columns.size()
               ? columns[static_cast<size_t>(column)].recordColumn
               : kNumberColumn;
}

int CRecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RecordCount();
}

int CRecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CRecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const Column& column = m_columns[static_cast<size_t>(index.column())];
    if (role == Qt::TextAlignmentRole)
        return column.alignment;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    if (column.recordColumn == kNumberColumn)
        return QString::asprintf("%s%3d", m_numberPrefix, RowNumber(index.row()));
    return RecordText(index.row(), column.recordColumn);
}

QVariant CRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& column = m_columns[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole)
        return QCoreApplication::translate(metaObject()->className(), column.heading);
    if (role == Qt::TextAlignmentRole)
        return column.alignment;
    return QVariant();
}
