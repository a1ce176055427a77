// The program's command line, run as a separate process.
#include "CVzrT8100Sim.h"
#include "common/ChildProcess.h"
#include "common/Plans.h"
#include "data/CVzrT8100Doc.h"
#include "report/CTestReport.h"
#include "report/ReportTestUtil.h"
#include "settings/CLanguage.h"
#include "settings/CTestProperty.h"

#include "HostileStream.h"
#include "data/CArchive.h"
#include "link/CPortProblem.h"

#include <QBuffer>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

class TestShellCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The program on the test's folder for settings and the instance lock.
    ProcessRun run(const QStringList& args, const QByteArray& input = {}) {
        return RunProcess(BuildProgram("vzr-t8100"), args, input, environment());
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        return env;
    }

private slots:
    void initTestCase() {
        // a program that stops reading closes the pipe under our feet
        std::signal(SIGPIPE, SIG_IGN);
    }

    void identifyFindsInstrument() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        const ProcessRun r = run({"--identify", "--port", sim.PortPath()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(sim.PortPath()), qPrintable(r.out));
        QVERIFY2(r.out.contains("VALDMARK SYSTEMS, VZR-T81"), qPrintable(r.out));
        QVERIFY(sim.EnqCount() > 0);
    }

    void identifyKeepsTheFirstThatAnswers() {
        CVzrT8100Sim silent, live;
        QVERIFY(silent.Start() && live.Start());
        silent.SetSilent(true);
        const ProcessRun r =
            run({"--identify", "--port", silent.PortPath(), "--port", live.PortPath()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(live.PortPath()), qPrintable(r.out));
        QVERIFY(!r.out.contains(silent.PortPath() + "\n"));
    }

    void identifyWithoutInstrument() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        sim.SetSilent(true);
        const ProcessRun r = run({"--identify", "--port", sim.PortPath()});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("VZR-T8100が見つかりませんでした。"), qPrintable(r.err));
        QVERIFY(!r.out.contains("VALDMARK"));
        // no ports at all is no instrument either
        const ProcessRun none = run({"--identify"});
        QCOMPARE(none.exitCode, 1);
    }

    void identifyNamesPortHeldByAnother() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        QSerialPort holder; // this test is the other program
        holder.setPortName(sim.PortPath());
        QVERIFY(holder.open(QIODevice::ReadWrite));
        const QString lockFile = CPortProblem::FindLockFile(sim.PortPath());
        const ProcessRun r = run({"--identify", "--port", sim.PortPath()});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(
            r.err.contains(QString("%1: in use by another program (process %2, lock file %3)\n")
                               .arg(sim.PortPath())
                               .arg(QCoreApplication::applicationPid())
                               .arg(lockFile)),
            qPrintable(r.err));
        QVERIFY(r.err.contains("VZR-T8100が見つかりませんでした。"));
        QCOMPARE(sim.EnqCount(), 0);
    }

    void identifyNamesPortUserMayNotOpen() {
        if (geteuid() == 0)
            QSKIP("root ignores file modes: the _nobody entry runs this unprivileged");
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        QCOMPARE(::chmod(QFile::encodeName(sim.PortPath()).constData(), 0), 0);
        const ProcessRun r =
            run({"--identify", "--port", sim.PortPath(), "--port", "/dev/vzr-gone"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(sim.PortPath() + ": permission denied: "), qPrintable(r.err));
        QVERIFY2(r.err.contains("/dev/vzr-gone: no such device\n"), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(sim.EnqCount(), 0);
    }

    void identifyAgainstEmbeddedSimulator() {
        const ProcessRun r = run({"--identify", "--simulate"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("VALDMARK SYSTEMS, VZR-T81"), qPrintable(r.out));
    }

    void secondCopyWithoutDisplayEnds() {
        QProcess first;
        first.setProcessEnvironment(environment());
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(BuildProgram("vzr-t8100"), {"--simulate"});
        QVERIFY(WaitUntilItHolds(first, m_dir.filePath("VZR-T8100_Instance")));
        // no one could close a message box here: the second copy says why and ends
        const ProcessRun second = run({});
        QCOMPARE(second.exitCode, 0);
        QVERIFY2(second.err.contains("アプリケーションはすでに起動しています。"),
                 qPrintable(second.err));
        QCOMPARE(first.state(), QProcess::Running);
        EndProcess(first);
    }

    void withoutDisplayOrInstrumentStarts() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        QSerialPort holder; // the instrument's port is held by another program
        holder.setPortName(sim.PortPath());
        QVERIFY(holder.open(QIODevice::ReadWrite));
        QProcess proc;
        proc.setProcessEnvironment(environment());
        proc.start(BuildProgram("vzr-t8100"), {"--port", sim.PortPath()});
        QVERIFY(proc.waitForStarted());
        // the failure is reported and start-up goes on instead of waiting for an answer
        QByteArray err;
        while (!err.contains("VZR-T8100との通信に失敗しました。") &&
               proc.state() == QProcess::Running) {
            proc.waitForReadyRead(100);
            err += proc.readAllStandardError();
        }
        QVERIFY2(err.contains("VZR-T8100との通信に失敗しました。"), err.constData());
        // and why the port could not be had, before it
        const QByteArray why = (sim.PortPath() + ": in use by another program (process " +
                                QString::number(QCoreApplication::applicationPid()))
                                   .toLocal8Bit();
        QVERIFY2(err.indexOf(why) >= 0 &&
                     err.indexOf(why) < err.indexOf("VZR-T8100との通信に失敗しました。"),
                 err.constData());
        QCOMPARE(err.count(why), 1);
        QCOMPARE(proc.state(), QProcess::Running);
        EndProcess(proc);
    }

    void help() {
        const ProcessRun r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        for (const char* option : {"--port", "--simulate", "--identify", "--dump", "--report",
                                   "--out", "--send-sequence", "--help"})
            QVERIFY2(r.out.contains(option), option);
    }

    void badOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown") << QStringList{"--frobnicate"};
        QTest::newRow("port without path") << QStringList{"--port"};
        QTest::newRow("dump without file") << QStringList{"--dump"};
        QTest::newRow("report without file") << QStringList{"--report"};
        QTest::newRow("out without report") << QStringList{"--out", "x.xlsx", "plan.vzt"};
        QTest::newRow("report and dump") << QStringList{"--report", "a.vzt", "--dump", "a.vzt"};
        QTest::newRow("report of two files") << QStringList{"--report", "a.vzt", "b.vzt"};
    }
    void badOptions() {
        QFETCH(QStringList, args);
        const ProcessRun r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(args.first()) || r.err.contains(args.last()), qPrintable(r.err));
        QVERIFY(r.err.contains("--help"));
    }

    void sendSequence() {
        // two conditions: a single voltage and a sweep in both polarities
        const QString path = m_dir.filePath("sequence.vzt");
        {
            CVzrT8100Doc doc;
            plans::SetPlan(doc, {CSettingData(), plans::Sweep(2000, 8000, 2000)});
            QString error;
            QVERIFY2(doc.SaveFile(path, &error), qPrintable(error));
        }
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        const ProcessRun ok = run({"--send-sequence", path, "--port", sim.PortPath()});
        QCOMPARE(ok.exitCode, 0);
        QCOMPARE(ok.out.trimmed(), QString("完了しました"));
        QCOMPARE(sim.CommandLog().filter(QRegularExpression("^P[QR]")),
                 (QStringList{"PQ1/20/100/10/0/0/1", "PQ2/200/100/10/2/0/1/800/200", "PR1/1/2"}));
        QCOMPARE(sim.SequenceMemory().size(), 3);

        // refused by the instrument
        sim.ClearLog();
        sim.RefuseCommand("PR");
        const ProcessRun refused = run({"--send-sequence", path, "--port", sim.PortPath()});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.out.trimmed(), QString("送信出来ませんでした"));

        // no instrument: the same message, and why on the error output
        sim.SetSilent(true);
        const ProcessRun silent = run({"--send-sequence", path, "--port", sim.PortPath()});
        QCOMPARE(silent.exitCode, 1);
        QCOMPARE(silent.out.trimmed(), QString("送信出来ませんでした"));
        QVERIFY2(silent.err.contains("VZR-T8100が見つかりませんでした。"), qPrintable(silent.err));

        // a file that is refused is not sent, and no port is searched
        sim.SetSilent(false);
        const int enqs = sim.EnqCount();
        QFile bad(m_dir.filePath("bad.vzt"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("no plan");
        bad.close();
        const ProcessRun badFile =
            run({"--send-sequence", bad.fileName(), "--port", sim.PortPath()});
        QCOMPARE(badFile.exitCode, 1);
        QVERIFY(badFile.out.isEmpty());
        QVERIFY2(badFile.err.contains("予期しないファイル形式です。"), qPrintable(badFile.err));
        QCOMPARE(sim.EnqCount(), enqs);
    }

    void dump() {
        const QString path = m_dir.filePath("plan.vzt");
        CVzrT8100Doc doc;
        QString error;
        QVERIFY2(doc.SaveFile(path, &error), qPrintable(error));
        const ProcessRun ok = run({"--dump", path});
        QCOMPARE(ok.exitCode, 0);
        QVERIFY(ok.err.isEmpty());
        // the plan's heading and its one condition, the run list's heading and its one step
        const QStringList lines = ok.out.split('\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY2(lines[1].startsWith("Test No.  1\tCONTACT\t"), qPrintable(ok.out));
        QVERIFY2(lines[3].startsWith("Step No.  1\tCONTACT\t"), qPrintable(ok.out));
        QCOMPARE(lines[4], QString());

        const ProcessRun missing = run({"--dump", m_dir.filePath("missing.vzt")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains(m_dir.filePath("missing.vzt")), qPrintable(missing.err));
        QVERIFY(missing.out.isEmpty());
    }

    void dumpFromStandardInput() {
        CVzrT8100Doc doc;
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            CArchive ar(&buffer, CArchive::store);
            QCOMPARE(doc.Serialize(ar), int(LOAD_OK));
        }
        const ProcessRun piped = run({"--dump", "/dev/stdin"}, bytes);
        QCOMPARE(piped.exitCode, 0);
        QVERIFY2(piped.out.contains("Test No.  1\tCONTACT\t"), qPrintable(piped.err));
        // the same file named directly gives the same dump
        const QString path = m_dir.filePath("same.vzt");
        QVERIFY(doc.SaveFile(path, nullptr));
        QCOMPARE(piped.out, run({"--dump", path}).out);
    }

    void dumpRefusesHostileStream_data() {
        QTest::addColumn<QByteArray>("stream");
        const QByteArray head = Hostile::Header() + QByteArray(2, '\0');
        QTest::newRow("conditions without number")
            << head + Hostile::kEmpty + Hostile::Int32(0x7FFFFFFF) +
                   Hostile::MinimalCondition().repeated(2000);
        QTest::newRow("text of 2^31-1 units") << QByteArray::fromHex("fffeffffffff") +
                                                     Hostile::Int32(0x7FFFFFFF) +
                                                     QByteArray(1024 * 1024, 'A');
    }
    void dumpRefusesHostileStream() {
        QFETCH(QByteArray, stream);
        const ProcessRun r = run({"--dump", "/dev/stdin"}, stream);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QString("予期しないファイル形式です。\n"));
        QVERIFY(r.out.isEmpty());
        // refused after its first chunk: most of the stream was never read
        QVERIFY2(r.unread > stream.size() / 2, qPrintable(QString::number(r.unread)));
    }

    // A saved three-condition plan and settings in the settings file the program reads.
    QString SavePlanAndSettings() {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        CTestProperty::WriteIniString(INI_SECTION_PROPERTY, INI_KEY_COMPANY_NAME,
                                      QStringLiteral("株式会社 試験所"));
        CTestProperty::WriteIniString(INI_SECTION_TEST_INFO, INI_KEY_SERIAL,
                                      QStringLiteral("0012"));
        const QString path = m_dir.filePath("plan.vzt");
        CVzrT8100Doc doc;
        ReportTest::FillThreeConditions(doc);
        QString error;
        if (!doc.SaveFile(path, &error))
            qWarning() << error;
        return path;
    }

    void reportOfADataFile() {
        const QString plan = SavePlanAndSettings();
        const QString out = m_dir.filePath("customer.xlsx");
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        const ProcessRun r = run({"--report", plan, "--out", out, "--port", sim.PortPath()});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, out + "\n");
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(sim.EnqCount(), 0); // no port was searched

        // cell for cell the layout of the file as it stands: settings of the settings
        // file, no test time, no judgements
        CVzrT8100Doc doc;
        QVERIFY(doc.OpenFile(plan, nullptr));
        CTestProperty property;
        property.LoadIni();
        CMsExcelControl expected;
        QVERIFY(expected.StartWorkbook());
        CTestReport::Write(expected, doc.GetSettingList(), doc.GetExecList(), property);
        QString error;
        const QJsonObject book = ReportTest::ReadWorkbook(out, &error);
        QVERIFY2(!book.isEmpty(), qPrintable(error));
        const QString difference = ReportTest::Difference(book, ReportTest::Expected(expected));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        const QJsonObject conditions = book["sheets"][0]["cells"].toObject();
        QCOMPARE(conditions["C2"]["value"].toString(), QStringLiteral("株式会社 試験所"));
        QCOMPARE(conditions["C15"]["value"].toString(), QStringLiteral("0012"));
        QCOMPARE(conditions["H14"]["value"].toString(), QStringLiteral("----"));
        const QJsonObject steps = book["sheets"][1]["cells"].toObject();
        for (int row = 11; row < 19; ++row)
            QCOMPARE(steps[QStringLiteral("J%1").arg(row)]["value"].toString(),
                     QStringLiteral("------"));

        // an existing file named with --out is replaced
        const ProcessRun again = run({"--report", plan, "--out", out});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(QDir(m_dir.path()).entryList({"*.xlsx"}), QStringList{"customer.xlsx"});
    }

    // The language follows the messages locale, --lang over it, in every mode: the help, a
    // refused command line (--lang after the fault too), a data file refused, the report.
    void english() {
        QProcessEnvironment english = environment();
        english.insert("LC_ALL", "");
        english.insert("LC_MESSAGES", "en_US.UTF-8");
        english.insert("LANG", "ja_JP.UTF-8");
        const QString program = BuildProgram("vzr-t8100");
        const ProcessRun help = RunProcess(program, {"--help"}, {}, english);
        QVERIFY2(help.out.startsWith("Usage: vzr-t8100 [options] [datafile.vzt]\n"),
                 qPrintable(help.out));
        QVERIFY(help.out.contains("\n  --lang ja|en   "));
        QVERIFY(RunProcess(program, {"--help", "--lang=ja"}, {}, english).out.startsWith("使い方"));
        const ProcessRun refused = run({"--frobnicate", "--lang", "en"});
        QCOMPARE(refused.exitCode, 2);
        QCOMPARE(refused.err,
                 QString("Unknown option: --frobnicate\nRun with --help for the usage.\n"));
        const ProcessRun missing =
            RunProcess(program, {"--dump", m_dir.filePath("missing.vzt")}, {}, english);
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains("Could not open the file"), qPrintable(missing.err));

        // the workbook is the layout in English, cell for cell; the data as it is
        const QString plan = SavePlanAndSettings();
        const QString out = m_dir.filePath("english.xlsx");
        const ProcessRun r = run({"--lang", "en", "--report", plan, "--out", out});
        QCOMPARE(r.exitCode, 0);
        const CLanguage texts(CLanguage::ENGLISH);
        CVzrT8100Doc doc;
        QVERIFY(doc.OpenFile(plan, nullptr));
        CTestProperty property;
        property.LoadIni();
        CMsExcelControl expected;
        QVERIFY(expected.StartWorkbook());
        CTestReport::Write(expected, doc.GetSettingList(), doc.GetExecList(), property);
        const QJsonObject book = ReportTest::ReadWorkbook(out);
        const QString difference = ReportTest::Difference(book, ReportTest::Expected(expected));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(book["sheets"][0]["name"].toString(), QString("Test Conditions"));
        QCOMPARE(book["sheets"][1]["name"].toString(), QString("Test Results"));
        const QJsonObject conditions = book["sheets"][0]["cells"].toObject();
        const QJsonObject results = book["sheets"][1]["cells"].toObject();
        QCOMPARE(conditions["B2"]["value"].toString(), QString("Company"));
        QCOMPARE(conditions["C2"]["value"].toString(), QString("株式会社 試験所"));
        QCOMPARE(conditions["C16"]["value"].toString(), QString("Not set"));
        QCOMPARE(results["J10"]["value"].toString(), QString("Judgement"));
        QCOMPARE(results["K10"]["value"].toString(), QString("Comment"));
        QCOMPARE(results["B11"]["value"].toString(), QString("CONTACT"));
    }

    void reportIntoTheReportsFolder() {
        const QString plan = SavePlanAndSettings();
        const QString folder = QDir::homePath() + "/Documents/VZR-T8100";
        QDir(folder).removeRecursively();
        const ProcessRun first = run({"--report", plan});
        const ProcessRun second = run({"--report", plan});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(second.exitCode, 0);
        const QString a = first.out.trimmed(), b = second.out.trimmed();
        QCOMPARE(QFileInfo(a).absolutePath(), folder);
        QVERIFY2(QFileInfo(a).fileName().startsWith("plan_"), qPrintable(a));
        QVERIFY(a != b); // no report overwrites another
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
        // an output folder takes the report under its usual name
        const ProcessRun into = run({"--report", plan, "--out", m_dir.path()});
        QCOMPARE(into.exitCode, 0);
        QCOMPARE(QFileInfo(into.out.trimmed()).absolutePath(), m_dir.path());
        QFile::remove(into.out.trimmed());
    }

    void reportRefusesAndLeavesNothing() {
        const QString plan = SavePlanAndSettings();
        const QString folder = QDir::homePath() + "/Documents/VZR-T8100";
        QDir(folder).removeRecursively();
        QFile garbage(m_dir.filePath("garbage.vzt"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a data file at all");
        garbage.close();
        for (const QString& bad : {m_dir.filePath("missing.vzt"), garbage.fileName()}) {
            const ProcessRun r = run({"--report", bad});
            QVERIFY(r.exitCode != 0);
            QVERIFY(r.out.isEmpty());
            QVERIFY(!r.err.isEmpty());
        }
        QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());

        // an output path below a file: a clear error naming the folder, nothing written
        const ProcessRun blocked =
            run({"--report", plan, "--out", garbage.fileName() + "/report.xlsx"});
        QVERIFY(blocked.exitCode != 0);
        QVERIFY(blocked.out.isEmpty());
        QVERIFY2(blocked.err.contains("レポートを作成できません。"), qPrintable(blocked.err));
        QVERIFY2(blocked.err.contains(garbage.fileName()), qPrintable(blocked.err));
        const ProcessRun missing =
            run({"--report", plan, "--out", m_dir.filePath("no/such/report.xlsx")});
        QVERIFY(missing.exitCode != 0);
        QVERIFY(!QFileInfo::exists(m_dir.filePath("no")));
        QVERIFY(
            QDir(m_dir.path()).entryList({".vzr-report*"}, QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShellCli)
#include "tst_shell_cli.moc"
