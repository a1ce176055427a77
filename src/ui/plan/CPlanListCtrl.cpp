#include "CPlanListCtrl.h"

#include "data/CPlanListModel.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace {
// Share of the list's width per column, in 80ths; together they make 81.
constexpr int kColumnShare[] = {9, 10, 11, 7, 6, 16, 11, 11};
} // namespace

CPlanListCtrl::CPlanListCtrl(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragDropOverwriteMode(true); // a row is dropped onto a row, never between two
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
}

CPlanListModel* CPlanListCtrl::PlanModel() const {
    return qobject_cast<CPlanListModel*>(model());
}

bool CPlanListCtrl::HasColumns() const {
    return m_bColumns;
}

void CPlanListCtrl::SetUpColumns() {
    const int width =
        contentsRect().width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int columns = model() ? model()->columnCount() : 0;
    for (int c = 0; c < columns && c < int(std::size(kColumnShare)); ++c)
        setColumnWidth(c, width * kColumnShare[c] / 80);
    // the test number must stay readable whatever the face draws it as wide as
    if (columns > 0)
        setColumnWidth(0, std::max(columnWidth(0), NumberColumnWidth()));
    m_bColumns = columns > 0;
}

int CPlanListCtrl::NumberColumnWidth() const {
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return fontMetrics().horizontalAdvance(QStringLiteral("Test No.999")) + 2 * margin + 1;
}

QPixmap CPlanListCtrl::RowImage(int row) const {
    if (!model() || row < 0 || row >= model()->rowCount())
        return QPixmap();
    const QModelIndex first = model()->index(row, 0);
    const QModelIndex last = model()->index(row, model()->columnCount() - 1);
    const QRect rect = visualRect(first).united(visualRect(last)).intersected(viewport()->rect());
    if (rect.isEmpty())
        return QPixmap();
    return viewport()->grab(rect);
}

QPoint CPlanListCtrl::RowImageHotSpot(int row, const QPoint& pressPos) const {
    // the image keeps the list's left edge; the pointer holds it near the row's middle
    const QModelIndex first = model()->index(row, 0);
    const QRect rect = visualRect(first).intersected(viewport()->rect());
    const int imageLeft = viewport()->mapTo(this, QPoint(qMax(rect.left(), 0), 0)).x();
    const int x = viewport()->mapTo(this, pressPos).x() - imageLeft;
    return QPoint(x, rowHeight(row) / 2 - 2);
}

void CPlanListCtrl::mousePressEvent(QMouseEvent* event) {
    m_ptPress = event->position().toPoint();
    QTableView::mousePressEvent(event);
}

void CPlanListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit ListDoubleClicked();
}

void CPlanListCtrl::startDrag(Qt::DropActions) {
    CPlanListModel* plan = PlanModel();
    const QModelIndex pressed = indexAt(m_ptPress);
    if (!plan || !pressed.isValid())
        return;
    const int source = pressed.row();
    QMimeData* data = plan->mimeData({plan->index(source, 0)});
    if (!data)
        return;
    m_bDragging = true;
    m_nDragSource = source;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QPixmap image = RowImage(source);
    if (!image.isNull()) {
        drag->setPixmap(image);
        drag->setHotSpot(RowImageHotSpot(source, m_ptPress));
    }
    const Qt::DropAction result = drag->exec(Qt::MoveAction, Qt::MoveAction);
    m_bDragging = false;
    m_nDragSource = -1;
    if (result != Qt::MoveAction) {
        // let go where no plan row takes it: only the numbering is made good
        plan->DropRecord(source, -1);
        emit RowDropped(-1);
    }
}

bool CPlanListCtrl::DropAt(const QMimeData* data, const QPoint& pos) {
    CPlanListModel* plan = PlanModel();
    const QModelIndex target = indexAt(pos);
    const QModelIndex row = target.isValid() ? target.siblingAtColumn(0) : QModelIndex();
    if (!plan || !row.isValid() || !plan->canDropMimeData(data, Qt::MoveAction, -1, -1, row) ||
        !plan->dropMimeData(data, Qt::MoveAction, -1, -1, row))
        return false;
    emit RowDropped(row.row());
    return true;
}

void CPlanListCtrl::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (DropAt(event->mimeData(), event->position().toPoint())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}
