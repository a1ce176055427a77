// The test condition dialog, offscreen and by objectName: what it shows on opening, how
// the lists, SWEEP and the number boxes change the record, and the keyboard.
#include "common/CNumberBox.h"
#include "data/CSettingData.h"
#include "plan/CSettingsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QStringList Rows(const QComboBox* combo) {
    QStringList rows;
    for (int i = 0; i < combo->count(); ++i)
        rows << combo->itemText(i);
    return rows;
}

} // namespace

class TestSettingsDlg : public QObject {
    Q_OBJECT

    CSettingData m_record;
    std::unique_ptr<CSettingsDlg> m_dlg;

    template <class T> T* Get(const char* name) {
        T* w = m_dlg->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QComboBox* Combo(const char* name) { return Get<QComboBox>(name); }
    CNumberBox* Box(const char* name) { return Get<CNumberBox>(name); }
    QLineEdit* Edit(const char* name) { return Box(name)->findChild<QLineEdit*>(); }
    QString Text(const char* name) { return Box(name)->text(); }
    bool Shown(const char* name) { return Get<QWidget>(name)->isVisibleTo(m_dlg.get()); }

    // The dialog up and active, so that focus moves as the operator moves it.
    void Open() {
        m_dlg = std::make_unique<CSettingsDlg>(m_record);
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }
    // The operator picks a row of a list with the keyboard.
    void Choose(const char* name, const QString& text) {
        QComboBox* combo = Combo(name);
        const int row = combo->findText(text);
        QVERIFY2(row >= 0, qPrintable(text));
        combo->setFocus();
        while (combo->currentIndex() != row)
            QTest::keyClick(combo, combo->currentIndex() < row ? Qt::Key_Down : Qt::Key_Up);
    }
    // Leave the box: it commits.
    void Leave() { Get<QPushButton>("buttonCancel")->setFocus(Qt::TabFocusReason); }
    // Focus into the box (selecting its text) and type over it.
    void Type(const char* name, const QString& keys) {
        if (Box(name)->hasFocus())
            Leave();
        Box(name)->setFocus(Qt::TabFocusReason);
        QVERIFY(Box(name)->hasFocus());
        QCOMPARE(Edit(name)->selectedText(), Edit(name)->text());
        QTest::keyClicks(Box(name), keys);
    }

private slots:
    void init() { m_record = CSettingData(); }
    void cleanup() { m_dlg.reset(); }

    void opensWithTheRecord() {
        Open();
        QCOMPARE(m_dlg->windowTitle(), QString("試験設定"));
        QCOMPARE(m_dlg->size(), QSize(482, 255));
        QCOMPARE(Rows(Combo("comboDiscMode")), (QStringList{"CONTACT", "AIR    "}));
        QCOMPARE(Rows(Combo("comboIecLevel")),
                 (QStringList{"IEC LEVEL 1", "IEC LEVEL 2", "IEC LEVEL 3", "IEC LEVEL 4",
                              "IEC LEVEL X"}));
        QCOMPARE(Rows(Combo("comboTrig")),
                 (QStringList{"VZR        ", "GUN        ", "EXT.       "}));
        QCOMPARE(Rows(Combo("comboPola")), (QStringList{"+", "-"}));
        QCOMPARE(Combo("comboDiscMode")->currentText(), QString("CONTACT"));
        QCOMPARE(Combo("comboIecLevel")->currentText(), QString("IEC LEVEL X"));
        QCOMPARE(Combo("comboTrig")->currentText(), QString("GUN        "));
        QCOMPARE(Combo("comboPola")->currentText(), QString("+"));
        QVERIFY(!Get<QCheckBox>("checkSweep")->isChecked());
        QCOMPARE(Text("editVoltage"), QString("0.20"));
        QCOMPARE(Text("editStep"), QString("0.10"));
        QCOMPARE(Text("editEnd"), QString("0.20"));
        QCOMPARE(Text("editInterval"), QString("1.00"));
        QCOMPARE(Text("editCount"), QString("10"));
        for (const char* name :
             {"labelStep", "editStep", "labelStepUnit", "labelEnd", "editEnd", "labelEndUnit"})
            QVERIFY2(!Shown(name), name);
        for (const char* name : {"labelInterval", "editInterval", "labelIntervalUnit"})
            QVERIFY2(Shown(name), name);
        QCOMPARE(QApplication::focusWidget(), Get<QPushButton>("buttonOk"));
        QVERIFY(Get<QPushButton>("buttonOk")->isDefault());
        // opening changes nothing in a default record
        QVERIFY(m_record.IsEqual(CSettingData()));
    }

    void tabOrderAndNames() {
        m_record.m_value.m_nValueType = VALUE_SWEEP; // every box shown
        Open();
        QStringList order;
        QWidget* w = Get<QPushButton>("buttonOk");
        do {
            order << w->objectName();
            QTest::keyClick(w, Qt::Key_Tab);
            w = QApplication::focusWidget();
        } while (w && w->objectName() != QLatin1String("buttonOk") && order.size() < 20);
        QCOMPARE(order, (QStringList{"buttonOk", "buttonCancel", "comboDiscMode", "comboIecLevel",
                                     "comboTrig", "comboPola", "checkSweep", "editVoltage",
                                     "editStep", "editEnd", "editInterval", "editCount"}));
        const QList<std::pair<const char*, const char*>> names = {
            {"buttonOk", "OK"},
            {"buttonCancel", "キャンセル"},
            {"comboDiscMode", "放電モード"},
            {"comboIecLevel", "IEC LEVEL"},
            {"comboTrig", "トリガ"},
            {"comboPola", "極性"},
            {"checkSweep", "SWEEP"},
            {"editVoltage", "電圧"},
            {"editStep", "STEP"},
            {"editEnd", "END"},
            {"editInterval", "放電間隔"},
            {"editCount", "放電回数"},
        };
        for (const auto& [name, accessible] : names)
            QCOMPARE(Get<QWidget>(name)->accessibleName(), QString(accessible));
        QCOMPARE(Get<QLabel>("labelVoltage")->buddy(), Box("editVoltage"));
        QCOMPARE(Box("editCount")->accessibleDescription(), QString("[回]"));
    }

    void levelVoltagesFollowTheMode() {
        Open();
        Choose("comboIecLevel", "IEC LEVEL 3");
        QCOMPARE(Text("editVoltage"), QString("6.00"));
        QCOMPARE(m_record.m_nIecLevel, IEC_LEVEL_3);
        Choose("comboDiscMode", "AIR    ");
        QCOMPARE(Text("editVoltage"), QString("8.00"));
        QCOMPARE(m_record.m_nDiscMode, DISC_AIR);
        // the sweep's ends move with the value, so SWEEP next starts from what is shown
        QCOMPARE(m_record.m_value.m_lValue, 8000);
        QCOMPARE(m_record.m_value.m_lStart, 8000);
        QCOMPARE(m_record.m_value.m_lEnd, 8000);
        Choose("comboIecLevel", "IEC LEVEL 4");
        QCOMPARE(Text("editVoltage"), QString("15.00"));
        Choose("comboDiscMode", "CONTACT");
        QCOMPARE(Text("editVoltage"), QString("8.00"));
        QCOMPARE(Combo("comboIecLevel")->currentText(), QString("IEC LEVEL 4"));
        // a free voltage stays where it is when the mode changes
        Choose("comboIecLevel", "IEC LEVEL X");
        Type("editVoltage", "3.3");
        Leave();
        Choose("comboDiscMode", "AIR    ");
        QCOMPARE(Text("editVoltage"), QString("3.30"));
        QCOMPARE(m_record.m_value.m_lValue, 3300);
    }

    void airHidesTheInterval() {
        Open();
        Choose("comboDiscMode", "AIR    ");
        for (const char* name : {"labelInterval", "editInterval", "labelIntervalUnit"})
            QVERIFY2(!Shown(name), name);
        QCOMPARE(m_record.m_lInterval, 1000);
        Choose("comboDiscMode", "CONTACT");
        QVERIFY(Shown("editInterval"));
        QCOMPARE(Text("editInterval"), QString("1.00"));
    }

    void typingChecksTheLevel() {
        Open();
        Choose("comboIecLevel", "IEC LEVEL 2");
        Type("editVoltage", "5");
        QCOMPARE(Combo("comboIecLevel")->currentText(), QString("IEC LEVEL X"));
        QCOMPARE(m_record.m_nIecLevel, IEC_LEVEL_X);
        QCOMPARE(m_record.m_value.m_lValue, 4000); // not before the box is left
        Leave();
        QCOMPARE(m_record.m_value.m_lValue, 5000);
        QCOMPARE(m_record.m_value.m_lStart, 5000);

        for (const char* mode : {"CONTACT", "AIR    "}) {
            for (const char* typed : {"4", "4.00"}) {
                Choose("comboDiscMode", mode);
                Choose("comboIecLevel", "IEC LEVEL 2");
                Type("editVoltage", typed);
                QCOMPARE(Combo("comboIecLevel")->currentText(), QString("IEC LEVEL 2"));
                QCOMPARE(m_record.m_nIecLevel, IEC_LEVEL_2);
            }
        }
    }

    void sweepOnAndOff() {
        Open();
        Choose("comboIecLevel", "IEC LEVEL 2");
        QTest::mouseClick(Get<QCheckBox>("checkSweep"), Qt::LeftButton);
        QVERIFY(m_record.m_bSweep);
        QCOMPARE(m_record.m_value.m_nValueType, VALUE_SWEEP);
        QCOMPARE(Combo("comboIecLevel")->currentText(), QString("IEC LEVEL X"));
        QCOMPARE(m_record.m_nIecLevel, IEC_LEVEL_X);
        for (const char* name : {"labelStep", "editStep", "labelEnd", "editEnd"})
            QVERIFY2(Shown(name), name);
        QCOMPARE(Rows(Combo("comboPola")), (QStringList{"+", "-", "+/-"}));
        QCOMPARE(Text("editVoltage"), QString("4.00"));
        QCOMPARE(Text("editEnd"), QString("4.00"));
        Choose("comboPola", "+/-");
        QCOMPARE(m_record.m_ulPola, POLA_BIT_BOTH);

        // a standard level ends the sweep; "+/-" has no place in a single voltage
        Choose("comboIecLevel", "IEC LEVEL 1");
        QVERIFY(!Get<QCheckBox>("checkSweep")->isChecked());
        QVERIFY(!m_record.m_bSweep);
        QCOMPARE(m_record.m_value.m_nValueType, VALUE_SINGLE);
        QVERIFY(!Shown("editStep") && !Shown("editEnd"));
        QCOMPARE(Rows(Combo("comboPola")), (QStringList{"+", "-"}));
        QCOMPARE(Combo("comboPola")->currentText(), QString("+"));
        QCOMPARE(m_record.m_ulPola, POLA_BIT_PLUS);
        QCOMPARE(Text("editVoltage"), QString("2.00"));

        // "-" survives the way back and forth; SWEEP by the keyboard
        Choose("comboPola", "-");
        Get<QCheckBox>("checkSweep")->setFocus();
        QTest::keyClick(Get<QCheckBox>("checkSweep"), Qt::Key_Space);
        QVERIFY(m_record.m_bSweep);
        QCOMPARE(Combo("comboPola")->currentText(), QString("-"));
        QTest::keyClick(Get<QCheckBox>("checkSweep"), Qt::Key_Space);
        QVERIFY(!m_record.m_bSweep);
        QCOMPARE(m_record.m_ulPola, POLA_BIT_MINUS);
        QCOMPARE(Combo("comboPola")->currentText(), QString("-"));
    }

    void voltageClamps() {
        Open();
        Type("editVoltage", "0.1");
        Leave();
        QCOMPARE(Text("editVoltage"), QString("0.20"));
        QCOMPARE(m_record.m_value.m_lValue, 200);
        Type("editVoltage", "31");
        Leave();
        QCOMPARE(Text("editVoltage"), QString("30.50"));
        QCOMPARE(m_record.m_value.m_lValue, 30500);
        Box("editVoltage")->setFocus();
        QTest::keyClick(Box("editVoltage"), Qt::Key_Up);
        QCOMPARE(Text("editVoltage"), QString("30.50"));
        QTest::keyClick(Box("editVoltage"), Qt::Key_Down);
        QCOMPARE(Text("editVoltage"), QString("30.49"));
        QCOMPARE(m_record.m_value.m_lValue, 30490);
        // an empty box reads as 0 and takes the minimum
        Type("editVoltage", "");
        Edit("editVoltage")->clear();
        Leave();
        QCOMPARE(Text("editVoltage"), QString("0.20"));
        // more digits than the box shows: the record holds what is shown
        Type("editVoltage", "1.234");
        Leave();
        QCOMPARE(Text("editVoltage"), QString("1.23"));
        QCOMPARE(m_record.m_value.m_lValue, 1230);
    }

    void countClampsAndSteps() {
        Open();
        Type("editCount", "0");
        Leave();
        QCOMPARE(Text("editCount"), QString("1"));
        QCOMPARE(m_record.m_lCount, 1);
        Box("editCount")->stepDown();
        QCOMPARE(m_record.m_lCount, 1);
        Box("editCount")->stepUp();
        Box("editCount")->stepUp();
        QCOMPARE(Text("editCount"), QString("3"));
        QCOMPARE(m_record.m_lCount, 3);
        Type("editCount", "70000");
        Leave();
        QCOMPARE(m_record.m_lCount, 60000);
        Box("editCount")->stepUp();
        QCOMPARE(m_record.m_lCount, 60000);
    }

    void endFollowsTheStart() {
        m_record.m_value.m_nValueType = VALUE_SWEEP;
        m_record.m_value.m_lValue = 1000;
        m_record.m_value.m_lStart = 1000;
        m_record.m_value.m_lEnd = 3000;
        Open();
        QCOMPARE(Text("editEnd"), QString("3.00"));
        Type("editVoltage", "5");
        Leave();
        QCOMPARE(m_record.m_value.m_lStart, 5000);
        QCOMPARE(m_record.m_value.m_lEnd, 5000);
        QCOMPARE(Text("editEnd"), QString("5.00"));
        // END cannot go below the start, typed or stepped
        Type("editEnd", "2");
        Leave();
        QCOMPARE(Text("editEnd"), QString("5.00"));
        QCOMPARE(m_record.m_value.m_lEnd, 5000);
        Box("editEnd")->stepDown();
        QCOMPARE(m_record.m_value.m_lEnd, 5000);
        Box("editEnd")->stepUp();
        QCOMPARE(Text("editEnd"), QString("5.01"));
        // a lower start leaves END where it is
        Type("editVoltage", "3");
        Leave();
        QCOMPARE(m_record.m_value.m_lStart, 3000);
        QCOMPARE(m_record.m_value.m_lEnd, 5010);
        // STEP has its own bounds
        Type("editStep", "0");
        Leave();
        QCOMPARE(Text("editStep"), QString("0.01"));
        QCOMPARE(m_record.m_value.m_lStep, 10);
    }

    void typingFilter() {
        Open();
        Type("editVoltage", "1.2");
        QTest::keyClick(Box("editVoltage"), Qt::Key_Period);
        QCOMPARE(Text("editVoltage"), QString("12."));
        QCOMPARE(Edit("editVoltage")->cursorPosition(), 3);
        // a letter anywhere: text and caret as before the keystroke
        Type("editVoltage", "1.2");
        for (int at : {0, 1, 3}) {
            Edit("editVoltage")->setCursorPosition(at);
            QTest::keyClick(Box("editVoltage"), Qt::Key_A);
            QCOMPARE(Text("editVoltage"), QString("1.2"));
            QCOMPARE(Edit("editVoltage")->cursorPosition(), at);
            QTest::keyClick(Box("editVoltage"), Qt::Key_Minus);
            QCOMPARE(Text("editVoltage"), QString("1.2"));
        }
        // the count box filters the same way
        Type("editCount", "2x5");
        QCOMPARE(Text("editCount"), QString("25"));
    }

    void intervalSteps() {
        m_record.m_lInterval = 980;
        Open();
        QStringList shown;
        Box("editInterval")->setFocus();
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(Box("editInterval"), Qt::Key_Up);
            shown << Text("editInterval");
        }
        QCOMPARE(shown, (QStringList{"0.99", "1.00", "1.10"}));
        Type("editInterval", "1");
        QTest::keyClick(Box("editInterval"), Qt::Key_Down);
        QCOMPARE(Text("editInterval"), QString("0.99"));
        Type("editInterval", "1.05");
        QTest::keyClick(Box("editInterval"), Qt::Key_Up);
        QCOMPARE(Text("editInterval"), QString("1.15"));
        Type("editInterval", "1.05");
        QTest::keyClick(Box("editInterval"), Qt::Key_Down);
        QCOMPARE(Text("editInterval"), QString("0.95"));
        QCOMPARE(m_record.m_lInterval, 950);
        // a committed value steps by its own size, within the bounds
        Type("editInterval", "2");
        Leave();
        QCOMPARE(m_record.m_lInterval, 2000);
        Box("editInterval")->stepDown();
        QCOMPARE(Text("editInterval"), QString("1.90"));
        Type("editInterval", "0.01");
        Leave();
        QCOMPARE(Text("editInterval"), QString("0.05"));
        Box("editInterval")->stepDown();
        QCOMPARE(Text("editInterval"), QString("0.05"));
        Box("editInterval")->stepUp();
        QCOMPARE(Text("editInterval"), QString("0.06"));
        QCOMPARE(m_record.m_lInterval, 60);
        Type("editInterval", "999");
        Leave();
        QCOMPARE(Text("editInterval"), QString("600.00"));
    }

