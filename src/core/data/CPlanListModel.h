#pragma once

#include "data/CRecordListModel.h"
#include "data/CSettingData.h"

#include <memory>

class CVzrT8100Doc;

// The plan list: one row per condition, "Test No." and seven record texts.
// Given a document, it is also the one way its plan is edited: every change goes through
// the model, so each list that shows the plan follows it row by row.
class CPlanListModel : public CRecordListModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 8;
    // The type of a dragged plan row.
    static constexpr const char* kRowMimeType = "application/x-vzr-t8100-plan-row";

    // A plan shown read-only (the document's own model is CVzrT8100Doc::PlanModel).
    explicit CPlanListModel(CSettingList* list = nullptr, QObject* parent = nullptr);

    CSettingList* List() const { return m_list; }
    CVzrT8100Doc* Document() const { return m_pDoc; }

    // The record column shown in a list column, -1 for "Test No.".
    static int RecordColumn(int column);

    // Editing a document's plan. Each marks the document modified and rebuilds its run
    // list when the plan changed (RunListChanged). Where test points multiply the plan's
    // steps beyond CVzrT8100Doc::kMaxRunSteps, an edit is refused and changes nothing.
    //
    // Appends a condition at the end, numbered and expanded; false (the record is
    // dropped) when the plan already holds kMaxSettings conditions or more, or when the
    // run list would grow too long.
    bool AppendRecord(std::unique_ptr<CSettingData> record);
    // Copies an edited condition over the one at row and expands it again; false when the
    // run list would grow too long.
    bool UpdateRecord(int row, const CSettingData& edited);
    // Deletes the condition at row with its steps and renumbers the rest.
    bool RemoveRecord(int row);
    // A row dragged from source and dropped on target: the record ends at target. A drop
    // on the row itself still marks the document modified; target -1 (no row hit) only
    // renumbers. Returns whether a row was hit.
    bool DropRecord(int source, int target);
    // Replaces the test points and rebuilds the run list; unchanged names change nothing.
    // False (nothing changes) when the run list would hold more than kMaxRunSteps steps.
    bool SetTestPoints(const QStringList& names);
    // Gives every condition and its own steps its position as test number.
    void Renumber();
    // The document's plan replaced as a whole by replace() (a file read into it): every
    // row anew, numbered by position.
    template <class Replace> void ReplacePlan(Replace replace) {
        beginResetModel();
        replace();
        Renumber();
        endResetModel();
        emit RunListChanged();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // A row of this same plan dropped onto a row (parent is the row hit).
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The source row carried by a drag of this plan, -1 when it is not one.
    int DraggedRow(const QMimeData* data) const;

signals:
    // The document's run list was rebuilt (or its test points changed): its length and
    // its steps are new.
    void RunListChanged();

protected:
    int RecordCount() const override;
    QString RecordText(int row, int recordColumn) const override;
    int RowNumber(int row) const override;

private:
    friend class CVzrT8100Doc;
    // The plan of a document, editable; made by the document only, one for all its windows.
    // Each condition is numbered by its position, and its row is labelled with its test
    // number, so a label moves with its row until the plan is renumbered.
    explicit CPlanListModel(CVzrT8100Doc* doc);

    bool IsRow(int row) const { return row >= 0 && row < RecordCount(); }
    // Whether the plan's steps changed by delta still fit the run list at its points.
    bool RunListFits(qint64 delta) const;
    void RebuildRunList();
    // The rows first..last show new test numbers.
    void RelabelRows(int first, int last);

    CVzrT8100Doc* m_pDoc = nullptr;
    CSettingList* m_list;
};
