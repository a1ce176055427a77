// The plan view in the real main window, offscreen, against the simulated instrument.
#include "common/CNumberBox.h"
#include "common/Plans.h"
#include "common/SimulatedInstrument.h"
#include "common/WhenModal.h"
#include "data/CPlanListModel.h"
#include "data/CVzrT8100Doc.h"
#include "dialogs/CTestInfoDlg.h"
#include "plan/CPlanListCtrl.h"
#include "plan/CSettingsDlg.h"
#include "plan/CTestPointDlg.h"
#include "plan/CVzrT8100View.h"
#include "settings/CTestProperty.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CVzrT8100App.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

CVzrT8100Sim* g_sim = nullptr;

// Types into a number box of the condition dialog and commits it.
void typeInto(QWidget* dlg, const char* name, const QString& text) {
    auto* box = dlg->findChild<CNumberBox*>(name);
    QVERIFY2(box, name);
    // focus moves, and with them the box's commit, reach only the active window: on a busy
    // machine the dialog may not be active yet when it is first seen
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    box->setFocus(Qt::TabFocusReason);
    box->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(box, text);
    dlg->findChild<QWidget*>("comboDiscMode")->setFocus(Qt::TabFocusReason);
}

CVzrT8100View* viewOf(CMainFrame& frame) {
    return qobject_cast<CVzrT8100View*>(frame.ActiveFrame()->widget());
}

QStringList labels(const QAbstractItemModel* m) {
    QStringList result;
    for (int r = 0; r < m->rowCount(); ++r)
        result << m->data(m->index(r, 0)).toString();
    return result;
}

// What a real drag of a row carried, caught as it ended: offscreen no window takes a drag,
// so it ends at once as if let go outside the list.
struct Dragged {
    int dropped = -2; // the row it was dropped on, -1 for none; -2 while it has not ended
    QPixmap image;
    QPoint hotSpot;
    std::unique_ptr<QMimeData> data;
    QPoint from; // where the pointer pressed, in the viewport
};
Dragged dragRow(CPlanListCtrl* list, int row) {
    Dragged d;
    d.from = list->visualRect(list->model()->index(row, 1)).center();
    const auto caught = QObject::connect(list, &CPlanListCtrl::RowDropped, [&](int target) {
        d.dropped = target;
        const QList<QDrag*> drags = list->findChildren<QDrag*>();
        if (drags.isEmpty())
            return;
        d.image = drags.last()->pixmap();
        d.hotSpot = drags.last()->hotSpot();
        d.data = std::make_unique<QMimeData>();
        for (const QString& format : drags.last()->mimeData()->formats())
            d.data->setData(format, drags.last()->mimeData()->data(format));
    });
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, d.from);
    for (int dy = 4; dy <= 40 && d.dropped == -2; dy += 4)
        QTest::mouseMove(list->viewport(), d.from + QPoint(0, dy));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, d.from + QPoint(0, 40));
    QObject::disconnect(caught);
    return d;
}

// A dragged row let go at a point of the list's viewport, as the window system hands it to
// the list: it enters, moves, and is dropped where the list takes it. Whether it was taken.
bool dropAt(CPlanListCtrl* list, const QMimeData* data, const QPoint& at) {
    QWidget* viewport = list->viewport();
    QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, {});
    if (enter.isAccepted())
        QApplication::sendEvent(viewport, &move);
    if (!enter.isAccepted() || !move.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(viewport, &leave);
        return false;
    }
    QDropEvent drop(at, Qt::MoveAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

// Whether a cell shows its whole text: the style draws it inside the cell less a margin on
// each side, and elides what does not fit.
bool shownWhole(const QTableView* view, const QModelIndex& index) {
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int room = view->visualRect(index).width() - 2 * margin;
    const QString text = index.data().toString();
    if (view->fontMetrics().horizontalAdvance(text) <= room)
        return true;
    qWarning("'%s' needs %d pixels, has %d", qPrintable(text),
             view->fontMetrics().horizontalAdvance(text), room);
    return false;
}

} // namespace

// A main window on the program's instrument and settings.
std::unique_ptr<CMainFrame> makeMainFrame() {
    CVzrT8100App* app = CVzrT8100App::Instance();
    return std::make_unique<CMainFrame>(app->GetCntl(), app->GetProperty());
}

