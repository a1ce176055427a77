#include "CPlanListModel.h"

#include "data/CVzrT8100Doc.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

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

CPlanListModel::CPlanListModel(CVzrT8100Doc* doc)
    : CRecordListModel("Test No.", kColumns, nullptr), m_pDoc(doc), m_list(&doc->GetSettingList()) {
    Renumber();
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

int CPlanListModel::RowNumber(int row) const {
    if (!m_pDoc)
        return row + 1;
    return (*m_list)[static_cast<size_t>(row)]->m_lTestNo + 1;
}

void CPlanListModel::RelabelRows(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, RecordCount() - 1);
    if (first <= last)
        emit dataChanged(index(first, 0), index(last, 0));
}

void CPlanListModel::Renumber() {
    if (!m_list)
        return;
    qint32 no = 0;
    for (auto& record : *m_list)
        record->SetTestNo(no++);
}

bool CPlanListModel::RunListFits(qint64 delta) const {
    const qint64 points = m_pDoc->TestPoints().size();
    return points == 0 || CVzrT8100Doc::RunStepCount(m_pDoc->PlanStepCount() + delta, points) <=
                              CVzrT8100Doc::kMaxRunSteps;
}

void CPlanListModel::RebuildRunList() {
    m_pDoc->RebuildExecList();
    emit RunListChanged();
}

bool CPlanListModel::AppendRecord(std::unique_ptr<CSettingData> record) {
    if (!m_pDoc || !record || RecordCount() >= CVzrT8100Doc::kMaxSettings)
        return false;
    const int row = RecordCount();
    record->SetTestNo(row);
    record->MakeExecList(record->m_edlList);
    if (!RunListFits(qint64(record->m_edlList.size())))
        return false;
    m_pDoc->SetModifiedFlag();
    beginInsertRows(QModelIndex(), row, row);
    m_list->push_back(std::move(record));
    endInsertRows();
    RebuildRunList();
    return true;
}

bool CPlanListModel::UpdateRecord(int row, const CSettingData& edited) {
    if (!m_pDoc || !IsRow(row))
        return false;
    CSettingData& record = *(*m_list)[static_cast<size_t>(row)];
    if (!m_pDoc->TestPoints().isEmpty()) {
        CExecList steps;
        edited.MakeExecList(steps);
        if (!RunListFits(qint64(steps.size()) - qint64(record.m_edlList.size())))
            return false;
    }
    m_pDoc->SetModifiedFlag();
    edited.CopyTo(record);
    record.MakeExecList(record.m_edlList);
    RebuildRunList();
    RefreshRow(row);
    return true;
}

bool CPlanListModel::SetTestPoints(const QStringList& names) {
    if (!m_pDoc)
        return false;
    if (names == m_pDoc->TestPoints())
        return true;
    if (!names.isEmpty() && CVzrT8100Doc::RunStepCount(m_pDoc->PlanStepCount(), names.size()) >
                                CVzrT8100Doc::kMaxRunSteps)
        return false;
    m_pDoc->SetModifiedFlag();
    m_pDoc->SetTestPoints(names);
    emit RunListChanged();
    return true;
}

bool CPlanListModel::RemoveRecord(int row) {
    if (!m_pDoc || !IsRow(row))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_list->erase(m_list->begin() + row);
    endRemoveRows();
    m_pDoc->SetModifiedFlag();
    // renumbered first, so that the run list carries the numbers the plan shows
    Renumber();
    RelabelRows(row, RecordCount() - 1);
    RebuildRunList();
    return true;
}

bool CPlanListModel::DropRecord(int source, int target) {
    const bool hit = m_pDoc && IsRow(target);
    if (hit) {
        m_pDoc->SetModifiedFlag();
        if (IsRow(source) && source != target) {
            // moveRows names the row before which the record goes
            const int before = target > source ? target + 1 : target;
            moveRows(QModelIndex(), source, 1, QModelIndex(), before);
        }
    }
    Renumber();
    if (hit && IsRow(source) && source != target)
        RebuildRunList();
    return hit;
}

bool CPlanListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                              const QModelIndex& destinationParent, int destinationChild) {
    if (!m_list || sourceParent.isValid() || destinationParent.isValid() || count <= 0 ||
        sourceRow < 0 || sourceRow + count > RecordCount() || destinationChild < 0 ||
        destinationChild > RecordCount() ||
        (destinationChild >= sourceRow && destinationChild <= sourceRow + count))
        return false;
    if (!beginMoveRows(QModelIndex(), sourceRow, sourceRow + count - 1, QModelIndex(),
                       destinationChild))
        return false;
    const auto first = m_list->begin() + sourceRow;
    const auto last = first + count;
    if (destinationChild < sourceRow)
        std::rotate(m_list->begin() + destinationChild, first, last);
    else
        std::rotate(first, last, m_list->begin() + destinationChild);
    endMoveRows();
    Renumber();
    RelabelRows(std::min(sourceRow, destinationChild),
                std::max(sourceRow + count, destinationChild) - 1);
    return true;
}

Qt::ItemFlags CPlanListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = CRecordListModel::flags(index);
    if (m_pDoc && index.isValid())
        f |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    return f;
}

Qt::DropActions CPlanListModel::supportedDragActions() const {
    return m_pDoc ? Qt::MoveAction : Qt::IgnoreAction;
}

Qt::DropActions CPlanListModel::supportedDropActions() const {
    return m_pDoc ? Qt::MoveAction : Qt::IgnoreAction;
}

QStringList CPlanListModel::mimeTypes() const {
    return {QLatin1String(kRowMimeType)};
}

QMimeData* CPlanListModel::mimeData(const QModelIndexList& indexes) const {
    if (!m_pDoc || indexes.isEmpty() || !IsRow(indexes.first().row()))
        return nullptr;
    // the plan it came from, so that a row never lands in another document's plan
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint64(reinterpret_cast<quintptr>(m_list)) << qint32(indexes.first().row());
    auto* data = new QMimeData;
    data->setData(QLatin1String(kRowMimeType), bytes);
    return data;
}

int CPlanListModel::DraggedRow(const QMimeData* data) const {
    if (!m_pDoc || !data || !data->hasFormat(QLatin1String(kRowMimeType)))
        return -1;
    QDataStream in(data->data(QLatin1String(kRowMimeType)));
    quint64 list = 0;
    qint32 row = -1;
    in >> list >> row;
    if (in.status() != QDataStream::Ok || list != quint64(reinterpret_cast<quintptr>(m_list)) ||
        !IsRow(row))
        return -1;
    return row;
}

bool CPlanListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex& parent) const {
    return action == Qt::MoveAction && parent.isValid() && IsRow(parent.row()) &&
           DraggedRow(data) >= 0;
}

bool CPlanListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                  const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    return DropRecord(DraggedRow(data), parent.row());
}
