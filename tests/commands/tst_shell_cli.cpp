// The program's command line, run as a separate process.
#include "CVzrT8100Sim.h"
#include "VzrVersion.h"
#include "common/ChildProcess.h"
#include "common/Plans.h"
#include "data/CVzrT8100Doc.h"
#include "execution/CRunRecordReader.h"
#include "execution/RunFixture.h"
#include "report/CTestReport.h"
#include "report/ReportTestUtil.h"
#include "settings/CLanguage.h"
#include "settings/CTestProperty.h"

#include "HostileStream.h"
#include "data/CArchive.h"
#include "link/CPortProblem.h"

#include <QBuffer>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The run's record beside the data file, read whole.
bool ReadRecord(const QString& plan, CRunRecordReader& reader) {
    const QString folder = plan.chopped(4) + ".runs";
    const QStringList records = QDir(folder).entryList({"*.csv"}, QDir::Files);
    if (records.size() != 1) {
        qWarning() << "records:" << records;
        return false;
    }
    return reader.Read(folder + '/' + records.first()) == CRunRecordReader::READ_OK &&
           !reader.Damaged();
}

// The judgements column of the report's steps.
QStringList ReportJudgements(const QString& workbook, int steps) {
    const QJsonObject book = ReportTest::ReadWorkbook(workbook);
    const QJsonObject cells = book["sheets"][1]["cells"].toObject();
    QStringList judgements;
    for (int row = 11; row < 11 + steps; ++row)
        judgements << cells[QStringLiteral("J%1").arg(row)]["value"].toString();
    return judgements;
}

// A plan started and left running in the program as a separate process, stopped by the
// test once it discharges in the long second step.
struct LongRun {
    CVzrT8100Sim sim;
    QProcess proc;
    std::unique_ptr<CVzrT8100Doc> doc = LongPlan();

