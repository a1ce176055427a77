// The plan and results list models, and the data-file dump built on them.
#include "commands/CDataFileDump.h"
#include "common/LargestPlan.h"
#include "common/Plans.h"
#include "data/CArchive.h"
#include "data/CPlanListModel.h"
#include "data/CStepListModel.h"
#include "data/CVzrT8100Doc.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>
#include <QtTest>

namespace {
QStringList Headings(const QAbstractItemModel& m) {
    QStringList h;
    for (int c = 0; c < m.columnCount(); ++c)
        h << m.headerData(c, Qt::Horizontal).toString();
    return h;
}

QStringList Row(const QAbstractItemModel& m, int row) {
    QStringList r;
    for (int c = 0; c < m.columnCount(); ++c)
        r << m.data(m.index(row, c)).toString();
    return r;
}

// Two conditions: a sweep in both polarities and an AIR single voltage.
void TwoConditions(CVzrT8100Doc& doc) {
    plans::SetPlan(doc, {plans::Sweep(2000, 3000, 1000), plans::Cond([](CSettingData& s) {
                             s.m_nDiscMode = DISC_AIR;
                             s.m_nIecLevel = IEC_LEVEL_4;
                             s.m_nTrig = TRIG_VZR;
                             s.m_value.m_lValue = 15000;
                             s.m_lCount = 60000;
                         })});
}

// A resource bundle's translator: every text comes back as <context|text>.
class MarkingTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* = nullptr,
                      int = -1) const override {
        return QStringLiteral("<%1|%2>").arg(QLatin1String(context), QString::fromUtf8(sourceText));
    }
};

const char* const kPlanHeadings = "Test No.\t放電モード\tIEC LEVEL\tトリガ\t極性\t電圧 [kV]\t"
                                  "放電間隔 [s]\t放電回数 [回]";
const char* const kStepHeadings = "Step No.\t放電モード\tIEC LEVEL\tトリガ\t極性\t電圧 [kV]\t"
                                  "放電間隔 [s]\t放電回数 [回]\t判定\tコメント";
} // namespace

