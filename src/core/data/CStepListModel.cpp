#include "CStepListModel.h"

namespace {
// The list control draws its first column left-aligned whatever is asked.
constexpr CRecordListModel::Column kColumns[CStepListModel::kColumnCount] = {
    {-1, Qt::AlignLeft | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "Step No.")},
    {0, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "放電モード")},
    {1, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "IEC LEVEL")},
    {2, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "トリガ")},
    {3, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "極性")},
    {4, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "電圧 [kV]")},
    {6, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "放電間隔 [s]")},
    {5, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "放電回数 [回]")},
    {7, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "判定")},
    {8, Qt::AlignLeft | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "コメント")},
};
} // namespace

CStepListModel::CStepListModel(CExecList* list, QObject* parent)
    : CRecordListModel("Step No.", kColumns, parent), m_list(list) {}

void CStepListModel::SetList(CExecList* list) {
    beginResetModel();
    m_list = list;
    endResetModel();
}

int CStepListModel::RecordColumn(int column) {
    return RecordColumnOf(kColumns, column);
}

int CStepListModel::RecordCount() const {
    return m_list ? static_cast<int>(m_list->size()) : 0;
}

// The record's own text: an out-of-range polarity or judgement is corrected in it.
QString CStepListModel::RecordText(int row, int recordColumn) const {
    return (*m_list)[static_cast<size_t>(row)]->GetColumnText(recordColumn);
}
