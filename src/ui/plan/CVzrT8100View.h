#pragma once

#include <QScrollArea>
#include <memory>

class CPlanListCtrl;
class CPlanListModel;
class CSettingData;
class CTestProperty;
class CVzrT8100Cntl;
class CVzrT8100Doc;
class QPushButton;

namespace Ui {
class CVzrT8100View;
}

// The one view of a test document: the plan list on its form, with the buttons that run
// the test, edit, add and delete conditions, edit the test points, and send the plan to
// the instrument's sequence memory; above the list, the count of points and of steps. Every window
// of a document shows the document's one plan model. The test runs on the instrument controller and
// the settings the view is given.
class CVzrT8100View : public QScrollArea {
    Q_OBJECT

public:
    // Made without a parent: the document window adopts it.
    CVzrT8100View(CVzrT8100Doc* doc, CVzrT8100Cntl& cntl, CTestProperty& property);
    ~CVzrT8100View() override;

    CVzrT8100Doc* GetDocument() const { return m_pDoc; }
    CPlanListModel* GetPlanModel() const { return m_pModel; }
    CPlanListCtrl* GetListCtrl() const;

    // Once the window is placed and fitted to the form: set up the columns, fill the list.
    void OnInitialUpdate();
    // The list after a change: row 0 selected, then the row meant (when there is one).
    void FillList(int select);
    // The row selected, -1 without one.
    int SelectedRow() const;

    // The form's designed size.
    QSize DesignedSize() const;
    QSize sizeHint() const override;

public slots:
    void OnRunTest();
    void OnEdit();
    void OnAdd();
    void OnDelete();
    void OnTestPoints();
    void OnSendSequence();

protected:
    // The list stretches with the window (the viewport follows the scroll bars too).
    bool viewportEvent(QEvent* event) override;
    // Enter that no control of the form takes (the list's) presses the default button,
    // "試験実行...", as on a dialog; a focused button takes Enter itself.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnRowDropped(int target);
    void StretchList();
    // "テストポイント N 点 / ステップ M": the points and the run list's steps.
    void ShowCounts();
    // An edit refused because the run list would grow too long.
    void TellTooManySteps();

    // The dialogs the view opens; each is modal and true on OK.
    bool DoConditionDialog(CSettingData& record);
    bool DoTestInfoDialog();
    void DoExecDialog();

    std::unique_ptr<Ui::CVzrT8100View> m_ui;
    CVzrT8100Doc* m_pDoc;
    CVzrT8100Cntl& m_cntl;
    CTestProperty& m_property;
    QWidget* m_pForm;
    QSize m_sizeForm;
    CPlanListModel* m_pModel; // the document's
};
