// The rules behind the test condition dialog, without a screen: the typing filter and the
// bounds and steps of a number box, and the rules of a condition (interval steps, levels,
// sweep, END).
#include "data/CSettingData.h"
#include "data/NumberEntry.h"

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

    void intervalSteps() {
        CSettingData r;
        const auto step = [&r](qint32 from, int direction) {
            return NextValue(from, direction, r.IntervalLimits(from, direction));
        };
        // up from 0.98 s: 0.99, 1.00, 1.10, 1.20
        QList<qint32> upward;
        for (qint32 v = 980; upward.size() < 4;)
            upward << (v = step(v, 1));
        QCOMPARE(upward, (QList<qint32>{990, 1000, 1100, 1200}));
        QCOMPARE(step(1000, -1), 990);
        QCOMPARE(step(1100, -1), 1000);
        QCOMPARE(step(1050, 1), 1150);
        QCOMPARE(step(1050, -1), 950);
        QCOMPARE(step(50, -1), 50);
        QCOMPARE(step(600000, 1), 600000);
        // a commit decides by the value committed
        for (const auto& [interval, increment] : {std::pair{999, 10}, std::pair{1000, 100}}) {
            r.m_lInterval = interval;
            r.FitIntervalIncrement();
            QCOMPARE(r.m_rngInterval.lIncrement, increment);
        }
    }

    void levelsSweepAndEnd() {
        CSettingData r;
        // level 3 is 6 kV in contact and 8 kV in air discharge; the sweep's ends follow
        r.SetIecLevel(IEC_LEVEL_3);
        r.SetDiscMode(DISC_AIR);
        QCOMPARE((QList<qint32>{r.m_value.m_lValue, r.m_value.m_lStart, r.m_value.m_lEnd}),
                 (QList<qint32>{8000, 8000, 8000}));
        r.CheckLevel(8000);
        QCOMPARE(r.m_nIecLevel, IEC_LEVEL_3);
        r.CheckLevel(6000);
        QCOMPARE(r.m_nIecLevel, IEC_LEVEL_X);
        // a free voltage stays where it is, and a level outside the table is left alone
        r.SetDiscMode(DISC_CONTACT);
        QCOMPARE(r.m_value.m_lValue, 8000);
        r.m_nIecLevel = 7;
        r.CheckLevel(1234);
        QCOMPARE(r.m_nIecLevel, 7);

        // a sweep is a free voltage; a standard level ends it, and "+/-" with it
        r.SetIecLevel(IEC_LEVEL_2);
        r.SetSweep(true);
        r.SetPolarityCode(2);
        QCOMPARE(r.m_nIecLevel, IEC_LEVEL_X);
        QCOMPARE(r.m_ulPola, POLA_BIT_BOTH);
        r.SetIecLevel(IEC_LEVEL_1);
        QVERIFY(!r.m_bSweep);
        QCOMPARE(r.m_value.m_nValueType, VALUE_SINGLE);
        QCOMPARE(r.PolarityCode(), 0);

        // END follows the start up, never down, and is never set below it
        r.m_value.m_lValue = 5000;
        QVERIFY(r.FollowVoltage());
        QCOMPARE(r.m_value.m_lEnd, 5000);
        r.m_value.m_lValue = 3000;
        QVERIFY(!r.FollowVoltage());
        QCOMPARE(r.m_value.m_lStart, 3000);
        QCOMPARE(r.m_value.m_lEnd, 5000);
        QCOMPARE(NextValue(2000, 0, r.EndLimits()), 3000);
    }
};

QTEST_APPLESS_MAIN(TestConditionRules)
#include "tst_condition_rules.moc"