    void recordsWithoutARow() {
        m_record.m_nTrig = TRIG_REMOTE;
        m_record.m_nDiscMode = 5;
        m_record.m_nIecLevel = 9;
        m_record.m_ulPola = 0;
        Open();
        QCOMPARE(Combo("comboTrig")->currentText(), QString("VZR        "));
        QCOMPARE(m_record.m_nTrig, TRIG_VZR);
        QCOMPARE(Combo("comboDiscMode")->currentText(), QString("CONTACT"));
        QCOMPARE(m_record.m_nDiscMode, DISC_CONTACT);
        QCOMPARE(Combo("comboIecLevel")->currentText(), QString("IEC LEVEL 1"));
        QCOMPARE(m_record.m_nIecLevel, IEC_LEVEL_1);
        QCOMPARE(Text("editVoltage"), QString("2.00"));
        QCOMPARE(m_record.m_ulPola, POLA_BIT_PLUS);
    }

    void multipleOpensAsSweep() {
        m_record.m_value.m_nValueType = VALUE_MULTI;
        m_record.m_nIecLevel = IEC_LEVEL_2;
        m_record.m_ulPola = POLA_BIT_BOTH;
        Open();
        QVERIFY(Get<QCheckBox>("checkSweep")->isChecked());
        QCOMPARE(m_record.m_value.m_nValueType, VALUE_SWEEP);
        QCOMPARE(m_record.m_nIecLevel, IEC_LEVEL_X);
        QCOMPARE(Combo("comboPola")->currentText(), QString("+/-"));
        QCOMPARE(m_record.m_ulPola, POLA_BIT_BOTH);
        QVERIFY(Shown("editEnd"));
    }

    void enterCommitsThenAccepts() {
        Open();
        Type("editCount", "25");
        QTest::keyClick(Box("editCount"), Qt::Key_Return);
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_record.m_lCount, 25);
    }

    void escapeCancels() {
        Open();
        Type("editCount", "25");
        QTest::keyClick(Box("editCount"), Qt::Key_Escape);
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        QVERIFY(!m_dlg->isVisible());
    }

    void buttonsOnlyClose() {
        Open();
        Type("editVoltage", "7");
        QTest::mouseClick(Get<QPushButton>("buttonOk"), Qt::LeftButton);
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        // the box lost the focus to the button before the dialog closed
        QCOMPARE(m_record.m_value.m_lValue, 7000);
        m_dlg.reset(); // destroyed without touching the record again
        QCOMPARE(m_record.m_value.m_lValue, 7000);
    }
};

QTEST_MAIN(TestSettingsDlg)
#include "tst_settings_dlg.moc"
