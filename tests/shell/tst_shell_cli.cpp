// The program's command line, run as a separate process.
#include "CVzrT8100Sim.h"
#include "data/CVzrT8100Doc.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestShellCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    void prepare(QProcess& proc) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VZR_T8100_SYSTEM_PORTS", "0");
        env.remove("VZR_T8100_PORTS");
        proc.setProcessEnvironment(env);
    }

    Run run(const QStringList& args) {
        QProcess proc;
        prepare(proc);
        proc.start(QCoreApplication::applicationDirPath() + "/vzr-t8100", args);
        Run result;
        if (!proc.waitForStarted())
            return result;
        proc.waitForFinished(-1);
        result.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2;
        result.out = QString::fromUtf8(proc.readAllStandardOutput());
        result.err = QString::fromUtf8(proc.readAllStandardError());
        return result;
    }

private slots:
    void identifyFindsInstrument() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        const Run r = run({"--identify", "--port", sim.PortPath()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(sim.PortPath()), qPrintable(r.out));
        QVERIFY2(r.out.contains("VALDMARK SYSTEMS, VZR-T81"), qPrintable(r.out));
        QVERIFY(sim.EnqCount() > 0);
    }

    void identifyKeepsTheFirstThatAnswers() {
        CVzrT8100Sim silent, live;
        QVERIFY(silent.Start() && live.Start());
        silent.SetSilent(true);
        const Run r = run({"--identify", "--port", silent.PortPath(), "--port", live.PortPath()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(live.PortPath()), qPrintable(r.out));
        QVERIFY(!r.out.contains(silent.PortPath() + "\n"));
    }

    void identifyWithoutInstrument() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        sim.SetSilent(true);
        const Run r = run({"--identify", "--port", sim.PortPath()});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("VZR-T8100が見つかりませんでした。"), qPrintable(r.err));
        QVERIFY(!r.out.contains("VALDMARK"));
        // no ports at all is no instrument either
        const Run none = run({"--identify"});
        QCOMPARE(none.exitCode, 1);
    }

    void identifyAgainstEmbeddedSimulator() {
        const Run r = run({"--identify", "--simulate"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("VALDMARK SYSTEMS, VZR-T81"), qPrintable(r.out));
    }

    void secondCopyWithoutDisplayEnds() {
        QProcess first;
        prepare(first);
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(QCoreApplication::applicationDirPath() + "/vzr-t8100", {"--simulate"});
        QVERIFY(first.waitForStarted());
        // until the first copy holds the single-instance lock
        const QString lockPath = m_dir.filePath("VZR-T8100_Instance");
        for (;;) {
            qint64 pid = 0;
            QString host, app;
            if (QLockFile(lockPath).getLockInfo(&pid, &host, &app) && pid == first.processId())
                break;
            QVERIFY2(first.state() == QProcess::Running, "the first copy ended");
            first.waitForFinished(50);
        }
        // no one could close a message box here: the second copy says why and ends
        const Run second = run({});
        QCOMPARE(second.exitCode, 0);
        QVERIFY2(second.err.contains("アプリケーションはすでに起動しています。"),
                 qPrintable(second.err));
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        if (!first.waitForFinished(30000))
            first.kill();
        first.waitForFinished();
    }

    void withoutDisplayOrInstrumentStarts() {
        QProcess proc;
        prepare(proc);
        proc.start(QCoreApplication::applicationDirPath() + "/vzr-t8100", {});
        QVERIFY(proc.waitForStarted());
        // the failure is reported and start-up goes on instead of waiting for an answer
        QByteArray err;
        while (!err.contains("VZR-T8100との通信に失敗しました。") &&
               proc.state() == QProcess::Running) {
            proc.waitForReadyRead(100);
            err += proc.readAllStandardError();
        }
        QVERIFY2(err.contains("VZR-T8100との通信に失敗しました。"), err.constData());
        QCOMPARE(proc.state(), QProcess::Running);
        proc.terminate();
        if (!proc.waitForFinished(30000))
            proc.kill();
        proc.waitForFinished();
    }

    void help() {
        const Run r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        for (const char* option :
             {"--port", "--simulate", "--identify", "--dump", "--send-sequence", "--help"})
            QVERIFY2(r.out.contains(option), option);
    }

    void badOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown") << QStringList{"--frobnicate"};
        QTest::newRow("port without path") << QStringList{"--port"};
        QTest::newRow("dump without file") << QStringList{"--dump"};
    }
    void badOptions() {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains(args.first()));
        QVERIFY(r.err.contains("--help"));
    }

    void sendSequence() {
        // two conditions: a single voltage and a sweep in both polarities
        const QString path = m_dir.filePath("sequence.vzt");
        {
            CVzrT8100Doc doc;
            auto sweep = std::make_unique<CSettingData>();
            sweep->m_value.m_nValueType = VALUE_SWEEP;
            sweep->m_value.m_lStart = 2000;
            sweep->m_value.m_lEnd = 8000;
            sweep->m_value.m_lStep = 2000;
            sweep->m_ulPola = POLA_BIT_BOTH;
            sweep->SetTestNo(1);
            sweep->MakeExecList(sweep->m_edlList);
            doc.GetSettingList().push_back(std::move(sweep));
            doc.RebuildExecList();
            QString error;
            QVERIFY2(doc.SaveFile(path, &error), qPrintable(error));
        }
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        const Run ok = run({"--send-sequence", path, "--port", sim.PortPath()});
        QCOMPARE(ok.exitCode, 0);
        QCOMPARE(ok.out.trimmed(), QString("完了しました"));
        QCOMPARE(sim.CommandLog().filter(QRegularExpression("^P[QR]")),
                 (QStringList{"PQ1/20/100/10/0/0/1", "PQ2/200/100/10/2/0/1/800/200", "PR1/1/2"}));
        QCOMPARE(sim.SequenceMemory().size(), 3);

        // refused by the instrument
        sim.ClearLog();
        sim.RefuseCommand("PR");
        const Run refused = run({"--send-sequence", path, "--port", sim.PortPath()});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.out.trimmed(), QString("送信出来ませんでした"));

        // no instrument: the same message, and why on the error output
        sim.SetSilent(true);
        const Run silent = run({"--send-sequence", path, "--port", sim.PortPath()});
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
        const Run badFile = run({"--send-sequence", bad.fileName(), "--port", sim.PortPath()});
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
        const Run ok = run({"--dump", path});
        QCOMPARE(ok.exitCode, 0);
        QVERIFY(!ok.out.isEmpty());
        const Run missing = run({"--dump", m_dir.filePath("missing.vzt")});
        QVERIFY(missing.exitCode != 0);
        QVERIFY(!missing.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShellCli)
#include "tst_shell_cli.moc"
