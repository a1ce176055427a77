#include "VzrVersion.h"
#include "common/DiskFull.h"
#include "settings/CLanguage.h"
#include "settings/CTestProperty.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>
#include <unistd.h>

class TestProperty : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString iniPath() const { return m_dir->path() + "/Valdmark/VZR-T8100/VZR-T8100.ini"; }
    void writeRaw(const QByteArray& content) {
        QFile::remove(iniPath());
        QVERIFY(CTestProperty::MakeFolder(QFileInfo(iniPath()).path()));
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_CONFIG_HOME", m_dir->path().toLocal8Bit());
    }
    void cleanup() {
        QFile(iniPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        m_dir.reset();
    }

    void defaultsWithoutFile() {
        CTestProperty prop;
        QVERIFY(prop.m_strEquipmentModel.isEmpty());
        QVERIFY(!prop.m_bJudgeAuto);
        prop.m_tmTest = 1234;
        prop.LoadIni();
        QCOMPARE(prop.m_strCompanyName, QString());
        QCOMPARE(prop.m_strTestPlace, QString());
        QCOMPARE(prop.m_strEquipmentModel, QString("VZR-T8100"));
        QCOMPARE(prop.m_strEquipmentSerialNo, QString());
        QCOMPARE(prop.m_strGunModel, QString("HV-52P"));
        QCOMPARE(prop.m_strGunSerialNo, QString());
        QCOMPARE(prop.m_strCupModel, QString("14-20385C"));
        QCOMPARE(prop.m_strCupSerialNo, QString());
        QCOMPARE(prop.m_strCrUnitModel, QString("17-20388C"));
        QCOMPARE(prop.m_strCrUnitSerialNo, QString());
        QCOMPARE(prop.m_strTemperature, QString("25.0 ℃"));
        QCOMPARE(prop.m_strHumidity, QString("50.0 %"));
        QCOMPARE(prop.m_strModel, QString("未設定"));
        QCOMPARE(prop.m_strSerial, QString("未設定"));
        QCOMPARE(prop.m_strOperator, QString("未設定"));
        QCOMPARE(prop.m_strStandard, QString("IEC61000-4-2"));
        QCOMPARE(prop.m_tmTest, std::int64_t(0));
        QVERIFY(!prop.m_bJudgeAuto);
        // reading creates the folder chain but never the file
        QVERIFY(QFileInfo(m_dir->path() + "/Valdmark/VZR-T8100").isDir());
        QVERIFY(!QFileInfo::exists(iniPath()));
        QCOMPARE(CTestProperty::IniFilePath(), iniPath());
        // the default the operator reads is in his language
        const CLanguage english(CLanguage::ENGLISH);
        QVERIFY(english.HasProgramTexts());
        prop.LoadIni();
        QCOMPARE(prop.m_strOperator, QString("Not set"));
    }

    // English when the messages locale names another language than Japanese; Japanese for
    // ja, C, POSIX or none; --lang over both.
    void languageChoice_data() {
        QTest::addColumn<QStringList>("variables"); // NAME=VALUE
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("language");
        const int ja = CLanguage::JAPANESE, en = CLanguage::ENGLISH;
        QTest::newRow("no locale") << QStringList{} << QString() << ja;
        QTest::newRow("C") << QStringList{"LANG=C"} << QString() << ja;
        QTest::newRow("C.UTF-8") << QStringList{"LANG=C.UTF-8"} << QString() << ja;
        QTest::newRow("POSIX") << QStringList{"LC_ALL=POSIX", "LANG=en_US"} << QString() << ja;
        QTest::newRow("Japanese") << QStringList{"LANG=ja_JP.UTF-8"} << QString() << ja;
        QTest::newRow("Japanese alone") << QStringList{"LANG=ja"} << QString() << ja;
        QTest::newRow("English") << QStringList{"LANG=en_US.UTF-8"} << QString() << en;
        QTest::newRow("German") << QStringList{"LANG=de_DE@euro"} << QString() << en;
        QTest::newRow("Javanese is not Japanese") << QStringList{"LANG=jv_ID"} << QString() << en;
        QTest::newRow("LC_MESSAGES over LANG")
            << QStringList{"LC_MESSAGES=en_GB.UTF-8", "LANG=ja_JP.UTF-8"} << QString() << en;
        QTest::newRow("LC_ALL over LC_MESSAGES")
            << QStringList{"LC_ALL=ja_JP.UTF-8", "LC_MESSAGES=en_US.UTF-8"} << QString() << ja;
        QTest::newRow("empty LC_ALL is not set")
            << QStringList{"LC_ALL=", "LC_MESSAGES=", "LANG=fr_FR.UTF-8"} << QString() << en;
        QTest::newRow("other categories do not count")
            << QStringList{"LC_CTYPE=en_US.UTF-8", "LANGUAGE=en", "LANG=C"} << QString() << ja;
        QTest::newRow("--lang en") << QStringList{"LC_ALL=ja_JP.UTF-8"} << "en" << en;
        QTest::newRow("--lang ja") << QStringList{"LC_ALL=en_US.UTF-8"} << "ja" << ja;
        QTest::newRow("other --lang left to the command line")
            << QStringList{"LANG=en_US"} << "fr" << en;
    }
    void languageChoice() {
        QFETCH(QStringList, variables);
        QFETCH(QString, option);
        QFETCH(int, language);
        QProcessEnvironment env; // empty
        for (const QString& variable : variables)
            env.insert(variable.section('=', 0, 0), variable.section('=', 1));
        QCOMPARE(int(CLanguage::Choose(env, option)), language);
    }

    void writeKeepsFileReadOnly() {
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "HV-99");
        QVERIFY(QFileInfo::exists(iniPath()));
        // the mode bits; WriteUser would say what root may do
        const auto writeBits =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        QCOMPARE(QFile(iniPath()).permissions() & writeBits, QFileDevice::Permissions());
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_CUP_MODEL, "CUP-1");
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "HV-100");
        QCOMPARE(QFile(iniPath()).permissions() & writeBits, QFileDevice::Permissions());
        CTestProperty prop;
        prop.LoadIni();
        QCOMPARE(prop.m_strGunModel, QString("HV-100"));
        QCOMPARE(prop.m_strCupModel, QString("CUP-1"));
        QCOMPARE(prop.m_strCrUnitModel, QString("17-20388C"));
        // the sections and keys stand in the file as spelled
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        QVERIFY(content.contains("[INI_SECTION_PROPERTY]"));
        QVERIFY(content.contains("INI_KEY_GUN_MODEL=HV-100"));
    }

    void fileRefusesOtherWritersBetweenWrites() {
        if (geteuid() == 0)
            QSKIP("root ignores file modes: tst_testproperty_nobody runs this unprivileged");
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "HV-52P-1");
        // an editor or another program cannot change the settings behind the program's back
        QFile other(iniPath());
        QVERIFY(!other.open(QIODevice::WriteOnly | QIODevice::Append));
        QCOMPARE(other.error(), QFileDevice::OpenError);
        // and yet the program's own next writes go through, each one
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "HV-52P-2");
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, "Sato");
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "dflt"),
                 QString("HV-52P-2"));
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, "dflt"),
                 QString("Sato"));
        QVERIFY(!QFile(iniPath()).open(QIODevice::WriteOnly | QIODevice::Append));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString("");
        QTest::newRow("commas") << QString("Valdmark, Inc., Tokyo");
        QTest::newRow("leading blanks") << QString("   left");
        QTest::newRow("trailing blanks") << QString("right   ");
        QTest::newRow("percent") << QString("50.0 %");
        QTest::newRow("celsius") << QString("25.0 ℃");
        QTest::newRow("not set") << QString("未設定");
        QTest::newRow("quotes") << QString("\"quoted\" and 'single'");
        QTest::newRow("at sign") << QString("@Variant(int 5)");
        QTest::newRow("at only") << QString("@");
        QTest::newRow("backslash") << QString("C:\\data\\x.vzt");
        QTest::newRow("semicolon hash") << QString("; not a comment # nor this");
        QTest::newRow("equals brackets") << QString("[a]=b");
        QTest::newRow("newline") << QString("one\ntwo");
        QTest::newRow("number-like") << QString("0012");
        QTest::newRow("bool-like") << QString("true");
        QTest::newRow("emoji") << QString::fromUtf8("試験 \xF0\x9F\x98\x80 end");
    }
    void roundTrip() {
        QFETCH(QString, value);
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, value);
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_MODEL, "other");
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, "dflt"),
                 value);
        CTestProperty prop;
        prop.LoadIni();
        QCOMPARE(prop.m_strOperator, value);
        QCOMPARE(prop.m_strModel, QString("other"));
    }

    void longValueIsCut() {
        const QString value(600, QLatin1Char('x'));
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, value);
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, ""),
                 value.left(519));
        const QString exact(519, QLatin1Char('y'));
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, exact);
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, ""),
                 exact);
        // a pair of surrogates straddling the cut is dropped whole
        const QString pair = QString(518, QLatin1Char('z')) + QString::fromUtf8("\xF0\x9F\x98\x80");
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, pair);
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, ""),
                 QString(518, QLatin1Char('z')));
    }

    void judgeAuto_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("on");
        QTest::newRow("zero") << QByteArray("INI_KEY_JUDGE_AUTO=0") << false;
        QTest::newRow("one") << QByteArray("INI_KEY_JUDGE_AUTO=1") << true;
        QTest::newRow("blank 12 letters") << QByteArray("INI_KEY_JUDGE_AUTO=\" 12abc\"") << true;
        QTest::newRow("letters only") << QByteArray("INI_KEY_JUDGE_AUTO=abc") << false;
        QTest::newRow("letters then digits") << QByteArray("INI_KEY_JUDGE_AUTO=x1") << false;
        QTest::newRow("negative") << QByteArray("INI_KEY_JUDGE_AUTO=-3") << true;
        QTest::newRow("minus zero") << QByteArray("INI_KEY_JUDGE_AUTO=-0") << false;
        QTest::newRow("empty") << QByteArray("INI_KEY_JUDGE_AUTO=") << false;
        QTest::newRow("huge") << QByteArray("INI_KEY_JUDGE_AUTO=99999999999999999999999") << true;
        QTest::newRow("missing") << QByteArray("OTHER=1") << false;
    }
    void judgeAuto() {
        QFETCH(QByteArray, line);
        QFETCH(bool, on);
        writeRaw("[INI_SECTION_JUDGE]\n" + line + "\n");
        CTestProperty prop;
        prop.LoadIni();
        QCOMPARE(prop.m_bJudgeAuto, on);
    }

    void judgeAutoAsWrittenByRun() {
        CTestProperty::WriteIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, " 12abc");
        CTestProperty prop;
        prop.LoadIni();
        QVERIFY(prop.m_bJudgeAuto);
        CTestProperty::WriteIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, QString::number(0));
        prop.LoadIni();
        QVERIFY(!prop.m_bJudgeAuto);
    }

    void handEditedFile() {
        // unquoted commas come back as the operator typed them, blanks after commas kept
        writeRaw("[INI_SECTION_PROPERTY]\nINI_KEY_TEST_PLACE=Lab 3, Bldg 2\n");
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_TEST_PLACE, ""),
                 QString("Lab 3, Bldg 2"));
        // a change made behind our back is seen by the next read
        writeRaw("[INI_SECTION_PROPERTY]\nINI_KEY_TEST_PLACE=Shield room A-12\n");
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_TEST_PLACE, ""),
                 QString("Shield room A-12"));
        // and our next write keeps it
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME, "ACME");
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_TEST_PLACE, ""),
                 QString("Shield room A-12"));
    }

    void failedWriteLeavesOldValue() {
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "HV-52P-7");
        // a full disk: the new file cannot take more than a few bytes (root is bound too)
        WithDiskFull(8, [] {
            CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL,
                                          "lost in writing");
            CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_OPERATOR, "lost as well");
        });
        // what was not written is not read either, in this run or the next
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "dflt"),
                 QString("HV-52P-7"));
        CTestProperty prop;
        prop.LoadIni();
        QCOMPARE(prop.m_strGunModel, QString("HV-52P-7"));
        QCOMPARE(prop.m_strOperator, QString("未設定"));
        // and a later good write of another key does not bring the lost values back
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_CUP_MODEL, "CUP-2");
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        QVERIFY(content.contains("INI_KEY_CUP_MODEL=CUP-2"));
        QVERIFY(content.contains("INI_KEY_GUN_MODEL=HV-52P-7"));
        QVERIFY(!content.contains("lost"));
        QVERIFY(!(QFile(iniPath()).permissions() & QFileDevice::WriteOwner));
    }

    void locationChangesBetweenCalls() {
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_STANDARD, "first");
        QTemporaryDir other;
        qputenv("XDG_CONFIG_HOME", other.path().toLocal8Bit());
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_TEST_INFO, INI_KEY_STANDARD, "dflt"),
                 QString("dflt"));
        qputenv("XDG_CONFIG_HOME", m_dir->path().toLocal8Bit());
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_TEST_INFO, INI_KEY_STANDARD, "dflt"),
                 QString("first"));
    }

    void unwritableLocationIsSilent() {
        // a plain file where the vendor folder should be
        QFile blocker(m_dir->path() + "/Valdmark");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_GUN_MODEL, "lost");
        CTestProperty prop;
        prop.LoadIni();
        QCOMPARE(prop.m_strGunModel, QString("HV-52P"));
        QCOMPARE(prop.m_strModel, QString("未設定"));
        QVERIFY(QFileInfo(m_dir->path() + "/Valdmark").isFile());
    }

    void makeFolder() {
        const QString base = m_dir->path();
        QVERIFY(CTestProperty::MakeFolder(QString()));
        QVERIFY(CTestProperty::MakeFolder(base + "/a/b/c"));
        QVERIFY(QFileInfo(base + "/a/b/c").isDir());
        QVERIFY(CTestProperty::MakeFolder(base + "/a/b/c")); // already there
        QVERIFY(CTestProperty::MakeFolder(base + "/a//d/"));
        QVERIFY(QFileInfo(base + "/a/d").isDir());
        QFile file(base + "/a/file");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!CTestProperty::MakeFolder(base + "/a/file"));
        QVERIFY(!CTestProperty::MakeFolder(base + "/a/file/below"));
        QVERIFY(!QFileInfo::exists(base + "/a/file/below"));
    }

    void versionText() { QCOMPARE(CTestProperty::GetVersionText(), QString(VZR_VERSION_TEXT)); }

    void testTimeTexts() {
        QCOMPARE(CTestProperty::TestDateText(0), QString("----"));
        QCOMPARE(CTestProperty::TestTimeText(0), QString("----"));
        const std::int64_t tm =
            QDateTime(QDate(2031, 12, 31), QTime(23, 59, 58)).toSecsSinceEpoch();
        QCOMPARE(CTestProperty::TestDateText(tm), QString("2031/12/31"));
        QCOMPARE(CTestProperty::TestTimeText(tm), QString("23:59:58"));
        // a time no calendar holds shows nothing rather than a wrong date
        const std::int64_t never = std::numeric_limits<std::int64_t>::max();
        QCOMPARE(CTestProperty::TestDateText(never), QString());
        QCOMPARE(CTestProperty::TestTimeText(never), QString());
    }
};

QTEST_GUILESS_MAIN(TestProperty)
#include "tst_testproperty.moc"