    static std::unique_ptr<CVzrT8100Doc> LongPlan() {
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(run::Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 1, POLA_BIT_PLUS));
        conds.push_back(run::Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 60, POLA_BIT_PLUS));
        return run::Plan(std::move(conds));
    }
    // The wire up to the second step's discharging.
    QString Begun() const {
        return "QA " + run::Load(*doc->GetExecList()[0]) + "QC " + run::CONTACT_POLLS + "CB " +
               run::Load(*doc->GetExecList()[1]) + run::CONTACT_POLLS;
    }
    bool Start(const QProcessEnvironment& env, const QStringList& args) {
        if (!simulated::Start(sim, true))
            return false;
        sim.ClearLog();
        proc.setProcessEnvironment(env);
        proc.start(BuildProgram("vzr-t8100"), args + QStringList{"--port", sim.PortPath()});
        return proc.waitForStarted() &&
               QTest::qWaitFor(
                   [&] {
                       return proc.state() != QProcess::Running ||
                              (sim.LoadedStep().count == 60 && sim.DischargesDone() > 0);
                   },
                   run::WAIT_MS) &&
               proc.state() == QProcess::Running;
    }
    ~LongRun() {
        if (proc.state() != QProcess::NotRunning)
            EndProcess(proc);
    }
    int Finish() {
        proc.waitForFinished(-1);
        return proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2;
    }
};

} // namespace

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

    // plan saved as NAME.vzt in the test's folder, without records of earlier runs
    QString SaveRunPlan(const QString& name, std::unique_ptr<CVzrT8100Doc> doc) {
        const QString path = m_dir.filePath(name + ".vzt");
        QDir(m_dir.filePath(name + ".runs")).removeRecursively();
        QString error;
        if (!doc->SaveFile(path, &error))
            qWarning() << error;
        return path;
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
                                   "--out", "--send-sequence", "--run", "--pdf", "--results-csv",
                                   "--quiet", "--version", "--help"})
            QVERIFY2(r.out.contains(option), option);
        // the project's version, as the About box shows it, before any other mode
        const ProcessRun version = run({"--dump", "none.vzt", "--version"});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QString("VZR-T8100 " VZR_VERSION_TEXT "\n"));
    }

    void badOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown") << QStringList{"--frobnicate"};
        QTest::newRow("port without path") << QStringList{"--port"};
        QTest::newRow("dump without file") << QStringList{"--dump"};
        QTest::newRow("report without file") << QStringList{"--report"};
        QTest::newRow("out without report") << QStringList{"--out", "x.xlsx", "plan.vzt"};
        QTest::newRow("pdf without report") << QStringList{"--pdf", "x.pdf", "plan.vzt"};
        QTest::newRow("pdf without path") << QStringList{"--report", "a.vzt", "--pdf"};
        QTest::newRow("report and dump") << QStringList{"--report", "a.vzt", "--dump", "a.vzt"};
        QTest::newRow("report of two files") << QStringList{"--report", "a.vzt", "b.vzt"};
        QTest::newRow("run of two files") << QStringList{"--run", "a.vzt", "b.vzt"};
        QTest::newRow("run and report") << QStringList{"--run", "a.vzt", "--report", "a.vzt"};
        QTest::newRow("quiet without run") << QStringList{"--quiet", "a.vzt"};
        QTest::newRow("record copy without run") << QStringList{"--results-csv", "r.csv"};
    }
    void badOptions() {
        QFETCH(QStringList, args);
        const ProcessRun r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(args.first()) || r.err.contains(args.last()), qPrintable(r.err));
        QVERIFY(r.err.contains("--help"));
        // a known option is refused for what is wrong with it
        if (QTest::currentDataTag() != QLatin1String("unknown"))
            QVERIFY2(!r.err.contains("不明なオプション"), qPrintable(r.err));
    }

    void sendSequence() {
        // two conditions: a single voltage and a sweep in both polarities
        const QString path = m_dir.filePath("sequence.vzt");
        const auto save = [&path](const QStringList& points) {
            CVzrT8100Doc doc;
            plans::SetPlan(doc, {CSettingData(), plans::Sweep(2000, 8000, 2000)});
            doc.SetTestPoints(points);
            QString error;
            QVERIFY2(doc.SaveFile(path, &error), qPrintable(error));
        };
        save({});
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        const QStringList sent{"PQ1/20/100/10/0/0/1", "PQ2/200/100/10/2/0/1/800/200", "PR1/1/2"};
        const ProcessRun ok = run({"--send-sequence", path, "--port", sim.PortPath()});
        QCOMPARE(ok.exitCode, 0);
        QCOMPARE(ok.out.trimmed(), QString("完了しました"));
        QCOMPARE(sim.CommandLog().filter(QRegularExpression("^P[QR]")), sent);
        QCOMPARE(sim.SequenceMemory().size(), 3);

        // with test points the plan goes once all the same, and the output says so
        save({"USB", "SW"});
        sim.ClearLog();
        const ProcessRun pointed = run({"--send-sequence", path, "--port", sim.PortPath()});
        QCOMPARE(pointed.exitCode, 0);
        QCOMPARE(pointed.out.trimmed(),
                 QString("テストポイントはシーケンスメモリに送られません (2 点)\n完了しました"));
        QCOMPARE(sim.CommandLog().filter(QRegularExpression("^P[QR]")), sent);

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

    // The difference of the workbook at out from the layout of the data file at plan with
    // the settings of the settings file, written here; empty when they agree cell for cell.
    static QString DifferenceFromLayout(const QString& plan, const QString& out,
                                        QJsonObject* book) {
        CVzrT8100Doc doc;
        if (!doc.OpenFile(plan, nullptr))
            return "the data file cannot be opened";
        CTestProperty property;
        property.LoadIni();
        CMsExcelControl expected;
        if (!expected.StartWorkbook())
            return "no workbook";
        CTestReport::Write(expected, doc.GetSettingList(), doc.GetExecList(), doc.TestPoints(),
                           property);
        QString error;
        *book = ReportTest::ReadWorkbook(out, &error);
        if (book->isEmpty())
            return error;
        return ReportTest::Difference(*book, ReportTest::Expected(expected));
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
        QJsonObject book;
        const QString difference = DifferenceFromLayout(plan, out, &book);
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
        const QString out = m_dir.filePath("english.xlsx"), pdf = m_dir.filePath("english.pdf");
        const ProcessRun r = run({"--lang", "en", "--report", plan, "--out", out, "--pdf", pdf});
        QCOMPARE(r.exitCode, 0);
        // the PDF in English too: nothing Japanese but the company's own name
        QString pdfError;
        QString printed = ReportTest::PdfPages(pdf, &pdfError).join('\n');
        QVERIFY2(printed.contains("Electrostatic Discharge Immunity Test Report"),
                 qPrintable(pdfError + printed));
        printed.remove(QStringLiteral("株式会社 試験所"));
        static const QRegularExpression japanese("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff01}-"
                                                 "\\x{ffef}]");
        QVERIFY2(!printed.contains(japanese), qPrintable(printed));
        const CLanguage texts(CLanguage::ENGLISH);
        QJsonObject book;
        const QString difference = DifferenceFromLayout(plan, out, &book);
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

    // --pdf writes the printable report, and the workbook only when --out asks for it too;
    // it needs no display (none, or one that cannot be reached) and no platform chosen. A
    // PDF that cannot be written leaves nothing and the workbook written before it stands.
    void reportAsPdf() {
        const QString plan = SavePlanAndSettings();
        const QString folder = QDir::homePath() + "/Documents/VZR-T8100";
        QDir(folder).removeRecursively();
        const QString pdf = m_dir.filePath("customer.pdf");
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older report");
        old.close();
        const QStringList books = QDir(m_dir.path()).entryList({"*.xlsx"});
        QProcessEnvironment env = environment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("WAYLAND_DISPLAY");
        env.insert("DISPLAY", ":97");
        const ProcessRun r =
            RunProcess(BuildProgram("vzr-t8100"), {"--report", plan, "--pdf", pdf}, {}, env);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, pdf + "\n");
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QVERIFY(!QDir(folder).exists());
        QCOMPARE(QDir(m_dir.path()).entryList({"*.xlsx"}), books);
        const QStringList pages = ReportTest::PdfPages(pdf);
        QVERIFY(pages.size() >= 2);
        QVERIFY2(pages[0].contains(QStringLiteral("株式会社 試験所")), qPrintable(pages[0]));
        QVERIFY2(QRegularExpression(QStringLiteral("シリアル番号\\s+0012\\s"))
                     .match(pages[0])
                     .hasMatch(),
                 qPrintable(pages[0]));
        // the file as it stands: no judgements
        QVERIFY2(QRegularExpression(QStringLiteral("合計(\\s+0){4}\\s+8\\s+8\\s"))
                     .match(pages[0])
                     .hasMatch(),
                 qPrintable(pages[0]));

        const QString book = m_dir.filePath("both.xlsx");
        const ProcessRun both = run({"--report", plan, "--pdf", pdf, "--out", book});
        QCOMPARE(both.exitCode, 0);
        QCOMPARE(both.out, book + "\n" + pdf + "\n");

        const ProcessRun blocked =
            run({"--report", plan, "--out", book, "--pdf", m_dir.filePath("no/such/report.pdf")});
        QCOMPARE(blocked.exitCode, 1);
        QCOMPARE(blocked.out, book + "\n");
        QVERIFY2(blocked.err.startsWith(QStringLiteral("レポートを作成できません。\n")) &&
                     blocked.err.contains(m_dir.filePath("no/such")),
                 qPrintable(blocked.err));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("no")));
        QVERIFY(
            QDir(m_dir.path()).entryList({".vzr-report*"}, QDir::Files | QDir::Hidden).isEmpty());
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

    // ---- --run -------------------------------------------------------------------------
    // The whole plan on the instrument, as in the execution dialog: START at step 1, each
    // step judged A as it completes (a REMOTE step triggered by TRIG, as the operator does),
    // the end of the test, back to idle; the record closed beside the data file, listed by
    // --runs, copied; the workbook with the judgements; the operator's judge-auto setting
    // left as it was.
    void runWholePlan() {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        CTestProperty::WriteIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, "0");
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(run::Condition(DISC_CONTACT, TRIG_VZR, 4000, 1000, 2));
        conds.push_back(run::Condition(DISC_AIR, TRIG_EXTERNAL, 8000, 1000, 2));
        conds.push_back(run::Condition(DISC_CONTACT, TRIG_REMOTE, 2000, 1000, 2, POLA_BIT_PLUS));
        auto doc = run::Plan(std::move(conds));
        const CExecList& steps = doc->GetExecList();
        const QString wire = "QA " + run::Load(*steps[0]) + "QC " + run::CONTACT_POLLS + "CB " +
                             run::Load(*steps[1]) + run::CONTACT_POLLS + "CB " +
                             run::Load(*steps[2]) + run::AIR_POLLS + "CB " + run::Load(*steps[3]) +
                             run::AIR_POLLS + "CB " + run::Load(*steps[4]) + "QD CC CD QC " +
                             run::CONTACT_POLLS + "CB QD QE QJ QF QC CD ";
        const QString plan = SaveRunPlan("whole", std::move(doc));
        CVzrT8100Sim sim;
        QVERIFY(simulated::Start(sim, true));
        sim.ClearLog();
        const QString out = m_dir.filePath("whole.xlsx"), copy = m_dir.filePath("copy.csv");
        const ProcessRun r =
            run({"--run", plan, "--port", sim.PortPath(), "--out", out, "--results-csv", copy});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, "Step No.   1  CONTACT  +  4.00 kV  count 2: A\n"
                        "Step No.   2  CONTACT  -  4.00 kV  count 2: A\n"
                        "Step No.   3  AIR      +  8.00 kV  count 2: A\n"
                        "Step No.   4  AIR      -  8.00 kV  count 2: A\n"
                        "Step No.   5  CONTACT  +  2.00 kV  count 2: A\n"
                        "試験が終了しました。\n"
                        "レポート: " +
                            out +
                            "\n"
                            "A 5  B 0  C 0  D 0  判定なし 0\n");
        QVERIFY(run::LogMatches(sim.CommandLog().join(' ') + ' ', wire));

        CRunRecordReader record;
        QVERIFY(ReadRecord(plan, record));
        QVERIFY(record.Closed());
        QVERIFY(record.ResultsReported());
        QCOMPARE(record.JudgedCount(), 5);
        QCOMPARE(record.Port(), sim.PortPath());
        QFile recordFile(record.GetPath()), copied(copy);
        QVERIFY(recordFile.open(QIODevice::ReadOnly) && copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), recordFile.readAll());
        const ProcessRun runs = run({"--runs", plan});
        QCOMPARE(runs.out.count('\n'), 2);
        QVERIFY2(runs.out.contains("\t5/5\tなし\t一致\t" + record.GetPath() + "\n"),
                 qPrintable(runs.out));
        QCOMPARE(ReportJudgements(out, 5), QStringList(5, "A"));
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, "x"),
                 QString("0"));
    }

    // GUN steps under --simulate: nobody pulls the gun, the simulated one fires by itself.
    void runSimulatedGunSteps() {
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(run::Condition(DISC_CONTACT, TRIG_GUN, 2000, 100, 2, POLA_BIT_PLUS));
        conds.push_back(run::Condition(DISC_AIR, TRIG_GUN, 2000, 100, 2, POLA_BIT_PLUS));
        const QString plan = SaveRunPlan("gun", run::Plan(std::move(conds)));
        const ProcessRun r = run({"--run", plan, "--simulate", "--quiet"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QString("A 2  B 0  C 0  D 0  判定なし 0\n"));

        // at test points: each point told before its first step; no terminal on standard
        // input, so the run goes on at once and says so; the record keeps the points
        std::vector<std::unique_ptr<CSettingData>> one;
        one.push_back(run::Condition(DISC_CONTACT, TRIG_GUN, 2000, 100, 1, POLA_BIT_PLUS));
        auto doc = run::Plan(std::move(one));
        doc->SetTestPoints({"USBコネクタ", "HCP 前面"});
        const QString points = SaveRunPlan("points", std::move(doc));
        const ProcessRun p = run({"--run", points, "--simulate"});
        QVERIFY2(p.exitCode == 0, qPrintable(p.err));
        QCOMPARE(p.out, QString("テストポイント 1「USBコネクタ」\n"
                                "Step No.   1  CONTACT  +  2.00 kV  count 1: A\n"
                                "テストポイント 2「HCP 前面」\n"
                                "Step No.   2  CONTACT  +  2.00 kV  count 1: A\n"
                                "試験が終了しました。\n"
                                "A 2  B 0  C 0  D 0  判定なし 0\n"));
        QCOMPARE(p.err.count("標準入力が端末ではないので、確認を待たずに続けます。"), 2);
        CRunRecordReader record;
        QVERIFY(ReadRecord(points, record));
        QCOMPARE(record.JudgedCount(), 2);
        QCOMPARE(record.TestPoints(), (QStringList{"USBコネクタ", "HCP 前面"}));
    }

    // At test points with a terminal on standard input: the run waits at each point until
    // Enter; SIGINT while it waits stops the run there, the record closed, exit 130.
    void runWaitsAtTestPointsOnATerminal() {
        std::vector<std::unique_ptr<CSettingData>> one;
        one.push_back(run::Condition(DISC_CONTACT, TRIG_GUN, 2000, 100, 1, POLA_BIT_PLUS));
        auto doc = run::Plan(std::move(one));
        doc->SetTestPoints({"USBコネクタ", "電源ボタン"});
        const QString plan = SaveRunPlan("terminal", std::move(doc));
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const auto closeMaster = qScopeGuard([master] { ::close(master); });
        QProcess proc;
        proc.setProcessEnvironment(environment());
        proc.setStandardInputFile(QString::fromLocal8Bit(::ptsname(master)));
        proc.start(BuildProgram("vzr-t8100"), {"--run", plan, "--simulate"});
        QVERIFY(proc.waitForStarted());
        QString err;
        auto prompted = [&](int times) {
            return QTest::qWaitFor(
                       [&] {
                           err += QString::fromUtf8(proc.readAllStandardError());
                           return err.count("Enter を押してください: ") >= times ||
                                  proc.state() != QProcess::Running;
                       },
                       run::WAIT_MS) &&
                   proc.state() == QProcess::Running;
        };
        QVERIFY2(prompted(1), qPrintable(err));
        QVERIFY(err.contains("テストポイント 1「USBコネクタ」 へ放電ガンを移動して"));
        QCOMPARE(::write(master, "\n", 1), ssize_t(1));
        QVERIFY2(prompted(2), qPrintable(err));
        QVERIFY(err.contains("テストポイント 2「電源ボタン」 へ放電ガンを移動して"));
        QCOMPARE(::kill(pid_t(proc.processId()), SIGINT), 0);
        QVERIFY(proc.waitForFinished(run::WAIT_MS));
        QCOMPARE(proc.exitCode(), 130);
        QCOMPARE(QString::fromUtf8(proc.readAllStandardOutput()),
                 QString("テストポイント 1「USBコネクタ」\n"
                         "Step No.   1  CONTACT  +  2.00 kV  count 1: A\n"
                         "テストポイント 2「電源ボタン」\n"
                         "A 1  B 0  C 0  D 0  判定なし 1\n"));
        CRunRecordReader record;
        QVERIFY(ReadRecord(plan, record));
        QVERIFY(record.Closed());
        QCOMPARE(record.JudgedCount(), 1);
    }

    // SIGINT and SIGTERM stop the run as STOP does; the record closes and the workbook
    // holds what was judged.
    void runStoppedBySignal_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
    }
    void runStoppedBySignal() {
        QFETCH(int, signal);
        LongRun running;
        const QString plan = SaveRunPlan("stopped", std::move(running.doc));
        running.doc = LongRun::LongPlan();
        const QString out = m_dir.filePath("stopped.xlsx"), pdf = m_dir.filePath("stopped.pdf");
        QVERIFY(
            running.Start(environment(), {"--run", plan, "--out", out, "--pdf", pdf, "--quiet"}));
        QCOMPARE(::kill(pid_t(running.proc.processId()), signal), 0);
        QCOMPARE(running.Finish(), 128 + signal);
        QCOMPARE(QString::fromUtf8(running.proc.readAllStandardOutput()),
                 QString("A 1  B 0  C 0  D 0  判定なし 1\n"));
        QVERIFY(run::LogMatches(running.sim.CommandLog().join(' ') + ' ',
                                running.Begun() + "CB QD CD "));
        CRunRecordReader record;
        QVERIFY(ReadRecord(plan, record));
        QVERIFY(record.Closed());
        QVERIFY(record.ResultsReported());
        QCOMPARE(ReportJudgements(out, 2), (QStringList{"A", "------"}));
        QString error;
        const QString pages = ReportTest::PdfPages(pdf, &error).join('\n');
        QVERIFY2(!pages.isEmpty(), qPrintable(error));
        QVERIFY2(pages.contains(QRegularExpression("合計\\s+1\\s+0\\s+0\\s+0\\s+1\\s+2\\s")),
                 qPrintable(pages));
    }

    // An instrument error at START, a pulled cable in the middle of a step, no instrument:
    // the reason on standard error, exit status 1.
    void runFails() {
        const QString plan = SaveRunPlan("failing", LongRun::LongPlan());
        {
            CVzrT8100Sim sim;
            QVERIFY(simulated::Start(sim, true));
            sim.ClearLog();
            sim.InjectErrorOnNextStart(1);
            const ProcessRun r = run({"--run", plan, "--port", sim.PortPath()});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains("ガンインターロックエラー\n"), qPrintable(r.err));
            QCOMPARE(r.out, QString("A 0  B 0  C 0  D 0  判定なし 2\n"));
            QVERIFY(run::LogMatches(sim.CommandLog().join(' ') + ' ',
                                    "QA " + run::Load(*LongRun::LongPlan()->GetExecList()[0]) +
                                        "QC PC0 "));
            CRunRecordReader record;
            QVERIFY(ReadRecord(plan, record));
            QVERIFY(record.Closed());
            QCOMPARE(record.ErrorCount(), 1);
        }
        {
            LongRun running;
            QVERIFY(running.Start(environment(), {"--run", plan}));
            running.sim.SetSilent(true);
            QCOMPARE(running.Finish(), 1);
            QVERIFY(QString::fromUtf8(running.proc.readAllStandardError())
                        .contains("通信エラーが発生しました。\n"));
        }
        {
            CVzrT8100Sim sim;
            QVERIFY(sim.Start());
            sim.SetSilent(true);
            const ProcessRun r =
                run({"--run", plan, "--port", sim.PortPath(), "--port", "/dev/vzr-gone"});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains("/dev/vzr-gone: no such device\n"), qPrintable(r.err));
            QVERIFY(r.err.contains("VZR-T8100が見つかりませんでした。"));
            QVERIFY(r.out.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestShellCli)
#include "tst_shell_cli.moc"
