// The rules behind the test condition dialog, without a screen: the typing filter, the
// bounds and steps of a number box, the interval's step size and the levels.
#include "data/ConditionRules.h"
#include "data/NumberEntry.h"
#include "data/VzrEnums.h"

#include <QtTest>
#include <limits>

using NumberEntry::Filter;
using NumberEntry::Limits;
using NumberEntry::NextValue;

class TestConditionRules : public QObject {
    Q_OBJECT

private slots:
    void filter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selEnd");
        QTest::addColumn<QString>("clean");
        QTest::addColumn<int>("cleanStart");
        QTest::addColumn<int>("cleanEnd");
        // the keystroke just made sits before the caret
        QTest::newRow("digits pass") << "12.5" << 4 << 4 << "12.5" << 4 << 4;
        QTest::newRow("second point at the end wins") << "1.2." << 4 << 4 << "12." << 3 << 3;
        QTest::newRow("second point in front wins") << ".1.2" << 1 << 1 << ".12" << 1 << 1;
        QTest::newRow("point typed between") << "1.23.4" << 5 << 5 << "123.4" << 4 << 4;
        QTest::newRow("letter at the end") << "1.2a" << 4 << 4 << "1.2" << 3 << 3;
        QTest::newRow("letter in front") << "a1.2" << 1 << 1 << "1.2" << 0 << 0;
        QTest::newRow("letter in the middle") << "1a.2" << 2 << 2 << "1.2" << 1 << 1;
        QTest::newRow("minus sign") << "-5" << 1 << 1 << "5" << 0 << 0;
        QTest::newRow("blanks around") << " 5 " << 3 << 3 << "5" << 1 << 1;
        // a paste that is not behind the caret keeps the first point
        QTest::newRow("pasted points, caret at 0") << "1.2.3" << 0 << 0 << "1.23" << 0 << 0;
        QTest::newRow("caret beyond the text") << "1.2.3" << 9 << 9 << "1.23" << 4 << 4;
        QTest::newRow("selection kept when the start is untouched")
            << "12x4" << 1 << 2 << "124" << 1 << 2;
        QTest::newRow("empty") << "" << 0 << 0 << "" << 0 << 0;
        QTest::newRow("full-width digit is no digit") << "1１" << 2 << 2 << "1" << 1 << 1;
    }
    void filter() {
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selEnd);
        QFETCH(QString, clean);
        QFETCH(int, cleanStart);
        QFETCH(int, cleanEnd);
        const NumberEntry::Filtered f = Filter(text, selStart, selEnd);
        QCOMPARE(f.text, clean);
        QCOMPARE(f.changed, clean != text);
        QCOMPARE(f.selStart, cleanStart);
        QCOMPARE(f.selEnd, cleanEnd);
        // a clean text is a fixed point
        QVERIFY(!Filter(f.text, f.selStart, f.selEnd).changed);
    }

    void nextValue() {
        const Limits volt{200, 30500, 10};
        QCOMPARE(NextValue(100, 0, volt), 200);
        QCOMPARE(NextValue(31000, 0, volt), 30500);
        QCOMPARE(NextValue(5000, 0, volt), 5000);
        QCOMPARE(NextValue(30500, 1, volt), 30500);
        QCOMPARE(NextValue(30495, 1, volt), 30500);
        QCOMPARE(NextValue(200, -1, volt), 200);
        QCOMPARE(NextValue(5000, -1, volt), 4990);
        QCOMPARE(NextValue(0, 0, Limits{1, 60000, 1}), 1);
        // a saturated typed value does not wrap around when stepped
        constexpr qint32 big = std::numeric_limits<qint32>::max();
        QCOMPARE(NextValue(big, 1, volt), 30500);
        QCOMPARE(NextValue(std::numeric_limits<qint32>::min(), -1, volt), 200);
        // a sweep whose start lies above the voltage range: END can only be the start
        QCOMPARE(NextValue(100, 0, Limits{40000, 30500, 10}), 40000);
        QCOMPARE(NextValue(50000, 1, Limits{40000, 30500, 10}), 40000);
    }

    void intervalIncrement() {
        using ConditionRules::IntervalIncrement;
        // 0.01 s below a second, 0.10 s from it up; down from a whole second is below it,
        // and a commit decides by the value committed
        QCOMPARE(IntervalIncrement(990, 1), 10);
        QCOMPARE(IntervalIncrement(1000, 1), 100);
        QCOMPARE(IntervalIncrement(1000, -1), 10);
        QCOMPARE(IntervalIncrement(1010, -1), 100);
        QCOMPARE(IntervalIncrement(999, 0), 10);
        QCOMPARE(IntervalIncrement(1000, 0), 100);
    }

    void levels() {
        using ConditionRules::LevelForVoltage;
        // level 3 is 6 kV in contact and 8 kV in air discharge
        QCOMPARE(LevelForVoltage(DISC_CONTACT, IEC_LEVEL_3, 8000), IEC_LEVEL_X);
        QCOMPARE(LevelForVoltage(DISC_AIR, IEC_LEVEL_3, 8000), IEC_LEVEL_3);
        // a free voltage stays free, and a level outside the table is left alone
        QCOMPARE(LevelForVoltage(DISC_CONTACT, IEC_LEVEL_X, 4000), IEC_LEVEL_X);
        QCOMPARE(LevelForVoltage(DISC_CONTACT, 7, 1234), 7);
    }
};

QTEST_APPLESS_MAIN(TestConditionRules)
#include "tst_condition_rules.moc"
