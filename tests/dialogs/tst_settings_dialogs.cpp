// The equipment and test environment dialogs against a settings file of their own.
#include "common/WhenModal.h"
#include "data/CSettingData.h"
#include "dialogs/CPropertyDlg.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CTestInfoDlg.h"
#include "execution/CJudgeDlg.h"
#include "link/CVzrT8100Cntl.h"
#include "plan/CSettingsDlg.h"
#include "settings/CTestProperty.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// The keys of one section as the file holds them.
QMap<QString, QString> Section(const char* section) {
    QMap<QString, QString> keys;
    const QString path = CTestProperty::IniFilePath();
    if (!QFile::exists(path))
        return keys;
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(QLatin1String(section));
    for (const QString& key : ini.childKeys())
        keys[key] = ini.value(key).toString();
    return keys;
}

} // namespace

class TestSettingsDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    CTestProperty m_prop;

    template <class T> static T* Get(QWidget* dlg, const char* name) {
        T* w = dlg->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    static QLineEdit* Edit(QWidget* dlg, const char* name) { return Get<QLineEdit>(dlg, name); }
    static void Click(QWidget* dlg, const char* name) {
        QTest::mouseClick(Get<QPushButton>(dlg, name), Qt::LeftButton);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_dir->path().toLocal8Bit());
        m_prop = CTestProperty();
        m_prop.LoadIni();
    }
    void cleanup() {
        QFile(CTestProperty::IniFilePath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        m_dir.reset();
    }

    // The dialogs of a fixed template keep its size: no maximise button, no size grip.
    void fixedTemplateDialogs() {
        CSettingData record;
        CVzrT8100Cntl cntl;
        const std::unique_ptr<QDialog> dialogs[] = {
            std::make_unique<CSettingsDlg>(record), std::make_unique<CTestInfoDlg>(m_prop),
            std::make_unique<CPropertyDlg>(m_prop), std::make_unique<CRemoteDlg>(cntl),
            std::make_unique<CJudgeDlg>()};
        for (const auto& dlg : dialogs) {
            const char* name = dlg->metaObject()->className();
            const Qt::WindowFlags flags = dlg->windowFlags();
            QVERIFY2(flags.testFlags(Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint) &&
                         !flags.testFlag(Qt::WindowMaximizeButtonHint) && !dlg->isSizeGripEnabled(),
                     name);
            const QSize size = dlg->size();
            dlg->resize(size * 2);
            QVERIFY2(dlg->minimumSize() == size && dlg->maximumSize() == size, name);
        }
    }

    void propertyShowsAndNamesFields() {
        m_prop.m_strCompanyName = "Valdmark";
        CPropertyDlg dlg(m_prop);
        QCOMPARE(dlg.windowTitle(), QString("オプション設定"));
        const QList<std::pair<const char*, QString>> fields = {
            {"editCompany", "Valdmark"},         {"editTestPlace", ""},
            {"editEquipmentModel", "VZR-T8100"}, {"editEquipmentSerialNo", ""},
            {"editGunModel", "HV-52P"},          {"editGunSerialNo", ""},
            {"editCupModel", "14-20385C"},       {"editCupSerialNo", ""},
            {"editCrUnitModel", "17-20388C"},    {"editCrUnitSerialNo", ""},
        };
        const QStringList labels = {"企業名",
                                    "試験場所",
                                    "試験器 モデル名",
                                    "試験器 シリアルNo.",
                                    "放電ガン モデル名",
                                    "放電ガン シリアルNo.",
                                    "放電カップ モデル名",
                                    "放電カップ シリアルNo.",
                                    "CRユニット モデル名",
                                    "CRユニット シリアルNo."};
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QWidget* focus = QApplication::focusWidget();
        for (qsizetype i = 0; i < fields.size(); ++i) {
            QLineEdit* edit = Edit(&dlg, fields[i].first);
            QCOMPARE(edit->text(), fields[i].second);
            QCOMPARE(edit->accessibleName(), labels[i]);
            // Tab walks the boxes in the order of the file
            QCOMPARE(focus, edit);
            QTest::keyClick(focus, Qt::Key_Tab);
            focus = QApplication::focusWidget();
        }
        QCOMPARE(focus, Get<QPushButton>(&dlg, "buttonOk"));
    }

    void propertyOkWritesAllTenKeys() {
        CPropertyDlg dlg(m_prop);
        dlg.show();
        Edit(&dlg, "editCompany")->setText("Valdmark Systems");
        Edit(&dlg, "editGunSerialNo")->setText("G-0042");
        Edit(&dlg, "editCupModel")->clear();
        Click(&dlg, "buttonOk");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const QMap<QString, QString> expected = {
            {"INI_KEY_COMPANY_NAME", "Valdmark Systems"},
            {"INI_KEY_TEST_PLACE", ""},
            {"INI_KEY_EQUIPMENT_MODEL", "VZR-T8100"},
            {"INI_KEY_EQUIPMENT_SERIAL_NO", ""},
            {"INI_KEY_GUN_MODEL", "HV-52P"},
            {"INI_KEY_GUN_SERIAL_NO", "G-0042"},
            {"INI_KEY_CUP_MODEL", ""},
            {"INI_KEY_CUP_SERIAL_NO", ""},
            {"INI_KEY_CR_UNIT_MODEL", "17-20388C"},
            {"INI_KEY_CR_UNIT_SERIAL_NO", ""},
        };
        QCOMPARE(Section(INI_SECTION_PROPERTY), expected);
        QCOMPARE(m_prop.m_strCompanyName, QString("Valdmark Systems"));
        QCOMPARE(m_prop.m_strGunSerialNo, QString("G-0042"));
        QCOMPARE(m_prop.m_strCupModel, QString());
        // an empty model stays empty after a restart: the default does not come back
        CTestProperty next;
        next.LoadIni();
        QCOMPARE(next.m_strCupModel, QString());
        QCOMPARE(next.m_strCompanyName, QString("Valdmark Systems"));
    }

    void propertyCancelChangesNothing() {
        const CTestProperty before = m_prop;
        CPropertyDlg dlg(m_prop);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Edit(&dlg, "editCompany")->setText("changed");
        QTest::keyClick(Edit(&dlg, "editCompany"), Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(CTestProperty::IniFilePath()));
        QCOMPARE(m_prop.m_strCompanyName, before.m_strCompanyName);
    }

    void testInfoBeforeAnyRun() {
        CTestInfoDlg dlg(m_prop);
        QCOMPARE(dlg.windowTitle(), QString("試験環境"));
        QCOMPARE(Edit(&dlg, "editTestDate")->text(), QString("----"));
        QCOMPARE(Edit(&dlg, "editTestTime")->text(), QString("----"));
        QVERIFY(Edit(&dlg, "editTestDate")->isReadOnly());
        QVERIFY(Edit(&dlg, "editTestTime")->isReadOnly());
        QCOMPARE(Edit(&dlg, "editTemperature")->text(), QString("25.0 ℃"));
        QCOMPARE(Edit(&dlg, "editHumidity")->text(), QString("50.0 %"));
        QCOMPARE(Edit(&dlg, "editModel")->text(), QString("未設定"));
        QCOMPARE(Edit(&dlg, "editStandard")->text(), QString("IEC61000-4-2"));
        const QList<std::pair<const char*, const char*>> names = {
            {"editTestDate", "試験日"},   {"editTestTime", "試験時刻"},
            {"editTemperature", "温度"},  {"editHumidity", "湿度"},
            {"editModel", "品名/型名"},   {"editSerial", "シリアル番号"},
            {"editOperator", "試験者名"}, {"editStandard", "規格名"},
        };
        for (const auto& [name, label] : names)
            QCOMPARE(Edit(&dlg, name)->accessibleName(), QString(label));
        QCOMPARE(Get<QPushButton>(&dlg, "buttonSave")->text(), QString("保存"));
    }

    void testInfoShowsTheTestTime() {
        m_prop.m_tmTest = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)).toSecsSinceEpoch();
        CTestInfoDlg dlg(m_prop);
        QCOMPARE(Edit(&dlg, "editTestDate")->text(), QString("2026/03/04"));
        QCOMPARE(Edit(&dlg, "editTestTime")->text(), QString("05:06:07"));
    }

    void testInfoOkKeepsInMemoryOnly() {
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_TEMPERATURE, "20.0 ℃");
        m_prop.LoadIni();
        CTestInfoDlg dlg(m_prop);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        // the first box the operator can change has the focus; Enter is OK
        QCOMPARE(QApplication::focusWidget(), Edit(&dlg, "editTemperature"));
        Edit(&dlg, "editTemperature")->setText("23.5 ℃");
        Edit(&dlg, "editOperator")->setText("Sato");
        QTest::keyClick(Edit(&dlg, "editTemperature"), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(m_prop.m_strTemperature, QString("23.5 ℃"));
        QCOMPARE(m_prop.m_strOperator, QString("Sato"));
        const QMap<QString, QString> file = {{"INI_KEY_TEMPERATURE", "20.0 ℃"}};
        QCOMPARE(Section(INI_SECTION_TEST_INFO), file);
        // after a restart the old value returns
        CTestProperty next;
        next.LoadIni();
        QCOMPARE(next.m_strTemperature, QString("20.0 ℃"));
    }

    void testInfoCancelChangesNothing() {
        CTestInfoDlg dlg(m_prop);
        dlg.show();
        Edit(&dlg, "editHumidity")->setText("99 %");
        Click(&dlg, "buttonCancel");
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(m_prop.m_strHumidity, QString("50.0 %"));
        QVERIFY(!QFile::exists(CTestProperty::IniFilePath()));
    }

    void saveAnsweredCancel() {
        CTestInfoDlg dlg(m_prop);
        dlg.show();
        Edit(&dlg, "editTemperature")->setText("30.0 ℃");
        BoxSeen question;
        AnswerNextBox(QMessageBox::Cancel, &question);
        Click(&dlg, "buttonSave");
        QCOMPARE(question.text, QString("保存します。\nよろしいですか？"));
        QCOMPARE(question.caption, QString("VZR-T8100"));
        QVERIFY(dlg.isVisible());
        QVERIFY(!QFile::exists(CTestProperty::IniFilePath()));
        QCOMPARE(m_prop.m_strTemperature, QString("25.0 ℃"));
        // and the dialog's cancel afterwards changes nothing either
        Click(&dlg, "buttonCancel");
        QCOMPARE(m_prop.m_strTemperature, QString("25.0 ℃"));
    }

    void saveAnsweredOkWritesSixKeys() {
        CTestInfoDlg dlg(m_prop);
        dlg.show();
        Edit(&dlg, "editHumidity")->setText("45.0 %");
        Edit(&dlg, "editSerial")->clear();
        BoxSeen question;
        AnswerNextBox(QMessageBox::Ok, &question);
        Click(&dlg, "buttonSave");
        QCOMPARE(question.icon, QMessageBox::Warning);
        QVERIFY(dlg.isVisible()); // the dialog stays open
        const QMap<QString, QString> expected = {
            {"INI_KEY_TEMPERATURE", "25.0 ℃"}, {"INI_KEY_HUMIDITY", "45.0 %"},
            {"INI_KEY_MODEL", "未設定"},       {"INI_KEY_SERIAL", ""},
            {"INI_KEY_OPERATOR", "未設定"},    {"INI_KEY_STANDARD", "IEC61000-4-2"},
        };
        QCOMPARE(Section(INI_SECTION_TEST_INFO), expected);
        QVERIFY(Section(INI_SECTION_PROPERTY).isEmpty());
        QCOMPARE(m_prop.m_strHumidity, QString("45.0 %"));
        QCOMPARE(m_prop.m_strSerial, QString());
        Click(&dlg, "buttonOk");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        CTestProperty next;
        next.LoadIni();
        QCOMPARE(next.m_strHumidity, QString("45.0 %"));
    }
};

QTEST_MAIN(TestSettingsDialogs)
#include "tst_settings_dialogs.moc"
