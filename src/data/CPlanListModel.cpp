#include "CPlanListModel.h"

namespace {
// Interval comes before count on screen, the reverse of the record's order.
constexpr int kRecordColumn[CPlanListModel::kColumnCount] = {-1, 0, 1, 2, 3, 4, 6, 5};
constexpr int kAlignment[CPlanListModel::kColumnCount] = {Qt::AlignLeft | Qt::AlignVCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignCenter,
                                                          Qt::AlignLeft | Qt::AlignVCenter,
                                                          Qt::AlignRight | Qt::AlignVCenter,
                                                          Qt::AlignRight | Qt::AlignVCenter};
const char* const kHeading[CPlanListModel::kColumnCount] = {
    QT_TRANSLATE_NOOP("CPlanListModel", "Test No."),
    QT_TRANSLATE_NOOP("CPlanListModel", "放電モード"),
    QT_TRANSLATE_NOOP("CPlanListModel", "IEC LEVEL"),
    QT_TRANSLATE_NOOP("CPlanListModel", "トリガ"),
    QT_TRANSLATE_NOOP("CPlanListModel", "極性"),
    QT_TRANSLATE_NOOP("CPlanListModel", "電圧 [kV]"),
    QT_TRANSLATE_NOOP("CPlanListModel", "放電間隔 [s]"),
    QT_TRANSLATE_NOOP("CPlanListModel", "放電回数 [回]"),
};
} // namespace

CPlanListModel::CPlanListModel(CSettingList* list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {}

void CPlanListModel::SetList(CSettingList* list) {
    beginResetModel();
    m_list = list;
    endResetModel();
}

void CPlanListModel::Refresh() {
    beginResetModel();
    endResetModel();
}

void CPlanListModel::RefreshRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

int CPlanListModel::RecordColumn(int column) {
    return column >= 0 && column < kColumnCount ? kRecordColumn[column] : -1;
}

int CPlanListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_list)
        return 0;
    return static_cast<int>(m_list->size());
}

int CPlanListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CPlanListModel::data(const QModelIndex& index, int role) const {
    if (!m_list || !index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return kAlignment[index.column()];
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    if (index.column() == 0)
        return QString::asprintf("Test No.%3d", index.row() + 1);
    return (*m_list)[static_cast<size_t>(index.row())]->GetColumnText(
        kRecordColumn[index.column()]);
}

QVariant CPlanListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return tr(kHeading[section]);
    if (role == Qt::TextAlignmentRole)
        return kAlignment[section];
    return QVariant();
}
