// Editing a document's plan through its list model: numbering, run list, modified flag,
// and rows dragged onto rows.
#include "common/LargestPlan.h"
#include "common/Plans.h"
#include "data/CPlanListModel.h"
#include "data/CVzrT8100Doc.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A plan of n conditions told apart by their count (100, 101, ...), each of two steps.
void MakePlan(CVzrT8100Doc& doc, int n) {
    plans::SetCountedPlan(doc, n, POLA_BIT_BOTH);
    doc.SetModifiedFlag(false);
}

// Every condition, its own steps and the run list carry the plan position, and the run
// list follows the plan.
void VerifyNumbering(const CVzrT8100Doc& doc) {
    const auto& plan = doc.GetSettingList();
    size_t step = 0;
    for (size_t i = 0; i < plan.size(); ++i) {
        QCOMPARE(plan[i]->m_lTestNo, qint32(i));
        for (const auto& own : plan[i]->m_edlList) {
            QCOMPARE(own->m_lTestNo, qint32(i));
            QVERIFY(step < doc.GetExecList().size());
            const CExecData& run = *doc.GetExecList()[step++];
            QCOMPARE(run.m_lTestNo, qint32(i));
            QCOMPARE(run.m_lCount, plan[i]->m_lCount);
        }
    }
    QCOMPARE(doc.GetExecList().size(), step);
}

QStringList Labels(const QAbstractItemModel& m) {
    QStringList labels;
    for (int r = 0; r < m.rowCount(); ++r)
        labels << m.data(m.index(r, 0)).toString();
    return labels;
}

} // namespace

class TestPlanModel : public QObject {
    Q_OBJECT

private slots:
    void appendUpToTheLimit() {
        CVzrT8100Doc doc;
        MakePlan(doc, 20);
        CPlanListModel& model = doc.PlanModel();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 2; ++i) {
            auto s = std::make_unique<CSettingData>();
            s->m_lCount = 120 + i;
            QVERIFY(model.AppendRecord(std::move(s)));
        }
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(model.rowCount(), 22);
        QCOMPARE(model.data(model.index(21, 0)).toString(), QString("Test No. 22"));
        QVERIFY(doc.IsModified());
        VerifyNumbering(doc);
        QCOMPARE(doc.GetSettingList()[21]->m_edlList.size(), size_t(1)); // expanded

