#pragma once

#include <QTableView>

class CPlanListModel;
class QMimeData;

// The plan list of the plan view: report style with grid lines, full rows, one row
// selected at a time. A row is moved by dragging it onto another row; the dragged row is
// drawn under the pointer while it moves.
class CPlanListCtrl : public QTableView {
    Q_OBJECT

public:
    explicit CPlanListCtrl(QWidget* parent = nullptr);

    // Column widths as fractions of the list's present width; called once at set-up. The
    // "Test No." column is never narrower than its labels.
    void SetUpColumns();
    int NumberColumnWidth() const;
    bool HasColumns() const;

    bool IsDragging() const { return m_bDragging; }
    int DragSource() const { return m_nDragSource; }

    // A dragged plan row let go at pos (viewport coordinates): moved onto the row there
    // when it may go there. Returns whether it was taken.
    bool DropAt(const QMimeData* data, const QPoint& pos);

    // The image drawn under the pointer while a row is dragged, and its hot spot for a
    // drag that began at pressPos (viewport coordinates).
    QPixmap RowImage(int row) const;
    QPoint RowImageHotSpot(int row, const QPoint& pressPos) const;

signals:
    // A dragged row was let go on row target of this list, or nowhere a plan row may go
    // (target -1); the plan has already been changed.
    void RowDropped(int target);
    // A double click on a row (not on the empty part below the rows).
    void ListDoubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dropEvent(QDropEvent* event) override;

private:
    CPlanListModel* PlanModel() const;

    bool m_bColumns = false;
    bool m_bDragging = false;
    int m_nDragSource = -1;
    QPoint m_ptPress;
};
