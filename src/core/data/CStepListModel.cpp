#include "CStepListModel.h"

#include "data/TestPoints.h"

#include <array>

namespace {
// The list control draws its first column left-aligned whatever is asked.
constexpr std::array<CRecordListModel::Column, CStepListModel::kColumnCount> kColumns = {{
    {CRecordListModel::kNumberColumn, Qt::AlignLeft | Qt::AlignVCenter,
     QT_TRANSLATE_NOOP("CStepListModel", "Step No.")},
    {0, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "放電モード")},
    {1, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "IEC LEVEL")},
    {2, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "トリガ")},
    {3, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "極性")},
    {4, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "電圧 [kV]")},
    {6, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "放電間隔 [s]")},
    {5, Qt::AlignRight | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "放電回数 [回]")},
    {7, Qt::AlignCenter, QT_TRANSLATE_NOOP("CStepListModel", "判定")},
    {8, Qt::AlignLeft | Qt::AlignVCenter, QT_TRANSLATE_NOOP("CStepListModel", "コメント")},
}};

// The same with each step's test point after "Step No.".
constexpr auto kColumnsWithPoint = [] {
    std::array<CRecordListModel::Column, CStepListModel::kColumnCount + 1> columns{};
    columns[0] = kColumns[0];
    columns[1] = {CStepListModel::kTestPointColumn, Qt::AlignLeft | Qt::AlignVCenter,
                  QT_TRANSLATE_NOOP("CStepListModel", "テストポイント")};
    for (size_t i = 1; i < kColumns.size(); ++i)
        columns[i + 1] = kColumns[i];
    return columns;
}();
} // namespace

CStepListModel::CStepListModel(CExecList* list, QObject* parent)
    : CRecordListModel("Step No.", kColumns, parent), m_list(list) {}

CStepListModel::CStepListModel(CExecList* list, const QStringList& testPoints, QObject* parent)
    : CRecordListModel("Step No.",
                       testPoints.isEmpty() ? std::span<const Column>(kColumns)
                                            : std::span<const Column>(kColumnsWithPoint),
                       parent),
      m_list(list), m_testPoints(testPoints) {}

void CStepListModel::SetList(CExecList* list) {
    beginResetModel();
    m_list = list;
    endResetModel();
}

int CStepListModel::RecordColumn(int column) const {
    return RecordColumnOf(m_testPoints.isEmpty() ? std::span<const Column>(kColumns)
                                                 : std::span<const Column>(kColumnsWithPoint),
                          column);
}

int CStepListModel::RecordCount() const {
    return m_list ? static_cast<int>(m_list->size()) : 0;
}

// The record's own text: an out-of-range polarity or judgement is corrected in it.
QString CStepListModel::RecordText(int row, int recordColumn) const {
    const CExecData& step = *(*m_list)[static_cast<size_t>(row)];
    if (recordColumn == kTestPointColumn) {
        const int point = TestPoints::PointOf(step, m_testPoints);
        return TestPoints::Text(point, TestPoints::NameOf(m_testPoints, point));
    }
    return step.GetColumnText(recordColumn);
}