        doc.SetModifiedFlag(false);
        QVERIFY(!model.AppendRecord(std::make_unique<CSettingData>()));
        QCOMPARE(model.rowCount(), 22);
        QCOMPARE(inserted.count(), 2);
        QVERIFY(!doc.IsModified());
    }

    void appendRefusedToALongerFilePlan() {
        // a plan read from a file may hold more: listed in full, extended no further
        CVzrT8100Doc doc;
        MakePlan(doc, 30);
        CPlanListModel& model = doc.PlanModel();
        QCOMPARE(model.rowCount(), 30);
        QVERIFY(!model.AppendRecord(std::make_unique<CSettingData>()));
        QCOMPARE(model.rowCount(), 30);
    }

    void updateRebuildsStepsAndRunList() {
        CVzrT8100Doc doc;
        MakePlan(doc, 3);
        doc.GetExecList()[0]->m_nJudge = JUDGE_B;
        CPlanListModel& model = doc.PlanModel();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        CSettingData edited;
        doc.GetSettingList()[1]->CopyTo(edited);
        edited.m_value.m_nValueType = VALUE_SWEEP;
        edited.m_value.m_lStart = 1000;
        edited.m_value.m_lEnd = 3000;
        edited.m_value.m_lStep = 1000;
        QVERIFY(model.UpdateRecord(1, edited));
        QVERIFY(!model.UpdateRecord(3, edited));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.GetSettingList()[1]->m_edlList.size(), size_t(6));
        QCOMPARE(doc.GetExecList().size(), size_t(2 + 6 + 2));
        VerifyNumbering(doc);
        // rebuilt: the judgement of the former run list is gone
        QCOMPARE(doc.GetExecList()[0]->m_nJudge, JUDGE_NONE);
    }

    void removeRenumbers_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("first of three") << 3 << 0 << QList<int>{1, 2};
        QTest::newRow("middle of three") << 3 << 1 << QList<int>{0, 2};
        QTest::newRow("last of three") << 3 << 2 << QList<int>{0, 1};
        QTest::newRow("the only one") << 1 << 0 << QList<int>{};
    }
    void removeRenumbers() {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(QList<int>, order);
        CVzrT8100Doc doc;
        MakePlan(doc, rows);
        CPlanListModel& model = doc.PlanModel();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QVERIFY(model.RemoveRecord(row));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(plans::CountedOrder(doc), order);
        QVERIFY(doc.IsModified());
        VerifyNumbering(doc);
        QStringList labels;
        for (int r = 1; r <= order.size(); ++r)
            labels << QString::asprintf("Test No.%3d", r);
        QCOMPARE(Labels(model), labels);
        QVERIFY(!model.RemoveRecord(order.size()));
        QVERIFY(!model.RemoveRecord(-1));
    }

    void removeTellsRowsBelowTheirNewNumber() {
        CVzrT8100Doc doc;
        MakePlan(doc, 4);
        CPlanListModel& model = doc.PlanModel();
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.RemoveRecord(1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(1, 0));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(2, 0));
    }

    void dropRules_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<bool>("modified");
        QTest::newRow("4 onto 1") << 4 << 1 << QList<int>{0, 4, 1, 2, 3} << true;
        QTest::newRow("1 onto 4") << 1 << 4 << QList<int>{0, 2, 3, 4, 1} << true;
        QTest::newRow("0 onto 4") << 0 << 4 << QList<int>{1, 2, 3, 4, 0} << true;
        QTest::newRow("4 onto 0") << 4 << 0 << QList<int>{4, 0, 1, 2, 3} << true;
        QTest::newRow("onto itself") << 2 << 2 << QList<int>{0, 1, 2, 3, 4} << true;
        QTest::newRow("no row hit") << 2 << -1 << QList<int>{0, 1, 2, 3, 4} << false;
    }
    void dropRules() {
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(QList<int>, order);
        QFETCH(bool, modified);
        CVzrT8100Doc doc;
        MakePlan(doc, 5);
        doc.GetExecList()[0]->m_nJudge = JUDGE_C;
        CPlanListModel& model = doc.PlanModel();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.DropRecord(source, target), target >= 0);
        QCOMPARE(plans::CountedOrder(doc), order);
        QCOMPARE(doc.IsModified(), modified);
        VerifyNumbering(doc);
        // the run list is rebuilt only when the order changed: judgements otherwise stay
        const bool moved = target >= 0 && target != source;
        QCOMPARE(doc.GetExecList()[0]->m_nJudge, moved ? JUDGE_NONE : JUDGE_C);
        QCOMPARE(Labels(model).first(), QString("Test No.  1"));
    }

    void rowsLabelledByPosition() {
        CVzrT8100Doc doc;
        MakePlan(doc, 3);
        doc.GetSettingList()[2]->SetTestNo(7); // as a file may hold it
        CPlanListModel& model = doc.PlanModel();
        QCOMPARE(Labels(model), (QStringList{"Test No.  1", "Test No.  2", "Test No.  3"}));
        QCOMPARE(doc.GetSettingList()[2]->m_edlList[1]->m_lTestNo, 2);
        QVERIFY(!doc.IsModified());
        doc.GetSettingList()[1]->SetTestNo(5);
        model.DropRecord(1, -1);
        QCOMPARE(doc.GetSettingList()[1]->m_lTestNo, 1);
    }

    void dragAndDropThroughMimeData() {
        CVzrT8100Doc doc;
        MakePlan(doc, 5);
        CPlanListModel& model = doc.PlanModel();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model.flags(model.index(3, 2)).testFlag(Qt::ItemIsDragEnabled));
        QVERIFY(model.flags(model.index(3, 2)).testFlag(Qt::ItemIsDropEnabled));
        QCOMPARE(model.supportedDropActions(), Qt::DropActions(Qt::MoveAction));
        QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
        std::unique_ptr<QMimeData> data(model.mimeData({model.index(4, 3)}));
        QVERIFY(data);
        QCOMPARE(model.DraggedRow(data.get()), 4);
        // only onto a row, and only as a move
        QVERIFY(!model.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, QModelIndex()));
        QVERIFY(!model.canDropMimeData(data.get(), Qt::CopyAction, -1, -1, model.index(1, 0)));
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, 2, 0, QModelIndex()));
        QCOMPARE(plans::CountedOrder(doc), (QList<int>{0, 1, 2, 3, 4}));
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(1, 0)));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(plans::CountedOrder(doc), (QList<int>{0, 4, 1, 2, 3}));
        VerifyNumbering(doc);

        // a row of another plan never lands here
        CVzrT8100Doc other;
        MakePlan(other, 5);
        CPlanListModel& otherModel = other.PlanModel();
        std::unique_ptr<QMimeData> foreign(otherModel.mimeData({otherModel.index(0, 0)}));
        QVERIFY(!model.canDropMimeData(foreign.get(), Qt::MoveAction, -1, -1, model.index(1, 0)));
        QVERIFY(!model.dropMimeData(foreign.get(), Qt::MoveAction, -1, -1, model.index(1, 0)));
        QCOMPARE(plans::CountedOrder(other), (QList<int>{0, 1, 2, 3, 4}));
        // nor a damaged one
        QMimeData junk;
        junk.setData(CPlanListModel::kRowMimeType, "xy");
        QCOMPARE(model.DraggedRow(&junk), -1);
    }

    // With test points the run list is the plan once per point, point after point, each step
    // carrying its point; a plan edit rebuilds it so. Points that would make it longer than
    // the most a run list holds, or an edit that would, are refused and change nothing.
    void testPointsMultiplyThePlan() {
        CVzrT8100Doc doc;
        MakePlan(doc, 3); // six steps
        CPlanListModel& model = doc.PlanModel();
        QSignalSpy rebuilt(&model, &CPlanListModel::RunListChanged);
        QVERIFY(model.SetTestPoints({"USB", "SW", "HCP"}));
        QVERIFY(doc.IsModified());
        QCOMPARE(rebuilt.count(), 1);
        const auto points = [&doc] {
            QList<int> numbers;
            for (const auto& step : doc.GetExecList())
                numbers << step->m_lTestPointNo * 1000 + step->m_lCount;
            return numbers;
        };
        QList<int> expected;
        for (int point = 1; point <= 3; ++point)
            for (int count : {100, 100, 101, 101, 102, 102})
                expected << point * 1000 + count;
        QCOMPARE(points(), expected);
        QVERIFY(model.RemoveRecord(1));
        QCOMPARE(rebuilt.count(), 2);
        QCOMPARE(points().mid(0, 5), (QList<int>{1100, 1100, 1102, 1102, 2100}));
        QCOMPARE(doc.GetExecList().size(), size_t(12));

        // the same names change nothing; none give the plan's own steps back
        doc.SetModifiedFlag(false);
        QVERIFY(model.SetTestPoints(doc.TestPoints()));
        QVERIFY(!doc.IsModified());
        QCOMPARE(rebuilt.count(), 2);
        QVERIFY(model.SetTestPoints({}));
        QCOMPARE(points(), (QList<int>{100, 100, 102, 102}));

        // the largest plan fits fifteen times (CVzrT8100Doc::kMaxRunSteps), not sixteen
        CVzrT8100Doc large;
        MakeLargestPlan(large);
        large.SetModifiedFlag(false);
        QVERIFY(!large.PlanModel().SetTestPoints(QStringList(16, "P")));
        QVERIFY(large.TestPoints().isEmpty());
        QVERIFY(!large.IsModified());
        QCOMPARE(large.GetExecList().size(), size_t(133364));
        // 400 points of four steps take a sweep of 6,062 steps no more
        QVERIFY(model.SetTestPoints(QStringList(400, "P")));
        doc.SetModifiedFlag(false);
        const CSettingData sweep = plans::Sweep(200, 30500, 10);
        QVERIFY(!model.AppendRecord(std::make_unique<CSettingData>(sweep)));
        QVERIFY(!model.UpdateRecord(0, sweep));
        QCOMPARE(plans::CountedOrder(doc), (QList<int>{0, 2}));
        QCOMPARE(doc.GetSettingList()[0]->m_edlList.size(), size_t(2));
        QCOMPARE(doc.GetExecList().size(), size_t(400 * 4));
        QVERIFY(!doc.IsModified());
        QCOMPARE(rebuilt.count(), 4);
    }

    void readOnlyWithoutDocument() {
        CVzrT8100Doc doc;
        MakePlan(doc, 3);
        CPlanListModel model(&doc.GetSettingList());
        QVERIFY(!model.flags(model.index(0, 0)).testFlag(Qt::ItemIsDragEnabled));
        QVERIFY(!model.AppendRecord(std::make_unique<CSettingData>()));
        QVERIFY(!model.RemoveRecord(0));
        QVERIFY(!model.DropRecord(2, 0));
        QVERIFY(!model.mimeData({model.index(0, 0)}));
        QCOMPARE(plans::CountedOrder(doc), (QList<int>{0, 1, 2}));
    }
};

QTEST_GUILESS_MAIN(TestPlanModel)
#include "tst_plan_model.moc"