class TestDataModels : public QObject {
    Q_OBJECT
private slots:
    void planModel() {
        CVzrT8100Doc doc;
        TwoConditions(doc);
        CPlanListModel model(&doc.GetSettingList());
        QCOMPARE(Headings(model).join('\t'), QString::fromUtf8(kPlanHeadings));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(
            Row(model, 0),
            (QStringList{"Test No.  1", "CONTACT", "IEC LEVEL X", "GUN", "+/-",
                         QString::fromUtf8("開始：2.00, 刻み：1.00, 終了：3.00"), "1.00", "10"}));
        QCOMPARE(Row(model, 1), (QStringList{"Test No.  2", "AIR", "IEC LEVEL 4", "VZR", "+",
                                             "15.00", "------", "60000"}));
        QCOMPARE(model.data(model.index(0, 6), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.data(model.index(0, 2), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter));
        QVERIFY(!model.data(model.index(2, 0)).isValid());
        QVERIFY(!model.data(model.index(0, 0), Qt::DecorationRole).isValid());
        QCOMPARE(CPlanListModel::RecordColumn(6), 6);
        QCOMPARE(CPlanListModel::RecordColumn(7), 5);

        CPlanListModel empty;
        QCOMPARE(empty.rowCount(), 0);
        QCOMPARE(empty.columnCount(), 8);
    }
    void stepModel() {
        CVzrT8100Doc doc;
        TwoConditions(doc);
        auto& run = doc.GetExecList();
        run[1]->m_nJudge = JUDGE_B;
        run[1]->m_strComment = QString::fromUtf8("リセット");
        run[2]->m_nPola = 4; // shown as the lists correct it
        run[3]->m_nJudge = 12;
        CStepListModel model(&doc.GetExecList());
        QCOMPARE(Headings(model).join('\t'), QString::fromUtf8(kStepHeadings));
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(Row(model, 0), (QStringList{"Step No.  1", "CONTACT", "IEC LEVEL X", "GUN", "+",
                                             "2.00", "1.00", "10", "------", ""}));
        QCOMPARE(Row(model, 1),
                 (QStringList{"Step No.  2", "CONTACT", "IEC LEVEL X", "GUN", "-", "2.00", "1.00",
                              "10", "B", QString::fromUtf8("リセット")}));
        QCOMPARE(Row(model, 2).at(4), QString("-"));
        QCOMPARE(Row(model, 3).at(8), QString("------"));
        QCOMPARE(Row(model, 4), (QStringList{"Step No.  5", "AIR", "IEC LEVEL 4", "VZR", "+",
                                             "15.00", "------", "60000", "------", ""}));
        QCOMPARE(model.data(model.index(0, 9), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        QCOMPARE(model.data(model.index(0, 8), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter));

        // with test points, each step's point after "Step No.": none where a step read from a
        // file numbers a point the plan does not name
        doc.SetTestPoints({QString::fromUtf8("電源ボタン"), "USB"});
        doc.GetExecList()[9]->m_lTestPointNo = 3;
        CStepListModel pointed(&doc.GetExecList(), doc.TestPoints());
        QCOMPARE(pointed.columnCount(), 11);
        QCOMPARE(Headings(pointed).mid(0, 3),
                 (QStringList{"Step No.", QString::fromUtf8("テストポイント"),
                              QString::fromUtf8("放電モード")}));
        QCOMPARE(Row(pointed, 0).mid(0, 3),
                 (QStringList{"Step No.  1", QString::fromUtf8("1 電源ボタン"), "CONTACT"}));
        QCOMPARE(Row(pointed, 5).mid(0, 3), (QStringList{"Step No.  6", "2 USB", "CONTACT"}));
        QCOMPARE(Row(pointed, 9).at(1), QString());
    }
    void notifications() {
        CVzrT8100Doc doc;
        CStepListModel steps(&doc.GetExecList());
        CPlanListModel plan(&doc.GetSettingList());
        QSignalSpy reset(&steps, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&steps, &QAbstractItemModel::dataChanged);
        QSignalSpy planReset(&plan, &QAbstractItemModel::modelReset);
        TwoConditions(doc);
        steps.Refresh();
        plan.Refresh();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(planReset.count(), 1);
        QCOMPARE(steps.rowCount(), 5);
        doc.GetExecList()[3]->m_strComment = "x";
        steps.RefreshRow(3);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 3);
        QCOMPARE(changed.at(0).at(1).toModelIndex().column(), 9);
        steps.RefreshRow(5); // no such row
        steps.RefreshRow(-1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(steps.data(steps.index(3, 9)).toString(), QString("x"));
        steps.SetList(nullptr);
        QCOMPARE(steps.rowCount(), 0);
        QCOMPARE(reset.count(), 2);
    }
    void largeRunList() {
        // The largest plan: 22 sweeps of 6,062 steps each.
        CVzrT8100Doc doc;
        MakeLargestPlan(doc);
        CStepListModel model(&doc.GetExecList());
        QCOMPARE(model.rowCount(), 133364);
        QCOMPARE(model.data(model.index(133363, 0)).toString(), QString("Step No.133364"));
        QCOMPARE(model.data(model.index(133363, 5)).toString(), QString("30.50"));
        QCOMPARE(model.data(model.index(133363, 4)).toString(), QString("-"));
        QCOMPARE(doc.GetExecList()[133363]->m_lTestNo, 21);
    }
    void dump() {
        QTemporaryDir dir;
        const QString path = dir.filePath("two.vzt");
        CVzrT8100Doc doc;
        TwoConditions(doc);
        QVERIFY(doc.SaveFile(path, nullptr));
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        QCOMPARE(CDataFileDump::Run(path, out, err), 0);
        QVERIFY(errText.isEmpty());
        const QStringList lines = outText.split('\n');
        QCOMPARE(lines.size(), 1 + 2 + 1 + 5 + 1); // final newline
        QCOMPARE(lines[0], QString::fromUtf8(kPlanHeadings));
        QCOMPARE(lines[1], QString::fromUtf8("Test No.  1\tCONTACT\tIEC LEVEL X\tGUN\t+/-\t"
                                             "開始：2.00, 刻み：1.00, 終了：3.00\t1.00\t10"));
        QCOMPARE(lines[2], QString("Test No.  2\tAIR\tIEC LEVEL 4\tVZR\t+\t15.00\t------\t60000"));
        QCOMPARE(lines[3], QString::fromUtf8(kStepHeadings));
        QCOMPARE(lines[4],
                 QString("Step No.  1\tCONTACT\tIEC LEVEL X\tGUN\t+\t2.00\t1.00\t10\t------\t"));
        QCOMPARE(lines[8],
                 QString("Step No.  5\tAIR\tIEC LEVEL 4\tVZR\t+\t15.00\t------\t60000\t------\t"));
        QCOMPARE(lines[9], QString());

        // Written as UTF-8 into a byte device.
        QFile file(dir.filePath("out.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QTextStream fileOut(&file);
        QCOMPARE(CDataFileDump::Run(path, fileOut, err), 0);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(QByteArray(kPlanHeadings)));

        // the points between the plan and the steps, and each step's point
        doc.SetTestPoints({"USB", QString::fromUtf8("HCP 前面")});
        QVERIFY(doc.SaveFile(path, nullptr));
        outText.clear();
        QCOMPARE(CDataFileDump::Run(path, out, err), 0);
        const QStringList pointed = outText.split('\n');
        QCOMPARE(pointed.size(), 1 + 2 + 3 + 1 + 10 + 1);
        QCOMPARE(pointed.mid(3, 3), (QStringList{QString::fromUtf8("No.\tテストポイント"), "1\tUSB",
                                                 QString::fromUtf8("2\tHCP 前面")}));
        QVERIFY(pointed[6].startsWith(QString::fromUtf8("Step No.\tテストポイント\t放電モード")));
        QVERIFY(pointed[7].startsWith("Step No.  1\t1 USB\tCONTACT\t"));
        QVERIFY(pointed[16].startsWith(QString::fromUtf8("Step No. 10\t2 HCP 前面\tAIR\t")));
    }
    void dumpRefused() {
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.vzt");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::fromHex("fffeff0341004200"));
        }
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        QCOMPARE(CDataFileDump::Run(path, out, err), 1);
        QVERIFY(outText.isEmpty());
        QCOMPARE(errText, QString::fromUtf8("予期しないファイル形式です。\n"));

        errText.clear();
        QCOMPARE(CDataFileDump::Run(dir.filePath("missing.vzt"), out, err), 1);
        QVERIFY(errText.contains("missing.vzt"));
        QVERIFY(outText.isEmpty());
    }
    void textsGoThroughTranslator() {
        MarkingTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        CVzrT8100Doc doc;
        CPlanListModel plan(&doc.GetSettingList());
        CStepListModel steps(&doc.GetExecList());
        const QStringList planHeadings = Headings(plan);
        const QStringList stepHeadings = Headings(steps);
        const QStringList planRow = Row(plan, 0);
        const QStringList stepRow = Row(steps, 0);
        const QString message = CVzrT8100Doc::LoadResultText(LOAD_VERSION);
        QCoreApplication::removeTranslator(&translator);

        // Each model's headings in its own context.
        QCOMPARE(planHeadings.at(1), QString::fromUtf8("<CPlanListModel|放電モード>"));
        QCOMPARE(stepHeadings.at(9), QString::fromUtf8("<CStepListModel|コメント>"));
        // Record texts, table texts and units; numbers are not texts.
        QCOMPARE(planRow.at(0), QString("Test No.  1"));
        QCOMPARE(planRow.at(1), QString("<CExecData|CONTACT>"));
        QCOMPARE(planRow.at(4), QString("<SelectTable|+>"));
        QCOMPARE(planRow.at(5), QString("0.20"));
        QCOMPARE(stepRow.at(8), QString("<SelectTable|------>"));
        QCOMPARE(doc.GetSettingList()[0]->m_rngCount.strUnit,
                 QString::fromUtf8("<CSettingData|[回]>"));
        QVERIFY(message.startsWith("<CVzrT8100Doc|"));
        QCOMPARE(CSettingData().m_rngVolt.strUnit, QString("[kV]"));
    }
};

QTEST_GUILESS_MAIN(TestDataModels)
#include "tst_data_models.moc"
