// Records: tables, value ranges, voltage specifications, conditions and steps.
#include "ByteBuilder.h"

#include "data/CArchive.h"
#include "data/CExecData.h"
#include "data/CSettingData.h"
#include "data/SelectTable.h"

#include <QBuffer>
#include <QtTest>

#include <limits>

namespace {
// The smallest thing a combo box template needs.
struct FakeCombo {
    QStringList texts;
    QVariantList data;
    int current = -1;
    void clear() {
        texts.clear();
        data.clear();
        current = -1;
    }
    void addItem(const QString& t, const QVariant& d) {
        texts << t;
        data << d;
    }
    int count() const { return static_cast<int>(texts.size()); }
    QVariant itemData(int i) const { return data.value(i); }
    void setCurrentIndex(int i) { current = i; }
};

template <class T> QByteArray StoreBytes(const T& record) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buf, CArchive::store);
        record.Store(ar);
    }
    return buf.data();
}

template <class T> int LoadBytes(T& record, const QByteArray& bytes, bool* failed = nullptr) {
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    const int r = record.Load(ar);
    if (failed)
        *failed = ar.IsFailed();
    return r;
}

QList<qint32> Volts(const CExecList& list) {
    QList<qint32> v;
    for (const auto& s : list)
        v << s->m_lVolt;
    return v;
}
QList<qint32> Polas(const CExecList& list) {
    QList<qint32> v;
    for (const auto& s : list)
        v << s->m_nPola;
    return v;
}

CSettingData Sweep(qint32 start, qint32 end, qint32 step, quint32 pola = POLA_BIT_PLUS) {
    CSettingData s;
    s.m_value.m_nValueType = VALUE_SWEEP;
    s.m_value.m_lStart = start;
    s.m_value.m_lEnd = end;
    s.m_value.m_lStep = step;
    s.m_ulPola = pola;
    return s;
}
} // namespace