class TestPlanView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CMainFrame> m_frame;

    // A main window with one new document of n counted conditions (n = 0: as made).
    CVzrT8100View* open(int n = 0) {
        if (n == 0)
            return openWith(nullptr);
        return openWith([n](CVzrT8100Doc& doc) { plans::SetCountedPlan(doc, n); });
    }
    // A main window with one new document whose plan plan sets, in place before the window
    // shows it.
    CVzrT8100View* openWith(std::function<void(CVzrT8100Doc&)> plan) {
        m_frame = makeMainFrame();
        m_frame->resize(1000, 800);
        m_frame->show();
        if (plan) {
            CChildFrame::SetViewFactory([plan](CVzrT8100Doc* doc, CChildFrame*) {
                plan(*doc);
                CVzrT8100App* app = CVzrT8100App::Instance();
                return new CVzrT8100View(doc, app->GetCntl(), app->GetProperty());
            });
        }
        m_frame->NewDocument();
        CChildFrame::SetViewFactory(nullptr);
        return viewOf(*m_frame);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_dir->path().toLocal8Bit());
        CChildFrame::ResetFirstWindowPending();
        g_sim->ClearLog();
        g_sim->ClearRefusals();
        QVERIFY(CVzrT8100App::Instance()->GetCntl().IsConnected());
    }
    void cleanup() {
        if (m_frame) {
            for (CVzrT8100Doc* doc : m_frame->GetDocTemplate().Documents())
                doc->SetModifiedFlag(false);
        }
        m_frame.reset();
    }

    void newDocumentForm() {
        CVzrT8100View* view = open();
        QVERIFY(view);
        QCOMPARE(view->objectName(), QString("planView"));
        CPlanListCtrl* list = view->findChild<CPlanListCtrl*>("listPlan");
        QVERIFY(list && list == view->GetListCtrl());
        // a new document: its one default condition, labelled 1 and selected
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(labels(list->model()), QStringList{"Test No.  1"});
        QCOMPARE(view->SelectedRow(), 0);
        QCOMPARE(list->currentIndex().row(), 0);
        QVERIFY(!view->GetDocument()->IsModified());

        const struct {
            const char* name;
            const char* text;
        } buttons[] = {{"buttonRun", "試験実行..."},      {"buttonTestPoints", "テストポイント..."},
                       {"buttonEdit", "試験条件設定..."}, {"buttonAdd", "追加..."},
                       {"buttonDelete", "削除..."},       {"buttonSendSequence", "SEQUENCE送信"}};
        for (const auto& b : buttons) {
            auto* button = view->findChild<QPushButton*>(b.name);
            QVERIFY2(button, b.name);
            QCOMPARE(button->text(), QString(b.text));
            QCOMPARE(button->accessibleName(), QString(b.text));
        }
        QVERIFY(!view->findChild<QPushButton*>("buttonSendSequence")->isVisible());
        QVERIFY(view->findChild<QPushButton*>("buttonRun")->isVisible());
        // on the fixed form nothing the operator sees lies over anything else
        QList<QWidget*> shown;
        for (QWidget* w : view->widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                shown << w;
        for (int i = 0; i < shown.size(); ++i)
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                         qPrintable(shown[i]->objectName() + " " + shown[j]->objectName()));
        QCOMPARE(view->findChild<QLabel*>("labelTestPoints")->text(),
                 QString("テストポイント 0 点 / ステップ 1"));
        QVERIFY(!list->accessibleName().isEmpty());

        QCOMPARE(list->model()->columnCount(), 8);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(list->showGrid());
        QVERIFY(!list->horizontalHeader()->sectionsClickable());
        QVERIFY(!list->verticalHeader()->isVisible());
        QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(list->model()->headerData(5, Qt::Horizontal).toString(), QString("電圧 [kV]"));
    }

    // A condition's texts read whole in the list as it is set up, at the widest values: the
    // test number up to the largest a plan from a file may show, the mode, the level, the
    // polarities, a single voltage, the interval, the count. (EXTERNAL and a sweep's
    // voltages are wider than their columns' share of the form.)
    void textsReadWhole() {
        CVzrT8100View* view = openWith([](CVzrT8100Doc& doc) {
            std::vector<CSettingData> conds;
            for (int i = 0; i < 999; ++i)
                conds.push_back(plans::Cond([i](CSettingData& s) {
                    s.m_nDiscMode = i % 2;
                    s.m_nIecLevel = i % 5;
                    s.m_nTrig = i % 2 ? TRIG_VZR : TRIG_GUN;
                    s.m_ulPola = quint32(i % 3 + 1);
                    s.m_value.m_lValue = 30500 - i * 10;
                    s.m_lInterval = 600000 - i * 10;
                    s.m_lCount = 60000 - i;
                }));
            plans::SetPlan(doc, conds);
        });
        CPlanListCtrl* list = view->GetListCtrl();
        QCOMPARE(labels(list->model()).last(), QString("Test No.999"));
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            for (int column : {0, 1, 2, 4, 5, 6, 7})
                QVERIFY(shownWhole(list, list->model()->index(row, column)));
        }
    }

    void deleteRows_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<int>("selected");
        QTest::newRow("first of three") << 3 << 0 << QList<int>{1, 2} << 0;
        QTest::newRow("last of three") << 3 << 2 << QList<int>{0, 1} << 1;
        QTest::newRow("middle of three") << 3 << 1 << QList<int>{0, 2} << 1;
        QTest::newRow("the only one") << 1 << 0 << QList<int>{} << -1;
    }
    void deleteRows() {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(QList<int>, left);
        QFETCH(int, selected);
        CVzrT8100View* view = open(rows);
        CVzrT8100Doc* doc = view->GetDocument();
        view->FillList(row);
        BoxSeen asked;
        AnswerNextBox(QMessageBox::Ok, &asked);
        view->findChild<QPushButton*>("buttonDelete")->click();
        QCOMPARE(asked.text, QString("Test No. %1を削除します").arg(row + 1, 3));
        QCOMPARE(asked.icon, QMessageBox::Warning);
        QCOMPARE(asked.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(plans::CountedOrder(*doc), left);
        QVERIFY(doc->IsModified());
        QCOMPARE(view->SelectedRow(), selected);
        QStringList expected;
        for (int i = 0; i < left.size(); ++i) {
            expected << QString::asprintf("Test No.%3d", i + 1);
            QCOMPARE(doc->GetSettingList()[size_t(i)]->m_lTestNo, i);
            QCOMPARE(doc->GetSettingList()[size_t(i)]->m_edlList[0]->m_lTestNo, i);
        }
        QCOMPARE(labels(view->GetListCtrl()->model()), expected);
        // the run list follows the plan, numbers included
        QCOMPARE(doc->GetExecList().size(), size_t(left.size()));
        for (int i = 0; i < left.size(); ++i) {
            QCOMPARE(doc->GetExecList()[size_t(i)]->m_lTestNo, i);
            QCOMPARE(doc->GetExecList()[size_t(i)]->m_lCount, 100 + left[i]);
        }
    }

    void deleteCancelledOrWithoutSelection() {
        CVzrT8100View* view = open(3);
        CVzrT8100Doc* doc = view->GetDocument();
        view->FillList(1);
        AnswerNextBox(QMessageBox::Cancel);
        view->findChild<QPushButton*>("buttonDelete")->click();
        QCOMPARE(plans::CountedOrder(*doc), (QList<int>{0, 1, 2}));
        QVERIFY(!doc->IsModified());
        QCOMPARE(view->SelectedRow(), 1);
        // without a selection nothing is asked; the plan is still renumbered
        view->GetListCtrl()->selectionModel()->clear();
        doc->GetSettingList()[2]->SetTestNo(9);
        view->findChild<QPushButton*>("buttonDelete")->click();
        QCOMPARE(doc->GetSettingList()[2]->m_lTestNo, 2);
        QCOMPARE(plans::CountedOrder(*doc), (QList<int>{0, 1, 2}));
        QVERIFY(!doc->IsModified());
    }

    void dropOntoRows_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<int>>("result");
        QTest::newRow("4 onto 1") << 4 << 1 << QList<int>{0, 4, 1, 2, 3};
        QTest::newRow("1 onto 4") << 1 << 4 << QList<int>{0, 2, 3, 4, 1};
        QTest::newRow("onto itself") << 2 << 2 << QList<int>{0, 1, 2, 3, 4};
    }
    void dropOntoRows() {
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(QList<int>, result);
        CVzrT8100View* view = open(5);
        CVzrT8100Doc* doc = view->GetDocument();
        CPlanListCtrl* list = view->GetListCtrl();
        const Dragged dragged = dragRow(list, source);
        QVERIFY(dragged.data);
        const QPoint at = list->visualRect(list->model()->index(target, 3)).center();
        QVERIFY(dropAt(list, dragged.data.get(), at));
        QCOMPARE(plans::CountedOrder(*doc), result);
        QVERIFY(doc->IsModified()); // a drop onto itself too
        QCOMPARE(view->SelectedRow(), target);
        QCOMPARE(list->currentIndex().row(), target);
        QCOMPARE(labels(list->model()).at(target), QString::asprintf("Test No.%3d", target + 1));
    }

    void dropBelowTheRows() {
        CVzrT8100View* view = open(3);
        CPlanListCtrl* list = view->GetListCtrl();
        const Dragged dragged = dragRow(list, 2);
        view->GetDocument()->SetModifiedFlag(false);
        const QPoint empty(20, list->viewport()->height() - 5);
        QVERIFY(!list->indexAt(empty).isValid());
        QVERIFY(!dropAt(list, dragged.data.get(), empty));
        QCOMPARE(plans::CountedOrder(*view->GetDocument()), (QList<int>{0, 1, 2}));
        QVERIFY(!view->GetDocument()->IsModified());
        // nor does a row of another document's plan land here
        CVzrT8100Doc other;
        CPlanListModel& otherModel = other.PlanModel();
        std::unique_ptr<QMimeData> foreign(otherModel.mimeData({otherModel.index(0, 0)}));
        QVERIFY(foreign);
        QVERIFY(
            !dropAt(list, foreign.get(), list->visualRect(list->model()->index(1, 3)).center()));
        QCOMPARE(plans::CountedOrder(*view->GetDocument()), (QList<int>{0, 1, 2}));
    }

    void dragLetGoWhereNothingTakesIt() {
        CVzrT8100View* view = open(4);
        CPlanListCtrl* list = view->GetListCtrl();
        CVzrT8100Doc* doc = view->GetDocument();
        doc->GetSettingList()[3]->SetTestNo(8);
        const Dragged dragged = dragRow(list, 2);
        QCOMPARE(dragged.dropped, -1);
        QVERIFY(!list->IsDragging());
        QCOMPARE(plans::CountedOrder(*doc), (QList<int>{0, 1, 2, 3}));
        QCOMPARE(doc->GetSettingList()[3]->m_lTestNo, 3); // renumbered
        QVERIFY(!doc->IsModified());
        QCOMPARE(view->SelectedRow(), 0);
        // the image that followed the pointer was the dragged row, lying over the row as it
        // lay in the list: its left edge on the row's, its top within two pixels of the row's
        const QRect row = list->visualRect(list->model()->index(2, 0))
                              .united(list->visualRect(list->model()->index(2, 7)))
                              .intersected(list->viewport()->rect());
        QCOMPARE(dragged.image.size(), row.size());
        const QPoint imageAt = dragged.from - dragged.hotSpot;
        QCOMPARE(imageAt.x(), row.left());
        QVERIFY2(qAbs(imageAt.y() - row.top()) <= 2, qPrintable(QString::number(imageAt.y())));
    }

    void secondWindowSharesThePlan() {
        CVzrT8100View* first = open(3);
        m_frame->findChild<QAction*>("actionWindowNew")->trigger();
        CVzrT8100View* second = viewOf(*m_frame);
        QVERIFY(second && second != first);
        QCOMPARE(second->GetDocument(), first->GetDocument());
        QVERIFY(second->GetListCtrl() != first->GetListCtrl());
        // filled when it opened
        QCOMPARE(second->GetListCtrl()->model()->rowCount(), 3);
        QCOMPARE(second->SelectedRow(), 0);
        // a change in one is seen in the other at once; each keeps its own selection
        first->FillList(1);
        AnswerNextBox(QMessageBox::Ok);
        first->OnDelete();
        QCOMPARE(second->GetListCtrl()->model()->rowCount(), 2);
        QCOMPARE(labels(second->GetListCtrl()->model()),
                 (QStringList{"Test No.  1", "Test No.  2"}));
        QCOMPARE(second->SelectedRow(), 0);
        // closing one window leaves the other working on the plan
        m_frame->ActiveFrame()->close();
        QTRY_COMPARE(m_frame->GetMdiArea()->subWindowList().size(), 1);
        QCOMPARE(first->GetListCtrl()->model()->rowCount(), 2);
    }

    void sequenceSent() {
        CVzrT8100View* view = open(3);
        CVzrT8100Doc* doc = view->GetDocument();
        auto* button = view->findChild<QPushButton*>("buttonSendSequence");
        // cancelled: not a byte to the instrument
        const int enqs = g_sim->EnqCount();
        BoxSeen question;
        AnswerNextBox(QMessageBox::Cancel, &question);
        button->click();
        QCOMPARE(question.text,
                 QString("VZR-T8100内部のSEQUENCEデータを書き換えます。\nよろしいですか?"));
        QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(g_sim->EnqCount(), enqs);

        BoxSeen done;
        AnswerNextBox(QMessageBox::Ok);
        QTimer::singleShot(0, [&done] { AnswerNextBox(QMessageBox::Ok, &done); });
        button->click();
        QCOMPARE(done.text, QString("完了しました"));
        QCOMPARE(done.icon, QMessageBox::Warning);
        const QStringList log = g_sim->CommandLog();
        QCOMPARE(log.filter(QRegularExpression("^P[QR]")),
                 (QStringList{"PQ1/20/100/100/0/0/1", "PQ2/20/100/101/0/0/1",
                              "PQ3/20/100/102/0/0/1", "PR1/1/2/3"}));
        QCOMPARE(plans::CountedOrder(*doc), (QList<int>{0, 1, 2}));
        QVERIFY(!doc->IsModified());
    }

    void sequenceRefused() {
        CVzrT8100View* view = open(3);
        g_sim->RefuseCommand("PQ2");
        BoxSeen done;
        AnswerNextBox(QMessageBox::Ok);
        QTimer::singleShot(0, [&done] { AnswerNextBox(QMessageBox::Ok, &done); });
        view->OnSendSequence();
        QCOMPARE(done.text, QString("送信出来ませんでした"));
        const QStringList sent = g_sim->CommandLog().filter(QRegularExpression("^P[QR]"));
        QCOMPARE(sent.size(), 2); // PQ1 and the refused PQ2; nothing after
        QVERIFY(sent.at(1).startsWith("PQ2/"));
    }

    void sequenceOfAnEmptyPlan() {
        CVzrT8100View* view = open(1);
        AnswerNextBox(QMessageBox::Ok);
        view->OnDelete();
        QCOMPARE(view->GetListCtrl()->model()->rowCount(), 0);
        QCOMPARE(view->SelectedRow(), -1);
        g_sim->ClearLog();
        const int enqs = g_sim->EnqCount();
        BoxSeen done;
        AnswerNextBox(QMessageBox::Ok);
        QTimer::singleShot(0, [&done] { AnswerNextBox(QMessageBox::Ok, &done); });
        view->OnSendSequence();
        QCOMPARE(done.text, QString("完了しました"));
        QCOMPARE(g_sim->EnqCount(), enqs);
        QVERIFY(g_sim->CommandLog().isEmpty());
    }

    void listStretchesWithTheWindow() {
        CVzrT8100View* view = open();
        CPlanListCtrl* list = view->GetListCtrl();
        const int gap = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
        CChildFrame* frame = m_frame->ActiveFrame();
        QList<int> widths;
        for (int c = 0; c < list->model()->columnCount(); ++c)
            widths << list->columnWidth(c);
        frame->resize(900, 700);
        QTRY_COMPARE(list->width(), view->viewport()->width() - list->x() - gap);
        QCOMPARE(list->height(), view->viewport()->height() - list->y() - gap);
        QVERIFY(list->width() > 593);
        // smaller than the form: the form keeps its size and scrolls
        frame->resize(300, 250);
        const QSize design = view->DesignedSize();
        QTRY_COMPARE(list->width(), design.width() - list->x() - gap);
        QCOMPARE(list->height(), design.height() - list->y() - gap);
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        // the columns keep the widths they were given when the list was set up
        for (int c = 0; c < list->model()->columnCount(); ++c)
            QCOMPARE(list->columnWidth(c), widths[c]);
    }

    void frameFitsTheForm() {
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_CX, "950");
        CTestProperty::WriteIniString(INI_SECTION_MDICHILD_X, INI_KEY_MDICHILD_CY, "300");
        CVzrT8100View* view = open();
        // wider than the form: shrunk; lower: kept
        CChildFrame* frame = m_frame->ActiveFrame();
        QVERIFY(frame->width() < 950);
        QCOMPARE(view->width(), view->sizeHint().width());
        QCOMPARE(frame->height(), 300);
    }

    // On a desktop of 1280 x 1024 new windows open cascaded and large enough for the form,
    // also when made before the main window shows (start-up), then fit it: no scroll bars.
    void freshWindowShowsItsWholeForm() {
        for (const bool shownFirst : {true, false}) {
            m_frame = makeMainFrame();
            m_frame->resize(1280, 1024);
            m_frame->setVisible(shownFirst);
            m_frame->NewDocument();
            m_frame->NewDocument();
            m_frame->show();
            const QList<QMdiSubWindow*> windows = m_frame->GetMdiArea()->subWindowList();
            QVERIFY(windows[1]->pos().x() > windows[0]->pos().x());
            for (QMdiSubWindow* window : windows) {
                auto* view = qobject_cast<CVzrT8100View*>(window->widget());
                QTRY_COMPARE(view->size(), view->sizeHint());
                QVERIFY(!view->horizontalScrollBar()->isVisible());
            }
            cleanup();
        }
    }

    void runTestCancelledKeepsTheTestTime() {
        CVzrT8100View* view = open();
        CTestProperty& property = CVzrT8100App::Instance()->GetProperty();
        property.m_tmTest = 1234567;
        QString shownDate;
        WhenModal<CTestInfoDlg>([&](CTestInfoDlg* dlg) {
            // the dialog shows the time of the test about to start
            shownDate = dlg->findChild<QLineEdit*>("editTestDate")->text();
            dlg->findChild<QPushButton*>("buttonCancel")->click();
        });
        view->findChild<QPushButton*>("buttonRun")->click();
        QCOMPARE(shownDate, QDate::currentDate().toString("yyyy/MM/dd"));
        QCOMPARE(property.m_tmTest, std::int64_t(1234567));
        QVERIFY(!view->GetDocument()->IsModified());
    }

    // Enter in the list presses the default button "試験実行..."; a focused button takes it.
    void enterPressesTheDefaultButton() {
        CVzrT8100View* view = open(3);
        QStringList opened;
        for (QWidget* target :
             {static_cast<QWidget*>(view->GetListCtrl()), view->findChild<QWidget*>("buttonAdd")}) {
            WhenModal<QDialog>([&opened](QDialog* dlg) {
                opened << dlg->metaObject()->className();
                dlg->reject();
            });
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
        }
        QCOMPARE(opened, (QStringList{"CTestInfoDlg", "CSettingsDlg"}));
    }

    void addThroughTheConditionDialog() {
        CVzrT8100View* view = open(21);
        CVzrT8100Doc* doc = view->GetDocument();
        view->FillList(3);
        WhenModal<CSettingsDlg>([](CSettingsDlg* dlg) {
            // a new condition opens with the defaults
            QCOMPARE(dlg->findChild<CNumberBox*>("editCount")->text(), QString("10"));
            auto* mode = dlg->findChild<QComboBox*>("comboDiscMode");
            mode->setFocus();
            QTest::keyClick(mode, Qt::Key_Down); // AIR
            typeInto(dlg, "editCount", "25");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        view->findChild<QPushButton*>("buttonAdd")->click();
        QCOMPARE(doc->GetSettingList().size(), size_t(22));
        const CSettingData& added = *doc->GetSettingList()[21];
        QCOMPARE(added.m_nDiscMode, DISC_AIR);
        QCOMPARE(added.m_lCount, 25);
        QCOMPARE(added.m_lTestNo, 21);
        QCOMPARE(added.m_edlList.size(), size_t(1));
        QCOMPARE(added.m_edlList[0]->m_lTestNo, 21);
        QCOMPARE(doc->GetExecList().back()->m_nDiscMode, DISC_AIR);
        QCOMPARE(view->SelectedRow(), 21);
        QCOMPARE(labels(view->GetListCtrl()->model()).last(), QString("Test No. 22"));
        QCOMPARE(view->GetListCtrl()->model()->data(view->GetListCtrl()->model()->index(21, 1)),
                 QVariant("AIR"));
        QVERIFY(doc->IsModified());

        // full: nothing opens, nothing changes
        bool opened = false;
        QTimer* watch = WhenModal<QDialog>([&](QDialog* dlg) {
            opened = true;
            dlg->reject();
        });
        view->findChild<QPushButton*>("buttonAdd")->click();
        QTest::qWait(50);
        QVERIFY(!opened);
        QCOMPARE(doc->GetSettingList().size(), size_t(22));
        delete watch;
    }

    // The test-point dialog: a name added by 追加 or Enter, a blank one refused, one already
    // there added only when the operator says so, renamed, moved, deleted. キャンセル changes
    // nothing; OK changes the plan and its run list, and the view counts them.
    void testPointsThroughTheDialog() {
        CVzrT8100View* view = open(2);
        CVzrT8100Doc* doc = view->GetDocument();
        const auto edit = [](CTestPointDlg* dlg, const QString& name, const char* button) {
            auto* field = dlg->findChild<QLineEdit*>("editName");
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, name);
            if (button)
                dlg->findChild<QPushButton*>(button)->click();
            else
                QTest::keyClick(field, Qt::Key_Return);
        };
        const auto items = [](CTestPointDlg* dlg) {
            QStringList texts;
            for (QListWidgetItem* item :
                 dlg->findChild<QListWidget*>()->findItems("*", Qt::MatchWildcard))
                texts << item->text();
            return texts;
        };
        const auto select = [](CTestPointDlg* dlg, int row) {
            dlg->findChild<QListWidget*>("listPoints")->setCurrentRow(row);
        };
        QStringList boxes;
        QStringList shown;
        WhenModal<CTestPointDlg>([&](CTestPointDlg* dlg) {
            QCOMPARE(dlg->windowTitle(), QString("テストポイント"));
            QCOMPARE(dlg->findChild<QLineEdit*>("editName")->accessibleName(), QString("名称"));
            QCOMPARE(dlg->findChild<QLabel*>("labelName")->buddy(),
                     dlg->findChild<QLineEdit*>("editName"));
            edit(dlg, "USB", "buttonAdd");
            edit(dlg, "SW", nullptr); // Enter adds, the dialog stays
            BoxSeen blank;
            AnswerNextBox(QMessageBox::Ok, &blank);
            edit(dlg, "  ", "buttonAdd");
            boxes << blank.text;
            for (const auto answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
                BoxSeen seen;
                AnswerNextBox(answer, &seen);
                edit(dlg, "USB", "buttonAdd");
                boxes << seen.text;
            }
            QCOMPARE(items(dlg), (QStringList{"1 USB", "2 SW", "3 USB"}));
            select(dlg, 2);
            edit(dlg, "HCP", "buttonRename");
            select(dlg, 0);
            dlg->findChild<QPushButton*>("buttonDown")->click();
            dlg->findChild<QPushButton*>("buttonDelete")->click(); // USB: SW, HCP
            dlg->findChild<QPushButton*>("buttonUp")->click();
            shown = items(dlg);
            // the field shows the selected point
            shown << dlg->findChild<QLineEdit*>("editName")->text();
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        view->findChild<QPushButton*>("buttonTestPoints")->click();
        QCOMPARE(boxes, (QStringList{"テストポイントの名称を入力してください。",
                                     "テストポイント 1「USB」と同じ名称です。\nよろしいですか？",
                                     "テストポイント 1「USB」と同じ名称です。\nよろしいですか？"}));
        QCOMPARE(shown, (QStringList{"1 HCP", "2 SW", "HCP"}));
        QCOMPARE(doc->TestPoints(), (QStringList{"HCP", "SW"}));
        QVERIFY(doc->IsModified());
        QCOMPARE(doc->GetExecList().size(), size_t(4));
        QCOMPARE(doc->GetExecList()[2]->m_lTestPointNo, 2);
        auto* counts = view->findChild<QLabel*>("labelTestPoints");
        QCOMPARE(counts->text(), QString("テストポイント 2 点 / ステップ 4"));
        view->FillList(0);
        AnswerNextBox(QMessageBox::Ok);
        view->OnDelete();
        QCOMPARE(counts->text(), QString("テストポイント 2 点 / ステップ 2"));

        doc->SetModifiedFlag(false);
        WhenModal<CTestPointDlg>([&](CTestPointDlg* dlg) {
            shown = items(dlg);
            edit(dlg, "VCP", "buttonAdd");
            dlg->findChild<QPushButton*>("buttonCancel")->click();
        });
        view->findChild<QPushButton*>("buttonTestPoints")->click();
        QCOMPARE(shown, (QStringList{"1 HCP", "2 SW"}));
        QCOMPARE(doc->TestPoints(), (QStringList{"HCP", "SW"}));
        QVERIFY(!doc->IsModified());
    }

    void editAndAddCancelled() {
        CVzrT8100View* view = open(3);
        CVzrT8100Doc* doc = view->GetDocument();
        view->FillList(1);
        for (const char* button : {"buttonEdit", "buttonAdd"}) {
            WhenModal<CSettingsDlg>([](CSettingsDlg* dlg) {
                typeInto(dlg, "editCount", "77");
                dlg->findChild<QPushButton*>("buttonCancel")->click();
            });
            view->findChild<QPushButton*>(button)->click();
            QCOMPARE(plans::CountedOrder(*doc), (QList<int>{0, 1, 2}));
            QVERIFY(!doc->IsModified());
            QCOMPARE(view->SelectedRow(), 1);
        }
    }

    void editByDoubleClick() {
        CVzrT8100View* view = open(3);
        CVzrT8100Doc* doc = view->GetDocument();
        CPlanListCtrl* list = view->GetListCtrl();
        doc->GetExecList()[1]->m_nJudge = JUDGE_B;
        QString shownCount;
        WhenModal<CSettingsDlg>([&](CSettingsDlg* dlg) {
            shownCount = dlg->findChild<CNumberBox*>("editCount")->text();
            auto* sweep = dlg->findChild<QCheckBox*>("checkSweep");
            sweep->click();
            typeInto(dlg, "editEnd", "0.4");
            dlg->findChild<QPushButton*>("buttonOk")->click();
        });
        const QPoint at = list->visualRect(list->model()->index(1, 2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        // below the rows there is nothing to edit
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           QPoint(at.x(), list->viewport()->height() - 5));
        QVERIFY(shownCount.isEmpty());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(shownCount, QString("101"));
        const CSettingData& edited = *doc->GetSettingList()[1];
        QCOMPARE(edited.m_value.m_nValueType, VALUE_SWEEP);
        QCOMPARE(edited.m_edlList.size(), size_t(3)); // 0.20, 0.30, 0.40
        QCOMPARE(edited.m_edlList[2]->m_lTestNo, 1);
        QCOMPARE(doc->GetExecList().size(), size_t(1 + 3 + 1));
        QCOMPARE(doc->GetExecList()[1]->m_nJudge, JUDGE_NONE); // the run list was rebuilt
        QCOMPARE(view->SelectedRow(), 1);
        QVERIFY(doc->IsModified());
        QVERIFY(list->model()->data(list->model()->index(1, 5)).toString().contains("0.40"));
    }
};

int main(int argc, char** argv) {
    return simulated::RunWithApplication<CVzrT8100App, TestPlanView>(argc, argv, false, &g_sim);
}

#include "tst_plan_view.moc"
