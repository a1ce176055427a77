#include "CPlanListModel.h"

namespace {
// Interval comes before count on screen, the reverse of the record's order. The list
// control draws its first column left-aligned whatever is asked.
constexpr CRecordListModel::Column kColumns[CPlanListModel::kColumnCount] = {
    {-1, Qt::AlignLeft | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CPlanListModel", "Test No.")},
    {0, Qt::AlignCenter, QT_TRANSLATE_NOOP("CPlanListModel", "放電モード")},
    {1, Qt::AlignCenter, QT_TRANSLATE_NOOP("CPlanListModel", "IEC LEVEL")},
    {2, Qt::AlignCenter, QT_TRANSLATE_NOOP("CPlanListModel", "トリガ")},
    {3, Qt::AlignCenter, QT_TRANSLATE_NOOP("CPlanListModel", "極性")},
    {4, Qt::AlignLeft | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CPlanListModel", "電圧 [kV]")},
    {6, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CPlanListModel", "放電間隔 [s]")},
    {5, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CPlanListModel", "放電回数 [回]")},
};
} // namespace

CPlanListModel::CPlanListModel(CSettingList* list, QObject* parent)
    : CRecordListModel("Test No.", kColumns, parent), m_list(list) {}

void CPlanListModel::SetList(CSettingList* list) {
    beginResetModel();
    m_list = list;
    endResetModel();
}

int CPlanListModel::RecordColumn(int column) {
    return RecordColumnOf(kColumns, column);
}

int CPlanListModel::RecordCount() const {
    return m_list ? static_cast<int>(m_list->size()) : 0;
}

QString CPlanListModel::RecordText(int row, int recordColumn) const {
    return (*m_list)[static_cast<size_t>(row)]->GetColumnText(recordColumn);
}