class TestDataRecords : public QObject {
    Q_OBJECT
private slots:
    void tables() {
        auto rows = [](const SelectTableRow* t) {
            QList<QPair<QString, int>> r;
            for (; t->value != -1; ++t)
                r << qMakePair(SelectTableText(*t), t->value);
            return r;
        };
        using R = QList<QPair<QString, int>>;
        QCOMPARE(rows(g_tblDiscMode), (R{{"CONTACT", 0}, {"AIR    ", 1}}));
        QCOMPARE(rows(g_tblIecLevel), (R{{"IEC LEVEL 1", 0},
                                         {"IEC LEVEL 2", 1},
                                         {"IEC LEVEL 3", 2},
                                         {"IEC LEVEL 4", 3},
                                         {"IEC LEVEL X", 4}}));
        QCOMPARE(rows(g_tblTrig), (R{{"VZR        ", 0}, {"GUN        ", 1}, {"EXT.       ", 2}}));
        for (const auto& r : rows(g_tblTrig))
            QCOMPARE(r.first.size(), 11);
        QCOMPARE(rows(g_tblPola2), (R{{"+", 0}, {"-", 1}}));
        QCOMPARE(rows(g_tblPola3), (R{{"+", 0}, {"-", 1}, {"+/-", 2}}));
        QCOMPARE(rows(g_tblSweepLabel), (R{{QString::fromUtf8("開始："), 0},
                                           {QString::fromUtf8("終了："), 1},
                                           {QString::fromUtf8("刻み："), 2}}));
        QCOMPARE(rows(g_tblJudge), (R{{"------", 0}, {"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}}));
        // Every table is closed by an empty row with -1.
        for (const SelectTableRow* t : {g_tblDiscMode, g_tblIecLevel, g_tblTrig, g_tblPola2,
                                        g_tblPola3, g_tblSweepLabel, g_tblJudge}) {
            const int n = SelectTableCount(t);
            QCOMPARE(QByteArray(t[n].text), QByteArray());
        }
        QCOMPARE(IecLevelVoltage(DISC_CONTACT, IEC_LEVEL_3), 6000);
        QCOMPARE(IecLevelVoltage(DISC_AIR, IEC_LEVEL_3), 8000);
        QCOMPARE(IecLevelVoltage(DISC_AIR, IEC_LEVEL_4), 15000);
        QCOMPARE(IecLevelVoltage(DISC_CONTACT, IEC_LEVEL_4), 8000);
    }
    void comboHelpers() {
        FakeCombo combo;
        combo.addItem("stale", 99);
        FillComboFromTable(&combo, g_tblJudge);
        QCOMPARE(combo.texts, (QStringList{"------", "A", "B", "C", "D"}));
        QCOMPARE(combo.itemData(3).toInt(), 3);
        SelectComboByValue(&combo, JUDGE_C);
        QCOMPARE(combo.current, 3);
        SelectComboByValue(&combo, 17); // no such value: the first entry
        QCOMPARE(combo.current, 0);

        FillComboFromTable(&combo, g_tblPola3);
        SelectComboByValue(&combo, 2);
        QCOMPARE(combo.texts.value(combo.current), QString("+/-"));
    }
    void valueRangeText() {
        const CSettingData s;
        QCOMPARE(s.m_rngVolt.ValueToText(200), QString("0.20"));
        QCOMPARE(s.m_rngVolt.ValueToText(30500), QString("30.50"));
        QCOMPARE(s.m_rngInterval.ValueToText(50), QString("0.05"));
        QCOMPARE(s.m_rngCount.ValueToText(60000), QString("60000"));
        QCOMPARE(s.m_rngVolt.ValueToText(-1500), QString("-1.50"));
        QCOMPARE(s.m_rngVolt.strUnit, QString("[kV]"));
        QCOMPARE(s.m_rngCount.strUnit, QString::fromUtf8("[回]"));
        QCOMPARE(s.m_rngInterval.strUnit, QString("[s]"));
        QCOMPARE(s.m_rngStep.lMin, 10);
        QCOMPARE(s.m_rngStep.lMax, 30500);
        QCOMPARE(s.m_rngVolt.Clamp(100), 200);
        QCOMPARE(s.m_rngVolt.Clamp(40000), 30500);
        QCOMPARE(s.m_rngVolt.Clamp(1234), 1234);
    }
    void valueRangeParse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("exponent");
        QTest::addColumn<int>("expected");
        QTest::newRow("kV") << "1.25" << 3 << 1250;
        QTest::newRow("blanks") << "  \t0.2" << 3 << 200;
        QTest::newRow("truncate") << "0.2059" << 3 << 205;
        QTest::newRow("negative truncates toward zero") << "-0.0009" << 3 << 0;
        QTest::newRow("negative") << "-1.5" << 3 << -1500;
        QTest::newRow("binary-inexact decimal") << "0.57" << 2 << 57;
        QTest::newRow("binary-inexact kV") << "4.35" << 3 << 4350;
        QTest::newRow("stops at junk") << "12.5kV" << 3 << 12500;
        QTest::newRow("no number") << "abc" << 3 << 0;
        QTest::newRow("empty") << "" << 3 << 0;
        QTest::newRow("point alone") << "." << 3 << 0;
        QTest::newRow("trailing point") << "7." << 0 << 7;
        QTest::newRow("leading point") << ".5" << 3 << 500;
        QTest::newRow("exponent") << "1.5e1" << 3 << 15000;
        QTest::newRow("dangling exponent") << "2e" << 0 << 2;
        QTest::newRow("saturates high") << "99999999999" << 3 << std::numeric_limits<qint32>::max();
        QTest::newRow("saturates low") << "-99999999999" << 0 << std::numeric_limits<qint32>::min();
        QTest::newRow("huge exponent")
            << "1e999999999999" << 0 << std::numeric_limits<qint32>::max();
        QTest::newRow("tiny exponent") << "5e-999999999999" << 3 << 0;
        QTest::newRow("count") << "60000" << 0 << 60000;
    }
    void valueRangeParse() {
        QFETCH(QString, text);
        QFETCH(int, exponent);
        QFETCH(int, expected);
        ValueRange r;
        r.nExponent = exponent;
        QCOMPARE(r.TextToValue(text), expected);
    }
    void voltCount_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("step");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QList<qint32>>("values");
        QTest::newRow("single") << VALUE_SINGLE << 0 << 0 << 0 << qint64(1) << QList<qint32>{200};
        QTest::newRow("sweep exact")
            << VALUE_SWEEP << 2000 << 4000 << 1000 << qint64(3) << QList<qint32>{2000, 3000, 4000};
        QTest::newRow("sweep end not met")
            << VALUE_SWEEP << 200 << 450 << 100 << qint64(3) << QList<qint32>{200, 300, 400};
        QTest::newRow("step 0") << VALUE_SWEEP << 1000 << 3000 << 0 << qint64(1)
                                << QList<qint32>{1000};
        QTest::newRow("step 0 end lower")
            << VALUE_SWEEP << 1000 << 800 << 0 << qint64(1) << QList<qint32>{800};
        QTest::newRow("end just below start")
            << VALUE_SWEEP << 1000 << 950 << 100 << qint64(1) << QList<qint32>{950};
        QTest::newRow("end a step below start")
            << VALUE_SWEEP << 1000 << 800 << 100 << qint64(-1) << QList<qint32>{};
        QTest::newRow("largest legitimate")
            << VALUE_SWEEP << 200 << 30500 << 10 << qint64(3031) << QList<qint32>{200, 210, 220};
        QTest::newRow("unknown kind") << 7 << 0 << 0 << 0 << qint64(0) << QList<qint32>{};
    }
    void voltCount() {
        QFETCH(int, type);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, step);
        QFETCH(qint64, count);
        QFETCH(QList<qint32>, values);
        VoltValue v;
        v.m_nValueType = type;
        v.m_lStart = start;
        v.m_lEnd = end;
        v.m_lStep = step;
        QCOMPARE(v.GetCount(), count);
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(v.GetValue(i), values[i]);

        // The expansion holds exactly the voltages (positive only).
        CSettingData s;
        s.m_value = v;
        s.MakeExecList(s.m_edlList);
        QCOMPARE(qint64(s.m_edlList.size()), std::max<qint64>(0, count));
        if (values.size() == count)
            QCOMPARE(Volts(s.m_edlList), values);
    }
    void voltValueExtremes() {
        constexpr qint32 lo = std::numeric_limits<qint32>::min();
        constexpr qint32 hi = std::numeric_limits<qint32>::max();
        VoltValue v;
        v.m_nValueType = VALUE_SWEEP;
        v.m_lStart = lo;
        v.m_lEnd = hi;
        v.m_lStep = 1;
        QCOMPARE(v.GetCount(), qint64(1) << 32);
        QCOMPARE(v.GetValue(0), lo);
        QCOMPARE(v.GetValue((qint64(1) << 32) - 1), hi);
        QCOMPARE(v.GetValue(std::numeric_limits<qint64>::max()), hi);
        v.m_lStep = lo;
        QCOMPARE(v.GetCount(), qint64(0)); // (2^32 - 1) / -2^31 + 1 truncates to 0
        QCOMPARE(v.GetValue(std::numeric_limits<qint64>::max()), lo);
        QCOMPARE(v.GetValue(std::numeric_limits<qint64>::min()), hi);
        v.m_lStart = hi;
        v.m_lEnd = lo;
        v.m_lStep = -1;
        QCOMPARE(v.GetCount(), qint64(1) << 32);
        QCOMPARE(v.GetValue(5), lo); // the smaller of the end and start + n x step
        v.m_lStep = hi;
        QCOMPARE(v.GetCount(), qint64(-1)); // -(2^32 - 1) / (2^31 - 1) + 1

        // Multiple: the in-use entries in rising order.
        VoltValue m;
        m.m_nValueType = VALUE_MULTI;
        m.m_abUse = {0, 1, 0, 7, 0, 0, 0, 0, 0, 0};
        m.m_alValue = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};
        QCOMPARE(m.GetCount(), qint64(2));
        QCOMPARE(m.GetValue(0), 2000);
        QCOMPARE(m.GetValue(1), 4000);
        QCOMPARE(m.GetValue(2), 0);
        QCOMPARE(m.GetValue(-1), 0);
    }
    void expansion() {
        CSettingData s;
        s.m_lTestNo = 4;
        s.MakeExecList(s.m_edlList);
        QCOMPARE(s.m_edlList.size(), size_t(1));
        const CExecData& d = *s.m_edlList[0];
        QCOMPARE(d.m_lVolt, 200);
        QCOMPARE(d.m_nPola, POLA_PLUS);
        QCOMPARE(d.m_lCount, 10);
        QCOMPARE(d.m_lInterval, 1000);
        QCOMPARE(d.m_nTrig, TRIG_GUN);
        QCOMPARE(d.m_nDiscMode, DISC_CONTACT);
        QCOMPARE(d.m_nIecLevel, IEC_LEVEL_X);
        QCOMPARE(d.m_lTestNo, 4);
        QCOMPARE(d.m_lTestPointNo, 0);
        QCOMPARE(d.m_nJudge, JUDGE_NONE);

        CSettingData both = Sweep(2000, 4000, 1000, POLA_BIT_BOTH);
        both.MakeExecList(both.m_edlList);
        QCOMPARE(Volts(both.m_edlList), (QList<qint32>{2000, 2000, 3000, 3000, 4000, 4000}));
        QCOMPARE(Polas(both.m_edlList), (QList<qint32>{0, 1, 0, 1, 0, 1}));

        CSettingData minus = Sweep(2000, 3000, 1000, POLA_BIT_MINUS);
        minus.MakeExecList(minus.m_edlList);
        QCOMPARE(Polas(minus.m_edlList), (QList<qint32>{1, 1}));

        CSettingData none = Sweep(2000, 3000, 1000, 0);
        none.MakeExecList(none.m_edlList);
        QVERIFY(none.m_edlList.empty());

        // Bits above the two polarities make no steps of their own.
        CSettingData odd = Sweep(2000, 3000, 1000, 0xFFFFFFFFu);
        odd.MakeExecList(odd.m_edlList);
        QCOMPARE(Polas(odd.m_edlList), (QList<qint32>{0, 1, 0, 1}));

        CSettingData multi;
        multi.m_value.m_nValueType = VALUE_MULTI;
        multi.m_value.m_abUse = {0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
        multi.m_value.m_alValue = {1000, 2000, 3000, 4000, 0, 0, 0, 0, 0, 0};
        multi.MakeExecList(multi.m_edlList);
        QCOMPARE(Volts(multi.m_edlList), (QList<qint32>{2000, 4000}));

        // Expansion replaces what the list held.
        multi.m_value.m_abUse.fill(0);
        multi.MakeExecList(multi.m_edlList);
        QVERIFY(multi.m_edlList.empty());
    }
    void expansionBound() {
        // A sweep from a file may ask for 2^32 voltages; expansion stops at the bound.
        CSettingData s = Sweep(std::numeric_limits<qint32>::min(),
                               std::numeric_limits<qint32>::max(), 1, POLA_BIT_BOTH);
        s.MakeExecList(s.m_edlList);
        QCOMPARE(qint64(s.m_edlList.size()), 2 * CSettingData::kMaxExpandVoltages);
        QCOMPARE(s.m_edlList.front()->m_lVolt, std::numeric_limits<qint32>::min());
        QCOMPARE(s.m_edlList.back()->m_lVolt,
                 qint32(std::numeric_limits<qint32>::min() + CSettingData::kMaxExpandVoltages - 1));

        // The largest plan the dialog can make is far inside the bound.
        CSettingData big = Sweep(200, 30500, 10, POLA_BIT_BOTH);
        big.MakeExecList(big.m_edlList);
        QCOMPARE(big.m_edlList.size(), size_t(6062));
        QCOMPARE(big.m_edlList.back()->m_lVolt, 30500);
    }
    void conditionDefaults() {
        CSettingData s;
        QCOMPARE(s.m_ulUsed, 3u);
        QCOMPARE(s.m_nIecLevel, IEC_LEVEL_X);
        QCOMPARE(s.m_nTrig, TRIG_GUN);
        QCOMPARE(s.m_ulPola, 1u);
        QCOMPARE(s.m_lInterval, 1000);
        QCOMPARE(s.m_lCount, 10);
        QCOMPARE(s.m_value.m_lStep, 100);
        QCOMPARE(s.m_value.m_alValue[4], 8000);
        QCOMPARE(s.m_value.m_alValue[5], 200);
        QCOMPARE(s.m_rngInterval.lMin, 50);
        QCOMPARE(s.m_rngInterval.lMax, 600000);
        QCOMPARE(s.m_rngCount.lMax, 60000);
        QVERIFY(s.m_edlList.empty());

        s.m_lCount = 99;
        s.m_bSweep = true;
        s.m_rngInterval.lIncrement = 100;
        s.MakeExecList(s.m_edlList);
        s.SetDefault();
        QVERIFY(s.IsEqual(CSettingData()));

        CExecData d;
        QCOMPARE(d.m_nPola, POLA_MINUS);
        QCOMPARE(d.m_lInterval, 50);
        QCOMPARE(d.m_ulUsed, 3u);
    }
    void copyIsDeep() {
        CSettingData a = Sweep(200, 400, 100, POLA_BIT_BOTH);
        a.m_bSweep = true;
        a.m_rngInterval.lIncrement = 100;
        a.MakeExecList(a.m_edlList);
        a.m_edlList[2]->m_nJudge = JUDGE_C;
        a.m_edlList[2]->m_strComment = "spark";

        CSettingData b = Sweep(5000, 9000, 1000);
        b.MakeExecList(b.m_edlList);
        a.CopyTo(b);
        QVERIFY(b.IsEqual(a));
        QCOMPARE(b.m_edlList[2]->m_strComment, QString("spark"));
        QVERIFY(b.m_edlList[0].get() != a.m_edlList[0].get());
        b.m_edlList[0]->m_lVolt = 1;
        QCOMPARE(a.m_edlList[0]->m_lVolt, 200);

        CSettingData c(a); // copy construction is deep too
        QVERIFY(c.IsEqual(a));
        a.m_edlList.clear();
        QCOMPARE(c.m_edlList.size(), size_t(6));
        a.CopyTo(a); // copying onto itself keeps it whole
        QVERIFY(a.m_edlList.empty());
        c.CopyTo(&a);
        QCOMPARE(a.m_edlList.size(), size_t(6));
    }
    void setTestNo() {
        CSettingData s = Sweep(200, 400, 100, POLA_BIT_BOTH);
        s.MakeExecList(s.m_edlList);
        s.SetTestNo(7);
        QCOMPARE(s.m_lTestNo, 7);
        for (const auto& d : s.m_edlList)
            QCOMPARE(d->m_lTestNo, 7);
    }
    void stepColumns() {
        QStringList titles;
        for (int c = -1; c <= 9; ++c)
            titles << CExecData::GetColumnTitle(c);
        QCOMPARE(titles,
                 (QStringList{"", QString::fromUtf8("放電モード"), "IEC LEVEL",
                              QString::fromUtf8("トリガ"), QString::fromUtf8("極性"),
                              QString::fromUtf8("電圧[kV]"), QString::fromUtf8("放電回数[回]"),
                              QString::fromUtf8("放電間隔[s]"), QString::fromUtf8("判定"),
                              QString::fromUtf8("コメント"), ""}));
        QCOMPARE(CSettingData::GetColumnTitle(4), QString::fromUtf8("電圧[kV]"));

        CExecData d;
        d.m_strComment = "ok";
        d.m_nJudge = JUDGE_B;
        QStringList texts;
        for (int c = -1; c <= 9; ++c)
            texts << d.GetColumnText(c);
        QCOMPARE(texts, (QStringList{"", "CONTACT", "IEC LEVEL X", "GUN", "-", "0.20", "10", "0.05",
                                     "B", "ok", ""}));

        d.m_lVolt = 0;
        QCOMPARE(d.GetColumnText(4), QString("0"));
        d.m_lVolt = -2500;
        QCOMPARE(d.GetColumnText(4), QString("-2.50"));
        d.m_nDiscMode = 5; // any non-zero mode is AIR
        QCOMPARE(d.GetColumnText(0), QString("AIR"));
        QCOMPARE(d.GetColumnText(6), QString("------"));
        const QStringList levels{"IEC LEVEL 1", "IEC LEVEL 2", "IEC LEVEL 3", "IEC LEVEL 4",
                                 "IEC LEVEL X"};
        for (int l = 0; l < 5; ++l) {
            d.m_nIecLevel = l;
            QCOMPARE(d.GetColumnText(1), levels[l]);
        }
        d.m_nIecLevel = -1;
        QCOMPARE(d.GetColumnText(1), QString("------"));
        d.m_nIecLevel = 5;
        QCOMPARE(d.GetColumnText(1), QString("------"));
        const QStringList trigs{"VZR", "GUN", "EXTERNAL", "REMOTE", ""};
        for (int t = 0; t < 5; ++t) {
            d.m_nTrig = t;
            QCOMPARE(d.GetColumnText(2), trigs[t]);
        }
        d.m_nTrig = -3;
        QCOMPARE(d.GetColumnText(2), QString());
        d.m_nPola = -1;
        QCOMPARE(d.GetColumnText(3), QString());
        d.m_nJudge = -1;
        QCOMPARE(d.GetColumnText(7), QString());
        d.m_lCount = -7;
        QCOMPARE(d.GetColumnText(5), QString("-7"));
    }
    // Out of range, polarity and judgement read as the lists correct them; the record is
    // corrected where the run list's records are written.
    void stepColumnsCorrectRecord() {
        CExecData d;
        d.m_nPola = 5;
        d.m_nJudge = 9;
        QCOMPARE(d.GetColumnText(3), QString("-"));
        QCOMPARE(d.GetColumnText(7), QString("------"));
        d.ClampForList();
        QCOMPARE(d.m_nPola, 1);
        QCOMPARE(d.m_nJudge, JUDGE_NONE);
        d.SetResult(JUDGE_D, "x");
        QCOMPARE(d.GetColumnText(7), QString("D"));
        d.ClampForList();
        QCOMPARE(d.m_nJudge, JUDGE_D);
        d.SetResult(5, "y");
        QCOMPARE(d.m_nJudge, JUDGE_NONE);
        QCOMPARE(d.m_strComment, QString("y"));
    }
    void conditionColumns() {
        CSettingData s;
        QStringList texts;
        for (int c = 0; c <= 9; ++c)
            texts << s.GetColumnText(c);
        QCOMPARE(texts, (QStringList{"CONTACT", "IEC LEVEL X", "GUN", "+", "0.20", "10", "1.00",
                                     "------", "", ""}));

        s.m_ulPola = POLA_BIT_MINUS;
        QCOMPARE(s.GetColumnText(3), QString("-"));
        s.m_ulPola = 0;
        QCOMPARE(s.GetColumnText(3), QString());
        // Both bits read "+/-" with or without the dialog's sweep flag.
        s.m_ulPola = POLA_BIT_BOTH;
        QCOMPARE(s.GetColumnText(3), QString("+/-"));
        s.m_bSweep = true;
        QCOMPARE(s.GetColumnText(3), QString("+/-"));

        s.m_value.m_nValueType = VALUE_SWEEP;
        QCOMPARE(s.GetColumnText(4), QString::fromUtf8("開始：0.20, 刻み：0.10, 終了：0.20"));
        s.m_value.m_lStart = 1000;
        s.m_value.m_lEnd = 30500;
        s.m_value.m_lStep = 10;
        QCOMPARE(s.GetColumnText(4), QString::fromUtf8("開始：1.00, 刻み：0.01, 終了：30.50"));
        s.m_value.m_nValueType = VALUE_MULTI;
        QCOMPARE(s.GetColumnText(4), QString("2.00"));
        s.m_value.m_abUse = {1, 1, 0, 0, 1, 0, 0, 0, 0, 0};
        QCOMPARE(s.GetColumnText(4), QString("2.00, 4.00, 8.00"));
        s.m_value.m_abUse.fill(0);
        QCOMPARE(s.GetColumnText(4), QString());
        s.m_value.m_nValueType = 9;
        QCOMPARE(s.GetColumnText(4), QString());

        s.m_nDiscMode = DISC_AIR;
        QCOMPARE(s.GetColumnText(0), QString("AIR"));
        QCOMPARE(s.GetColumnText(6), QString("------"));
        s.m_nDiscMode = DISC_CONTACT;
        s.m_lInterval = 600000;
        QCOMPARE(s.GetColumnText(6), QString("600.00"));
    }
    void stepStoredForm() {
        CExecData d;
        d.m_ulUsed = 0xFFFFFFF0u;
        d.m_lTestPointNo = -5;
        d.m_lVolt = 30500;
        ByteBuilder b;
        ByteBuilder::Step s;
        s.used = 0xFFFFFFF0u;
        s.testPointNo = -5;
        s.volt = 30500;
        s.pola = 1;
        s.interval = 50;
        b.StepRecord(s);
        const QByteArray bytes = StoreBytes(d);
        QCOMPARE(bytes.toHex(), b.bytes.toHex());
        QVERIFY(bytes.startsWith(QByteArray::fromHex("fffeff15")));
        QCOMPARE(bytes.mid(4, 42), QByteArray("E\0x\0e\0c\0 \0D\0a\0t\0a\0 \0V\0e\0r\0.\0001\0.\0"
                                              "0\0.\0000\0.\0000\0",
                                              42));
    }
    void stepRoundTripDropsJudgement() {
        CExecData d;
        d.m_lTestNo = 3;
        d.m_nDiscMode = DISC_AIR;
        d.m_nIecLevel = -8;
        d.m_nTrig = TRIG_REMOTE;
        d.m_nPola = 7;
        d.m_lVolt = -1;
        d.m_lInterval = std::numeric_limits<qint32>::max();
        d.m_lCount = std::numeric_limits<qint32>::min();
        d.m_nJudge = JUDGE_B;
        d.m_strComment = QString::fromUtf8("放電あり");
        CExecData back;
        back.m_nJudge = JUDGE_C;
        back.m_strComment = "old";
        QCOMPARE(LoadBytes(back, StoreBytes(d)), LOAD_OK);
        QCOMPARE(back.m_nJudge, JUDGE_C); // loading touches only the stored fields
        d.m_nJudge = back.m_nJudge = JUDGE_NONE;
        d.m_strComment.clear();
        back.m_strComment.clear();
        QVERIFY(back == d);
    }
    void stepVersionMismatch() {
        ByteBuilder b;
        ByteBuilder::Step s;
        s.version = "Exec Data Ver.1.0.0.1";
        b.StepRecord(s);
        CExecData d;
        d.m_lVolt = 1234;
        bool failed = true;
        QCOMPARE(LoadBytes(d, b.bytes, &failed), LOAD_VERSION);
        QVERIFY(!failed);
        QCOMPARE(d.m_lVolt, 1234);
    }
    void conditionStoredForm() {
        // A default condition without steps: the 21 items and the step count 0.
        CSettingData s;
        ByteBuilder b;
        b.SettingRecord(ByteBuilder::Setting{});
        QCOMPARE(StoreBytes(s).toHex(), b.bytes.toHex());

        // With steps: numbered labels in front of each step.
        CSettingData t = Sweep(200, 300, 100, POLA_BIT_MINUS);
        t.m_lTestNo = 2;
        t.MakeExecList(t.m_edlList);
        ByteBuilder::Setting st;
        st.valueType = VALUE_SWEEP;
        st.end = 300;
        st.pola = 2;
        st.testNo = 2;
        ByteBuilder::Step a;
        a.testNo = 2;
        a.pola = 1;
        ByteBuilder::Step c = a;
        c.volt = 300;
        ByteBuilder bt;
        bt.SettingRecord(st, {a, c});
        QCOMPARE(StoreBytes(t).toHex(), bt.bytes.toHex());
        QVERIFY(bt.bytes.contains(QByteArray("E\0x\0e\0c\0D\0a\0t\0a\0N\0o\0.\0002\0", 24)));
    }
    void conditionRoundTrip() {
        CSettingData s = Sweep(-5, std::numeric_limits<qint32>::max(), 0, 0xABCDEF01u);
        s.m_ulUsed = 0;
        s.m_nIecLevel = 77;
        s.m_value.m_abUse = {0, 5, 0, 0, 0, 0, 0, 0, 0, -1};
        s.m_value.m_alValue[9] = -30500;
        s.m_bSweep = true;
        s.m_rngInterval.lIncrement = 100;
        s.MakeExecList(s.m_edlList);
        s.m_edlList[0]->m_strComment = "dropped";
        CSettingData back = Sweep(200, 900, 100, POLA_BIT_BOTH);
        back.MakeExecList(back.m_edlList);
        QCOMPARE(LoadBytes(back, StoreBytes(s)), LOAD_OK);
        // Not stored: the dialog flag, the descriptors, judgements and comments.
        QVERIFY(!back.m_bSweep);
        QCOMPARE(back.m_rngInterval.lIncrement, 10);
        s.m_bSweep = false;
        s.m_rngInterval.lIncrement = 10;
        s.m_edlList[0]->m_strComment.clear();
        QVERIFY(back.IsEqual(s));
    }
    void conditionVersionMismatch() {
        ByteBuilder::Setting st;
        st.version = "Setting Data Ver.1.0.0.0 ";
        ByteBuilder b;
        b.SettingRecord(st);
        b.Text("after");
        QBuffer buf;
        buf.setData(b.bytes);
        buf.open(QIODevice::ReadOnly);
        CArchive ar(&buf, CArchive::load);
        CSettingData s;
        s.m_lCount = 55;
        QCOMPARE(s.Load(ar), LOAD_VERSION);
        QCOMPARE(s.m_lCount, 55);
        // Only the start label and the version text were consumed.
        QCOMPARE(ar.ReadString(), QString("[m_ulUsed]"));
    }
    void conditionStepVersionMismatch() {
        ByteBuilder::Step bad;
        bad.version = "Exec Data Ver.2.0.0.0";
        ByteBuilder b;
        b.SettingRecord(ByteBuilder::Setting{}, {ByteBuilder::Step{}, bad});
        CSettingData s;
        QCOMPARE(LoadBytes(s, b.bytes), LOAD_VERSION);
    }
    void conditionHostileStepCount() {
        ByteBuilder b;
        b.SettingRecord(ByteBuilder::Setting{}, {ByteBuilder::Step{}});
        // Rewrite the step count (the integer after "m_edlList") to a huge value.
        const QByteArray label = ByteBuilder().Text("m_edlList").bytes;
        const qsizetype at = b.bytes.indexOf(label) + label.size();
        for (const qint32 count : {0x7FFFFFFF, 2, 1000}) {
            QByteArray bytes = b.bytes;
            ByteBuilder n;
            n.I32(count);
            bytes.replace(at, 4, n.bytes);
            CSettingData s;
            bool failed = false;
            QCOMPARE(LoadBytes(s, bytes, &failed), LOAD_BAD_FORMAT);
            QVERIFY(failed);
            QVERIFY(s.m_edlList.size() <= 1);
        }
        // A negative count reads no steps and goes on to the closing label.
        QByteArray bytes = ByteBuilder().SettingRecord(ByteBuilder::Setting{}).bytes;
        ByteBuilder n;
        n.I32(-3);
        bytes.replace(bytes.indexOf(label) + label.size(), 4, n.bytes);
        CSettingData s;
        QCOMPARE(LoadBytes(s, bytes), LOAD_OK);
        QVERIFY(s.m_edlList.empty());
    }
    void archiveItems() {
        QBuffer buf;
        buf.open(QIODevice::WriteOnly);
        {
            CArchive ar(&buf, CArchive::store);
            qint32 a = -2;
            const quint32 b = 0xFEDCBA98u;
            ar.Item(QStringLiteral("[a]"), a);
            ar.Mark(QStringLiteral("@"));
            ar.Item(QStringLiteral("[b]"), b);
        }
        QCOMPARE(buf.data().toHex(),
                 ByteBuilder().Label("[a]", -2).Text("@").Label("[b]", 0xFEDCBA98u).bytes.toHex());

        QBuffer in;
        in.setData(buf.data());
        in.open(QIODevice::ReadOnly);
        CArchive ar(&in, CArchive::load);
        qint32 a = 0;
        quint32 b = 0;
        ar.Item(QStringLiteral("other"), a); // the label is read past, not compared
        ar.Mark(QString());
        ar.Item(QString(), b);
        QCOMPARE(a, -2);
        QCOMPARE(b, 0xFEDCBA98u);
        QVERIFY(!ar.IsFailed());
        // A const field cannot take a loaded value: the archive fails rather than skip it.
        const qint32 fixed = 1;
        ar.Item(QStringLiteral("[x]"), fixed);
        QVERIFY(ar.IsFailed());
    }
};

QTEST_GUILESS_MAIN(TestDataRecords)
#include "tst_data_records.moc"
