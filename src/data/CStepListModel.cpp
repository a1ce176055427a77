#include "CStepListModel.h"

namespace {
constexpr int kRecordColumn[CStepListModel::kColumnCount] = {-1, 0, 1, 2, 3, 4, 6, 5, 7, 8};
constexpr int kAlignment[CStepListModel::kColumnCount] = {Qt::AlignLeft | Qt::AlignVCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignRight | Qt::AlignVCenter,
                                                          Qt::AlignRight | Qt::AlignVCenter,
                                                          Qt::AlignRight | Qt::AlignVCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignLeft | Qt::AlignVCenter};
const char* const kHeading[CStepListModel::kColumnCount] = {
    QT_TRANSLATE_NOOP("CStepListModel", "Step No."),
    QT_TRANSLATE_NOOP("CStepListModel", "放電モード"),
    QT_TRANSLATE_NOOP("CStepListModel", "IEC LEVEL"),
    QT_TRANSLATE_NOOP("CStepListModel", "トリガ"),
    QT_TRANSLATE_NOOP("CStepListModel", "極性"),
    QT_TRANSLATE_NOOP("CStepListModel", "電圧 [kV]"),
    QT_TRANSLATE_NOOP("CStepListModel", "放電間隔 [s]"),
    QT_TRANSLATE_NOOP("CStepListModel", "放電回数 [回]"),
    QT_TRANSLATE_NOOP("CStepListModel", "判定"),
    QT_TRANSLATE_NOOP("CStepListModel", "コメント"),
};
} // namespace

CStepListModel::CStepListModel(CExecList* list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {}

void CStepListModel::SetList(CExecList* list) {
    beginResetModel();
    m_list = list;
    endResetModel();
}

void CStepListModel::Refresh() {
    beginResetModel();
    endResetModel();
}

void CStepListModel::RefreshRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

int CStepListModel::RecordColumn(int column) {
    return column >= 0 && column < kColumnCount ? kRecordColumn[column] : -1;
}

int CStepListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_list)
        return 0;
    return static_cast<int>(m_list->size());
}

int CStepListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CStepListModel::data(const QModelIndex& index, int role) const {
    if (!m_list || !index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return kAlignment[index.column()];
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    if (index.column() == 0)
        return QString::asprintf("Step No.%3d", index.row() + 1);
    // The record's own text: an out-of-range polarity or judgement is corrected in it.
    return (*m_list)[static_cast<size_t>(index.row())]->GetColumnText(
        kRecordColumn[index.column()]);
}

QVariant CStepListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return tr(kHeading[section]);
    if (role == Qt::TextAlignmentRole)
        return kAlignment[section];
    return QVariant();
}
