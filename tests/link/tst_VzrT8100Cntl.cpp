// The instrument controller against the simulated instrument: search, commands, reply
// reading and the loading of steps and sequences.
#include "CVzrT8100Sim.h"

#include "data/CExecData.h"
#include "data/CSettingData.h"
#include "link/CSerialPortTable.h"
#include "link/CVzrT8100Cntl.h"

#include <QSerialPort>
#include <QTest>

#include <memory>

namespace {

const QString kIdent = QStringLiteral("VALDMARK SYSTEMS, VZR-T81");

// The step of the loading example: CONTACT, GUN, +, 8000 V, 1000 ms, 10 discharges.
CExecData ExampleStep() {
    CExecData step;
    step.m_nDiscMode = DISC_CONTACT;
    step.m_nTrig = TRIG_GUN;
    step.m_nPola = POLA_PLUS;
    step.m_lVolt = 8000;
    step.m_lInterval = 1000;
    step.m_lCount = 10;
    return step;
}

// Single 8000 V, 1000 ms, 10 discharges, both polarities, CONTACT, GUN.
CSettingData ExampleCondition() {
    CSettingData cond;
    cond.m_value.m_nValueType = VALUE_SINGLE;
    cond.m_value.m_lValue = 8000;
    cond.m_lInterval = 1000;
    cond.m_lCount = 10;
    cond.m_ulPola = POLA_BIT_BOTH;
    cond.m_nDiscMode = DISC_CONTACT;
    cond.m_nTrig = TRIG_GUN;
    return cond;
}

const QStringList kPreamble = {"QA", "CB", "PC0"};

} // namespace

class TestVzrT8100Cntl : public QObject {
    Q_OBJECT

    std::unique_ptr<CVzrT8100Sim> m_sim;
    std::unique_ptr<CVzrT8100Cntl> m_cntl;

    // One simulator as port 1, and a controller that found it.
    void ConnectOne() {
        m_sim = std::make_unique<CVzrT8100Sim>();
        QVERIFY(m_sim->Start());
        CSerialPortTable::SetExplicitPorts({m_sim->PortPath()});
        m_cntl = std::make_unique<CVzrT8100Cntl>();
        QVERIFY(m_cntl->IsConnected());
        QCOMPARE(m_cntl->GetPortNo(), 1);
        m_sim->ClearLog();
    }

private slots:
    void cleanup() {
        m_cntl.reset();
        if (m_sim)
            m_sim->Stop();
        m_sim.reset();
        CSerialPortTable::SetExplicitPorts({});
    }

    void connectKeepsFirstInstrument() {
        CVzrT8100Sim first;
        CVzrT8100Sim second;
        QVERIFY(first.Start());
        QVERIFY(second.Start());
        CSerialPortTable::SetExplicitPorts({first.PortPath(), second.PortPath()});
        CVzrT8100Cntl cntl;
        QVERIFY(cntl.IsConnected());
        QCOMPARE(cntl.GetPortNo(), 1);
        QCOMPARE(first.CommandLog(), QStringList({"QA"}));
        QCOMPARE(second.EnqCount(), 0);
        QVERIFY(second.CommandLog().isEmpty());
        // Connecting again closes and searches afresh, with the same outcome.
        QVERIFY(cntl.Connect());
        QCOMPARE(cntl.GetPortNo(), 1);
        QCOMPARE(second.EnqCount(), 0);
    }

    void connectSkipsPortsWithoutInstrument() {
        CVzrT8100Sim stranger;
        CVzrT8100Sim silent;
        CVzrT8100Sim instrument;
        QVERIFY(stranger.Start());
        QVERIFY(silent.Start());
        QVERIFY(instrument.Start());
        stranger.SetIdentText("ACME CORP, SOMETHING ELSE");
        silent.SetSilent(true);
        CSerialPortTable::SetExplicitPorts({"/dev/vzr-no-such-port", stranger.PortPath(),
                                            silent.PortPath(), instrument.PortPath()});
        CVzrT8100Cntl cntl;
        QVERIFY(cntl.IsConnected());
        // The missing device is not listed, so the instrument is port 4 of the table.
        QCOMPARE(cntl.GetPortNo(), 4);
        QCOMPARE(stranger.CommandLog(), QStringList({"QA"}));
        QTRY_COMPARE(silent.EnqCount(), 1);
    }

    void searchKeepsOneTableWhileItChanges() {
        // two instruments on ports 3 and 5, strangers elsewhere
        CVzrT8100Sim s1, s2, a, s4, b, plugged;
        for (CVzrT8100Sim* sim : {&s1, &s2, &a, &s4, &b, &plugged})
            QVERIFY(sim->Start());
        for (CVzrT8100Sim* sim : {&s1, &s2, &s4})
            sim->SetIdentText("ACME CORP, SOMETHING ELSE");
        const QStringList table = {s1.PortPath(), s2.PortPath(), a.PortPath(), s4.PortPath(),
                                   b.PortPath()};
        CSerialPortTable::SetExplicitPorts(table);
        // an instrument on a USB adapter is plugged in while port 1 is being asked
        s1.SetLogCallback([&](const QString&) {
            CSerialPortTable::SetExplicitPorts(QStringList{plugged.PortPath()} + table);
        });
        CVzrT8100Cntl cntl;
        QCOMPARE(CSerialPortTable::Ports().first(), plugged.PortPath());
        QVERIFY(cntl.IsConnected());
        QCOMPARE(cntl.GetPortNo(), 3);
        QCOMPARE(cntl.GetProtocol().GetPort().PortPath(), a.PortPath());
        QCOMPARE(a.CommandLog(), QStringList({"QA"}));
        QCOMPARE(s2.CommandLog(), QStringList({"QA"}));
        QCOMPARE(b.EnqCount(), 0);
        QCOMPARE(plugged.EnqCount(), 0);
        s1.SetLogCallback(nullptr);
    }

    void searchTellsWhyPortsCouldNotBeOpened() {
        CVzrT8100Sim held;
        QVERIFY(held.Start());
        QSerialPort holder; // another user of the line has it
        holder.setPortName(held.PortPath());
        QVERIFY(holder.open(QIODevice::ReadWrite));
        const QString lockFile = CPortProblem::FindLockFile(held.PortPath());
        QVERIFY(!lockFile.isEmpty());
        CSerialPortTable::SetExplicitPorts({"/dev/vzr-no-such-port", held.PortPath()});
        CVzrT8100Cntl cntl;
        QVERIFY(!cntl.IsConnected());
        QCOMPARE(cntl.PortProblems(),
                 QStringList(
                     {"/dev/vzr-no-such-port: no such device",
                      held.PortPath() + ": in use by this program (lock file " + lockFile + ")"}));
        QCOMPARE(held.EnqCount(), 0);
        // let go, and the next search finds the instrument there
        holder.close();
        QVERIFY(cntl.Connect());
        QCOMPARE(cntl.GetPortNo(), 2);
        QCOMPARE(cntl.PortProblems(), QStringList({"/dev/vzr-no-such-port: no such device"}));
    }

    void connectWithoutInstrumentLeavesDisconnected() {
        CVzrT8100Sim stranger;
        QVERIFY(stranger.Start());
        stranger.SetIdentText("VALDMARK SYSTEMS, VZR-T70");
        CSerialPortTable::SetExplicitPorts({stranger.PortPath()});
        CVzrT8100Cntl cntl;
        QVERIFY(!cntl.IsConnected());
        QCOMPARE(cntl.GetPortNo(), 0);
        QVERIFY(!cntl.GetProtocol().GetPort().IsOpen());
    }

    void identify() {
        ConnectOne();
        QString reply;
        QVERIFY(m_cntl->Identify(reply));
        QVERIFY(reply.startsWith("QA"));
        QVERIFY(reply.contains(kIdent));

        // Anywhere in the reply will do, and nothing else is looked at.
        m_sim->SetIdentText("xx" + kIdent + "Z");
        QVERIFY(m_cntl->Identify(reply));
        QCOMPARE(reply, "QAxx" + kIdent + "Z");

        m_sim->SetIdentText("valdmark systems, vzr-t81");
        QVERIFY(!m_cntl->Identify(reply));
        QCOMPARE(reply, QString("QAvaldmark systems, vzr-t81"));

        m_sim->SetSilent(true);
        reply = "stale";
        QVERIFY(!m_cntl->Identify(reply));
        QVERIFY(reply.isEmpty());
        QVERIFY(m_cntl->IsConnected()); // a silent instrument does not disconnect
    }

    void commandsReachInstrument() {
        ConnectOne();
        QVERIFY(m_cntl->TriggerOn());
        QVERIFY(m_cntl->TriggerOff());
        QVERIFY(m_cntl->StartTest());
        QVERIFY(m_cntl->StopTest());
        QVERIFY(m_cntl->SendPC0());
        QCOMPARE(m_sim->CommandLog(), QStringList({"CC", "CD", "CA", "CB", "PC0"}));
        m_sim->RefuseCommand("CA");
        QVERIFY(!m_cntl->StartTest());
        // a PC0 the instrument refuses still reaches it, and the line stays usable
        m_sim->RefuseCommand("PC0");
        m_sim->ClearLog();
        m_cntl->SendPC0();
        QCOMPARE(m_sim->CommandLog(), QStringList({"PC0"}));
        m_sim->ClearRefusals();
        QVERIFY(m_cntl->TriggerOff());
        QCOMPARE(m_sim->CommandLog(), QStringList({"PC0", "CD"}));
    }

    void statusByte_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("status");
        QTest::newRow("10") << QByteArray("10") << 0x01;
        QTest::newRow("01") << QByteArray("01") << 0x10;
        QTest::newRow("5") << QByteArray("5") << 0x05;
        QTest::newRow("empty") << QByteArray() << 0x00;
        QTest::newRow("high nibbles ignored") << QByteArray("GA") << 0x17;
    }
    void statusByte() {
        QFETCH(QByteArray, payload);
        QFETCH(int, status);
        ConnectOne();
        m_sim->SetReplyPayload("QD", payload);
        quint8 got = 0xFF;
        QVERIFY(m_cntl->GetStatus(got));
        QCOMPARE(int(got), status);
    }

    void statusFollowsInstrument() {
        ConnectOne();
        quint8 status = 0;
        QVERIFY(m_cntl->SendStep(ExampleStep()));
        QVERIFY(m_cntl->StartTest());
        QVERIFY(m_cntl->GetStatus(status));
        QCOMPARE(status, m_sim->Status());
        QVERIFY(status & CVzrT8100Cntl::STATUS_RUNNING);
        QVERIFY(m_cntl->StopTest());
        QVERIFY(m_cntl->GetStatus(status));
        QVERIFY(!(status & CVzrT8100Cntl::STATUS_RUNNING));
    }

    void errorText_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("text");
        QTest::newRow("4") << QByteArray("4") << QString::fromUtf8("PCコントロールエラー");
        QTest::newRow("1") << QByteArray(" 1") << QString::fromUtf8("ガンインターロックエラー");
        QTest::newRow("8") << QByteArray("+8") << QString::fromUtf8("HV-52Pエラー");
        QTest::newRow("9") << QByteArray("9") << QString("Unknown Error");
        QTest::newRow("-1") << QByteArray("-1") << QString("Unknown Error");
        QTest::newRow("x") << QByteArray("x") << QString();
        QTest::newRow("0") << QByteArray("0") << QString();
    }
    void errorText() {
        QFETCH(QByteArray, payload);
        QFETCH(QString, text);
        ConnectOne();
        m_sim->SetReplyPayload("QC", payload);
        QString got = "stale";
        QVERIFY(m_cntl->GetErrorText(got));
        QCOMPARE(got, text);
    }

    void errorFromInstrument() {
        ConnectOne();
        m_sim->InjectErrorOnNextStart(6);
        QVERIFY(m_cntl->SendStep(ExampleStep()));
        m_cntl->StartTest();
        QString text;
        QVERIFY(m_cntl->GetErrorText(text));
        QCOMPARE(text, QString::fromUtf8("高圧充電エラー"));
    }

    void remainingCount() {
        ConnectOne();
        m_sim->SetReplyPayload("QJ", "10");
        m_sim->SetReplyPayload("QF", "4");
        qint32 count = 0;
        bool whole = false;
        QVERIFY(m_cntl->GetRemainingCount(count, &whole));
        QCOMPARE(count, 6);
        QVERIFY(whole);
        QCOMPARE(m_sim->CommandLog(), QStringList({"QJ", "QF"}));

        // A failed QJ counts as 0; only QF decides the result, but the count is not whole.
        m_sim->SetRawReply("QJ", "garbage");
        QVERIFY(m_cntl->GetRemainingCount(count, &whole));
        QCOMPARE(count, -4);
        QVERIFY(!whole);

        m_sim->ClearReplyOverrides();
        m_sim->SetReplyPayload("QJ", "10");
        m_sim->InjectBadBcc(2); // both replies spoiled
        QVERIFY(!m_cntl->GetRemainingCount(count, &whole));
        QVERIFY(!whole);
        QCOMPARE(count, 0);
    }

    void interval() {
        ConnectOne();
        m_sim->SetReplyPayload("QE", " -25xyz");
        qint32 value = 0;
        QVERIFY(m_cntl->GetInterval(value));
        QCOMPARE(value, -25);
        m_sim->SetSilent(true);
        QVERIFY(!m_cntl->GetInterval(value));
        QCOMPARE(value, 0);
    }

    void payloadNumbers_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "QE100" << 100;
        QTest::newRow("blanks and sign") << "QE \t+42" << 42;
        QTest::newRow("negative") << "QE-7" << -7;
        QTest::newRow("stops at non-digit") << "QE12a3" << 12;
        QTest::newRow("no digits") << "QE-" << 0;
        QTest::newRow("hex is not read") << "QE0x1F" << 0;
        QTest::newRow("short reply") << "Q" << 0;
        QTest::newRow("first two not examined") << "995" << 5;
        QTest::newRow("saturates high") << "QE99999999999" << 2147483647;
        QTest::newRow("saturates low") << "QE-99999999999" << (-2147483647 - 1);
    }
    void payloadNumbers() {
        QFETCH(QString, reply);
        QFETCH(int, value);
        QCOMPARE(CVzrT8100Cntl::PayloadToInt(reply), value);
    }

    void notConnectedFailsEverything() {
        CSerialPortTable::SetExplicitPorts({});
        CVzrT8100Cntl cntl;
        QVERIFY(!cntl.IsConnected());
        QString text = "stale";
        quint8 status = 0xFF;
        qint32 value = 99;
        QVERIFY(!cntl.Identify(text));
        QVERIFY(text.isEmpty());
        QVERIFY(!cntl.StartTest());
        QVERIFY(!cntl.StopTest());
        QVERIFY(!cntl.TriggerOn());
        QVERIFY(!cntl.TriggerOff());
        // nothing to send PC0 to, and no way to a connection either
        cntl.SendPC0();
        QVERIFY(!cntl.IsConnected());
        QVERIFY(!cntl.GetProtocol().GetPort().IsOpen());
        QVERIFY(!cntl.GetStatus(status));
        QCOMPARE(status, quint8(0));
        text = "stale";
        QVERIFY(!cntl.GetErrorText(text));
        QVERIFY(text.isEmpty());
        QVERIFY(!cntl.GetInterval(value));
        QCOMPARE(value, 0);
        value = 99;
        QVERIFY(!cntl.GetRemainingCount(value));
        QCOMPARE(value, 0);
        QVERIFY(!cntl.SendStep(ExampleStep()));
        QVERIFY(!cntl.SendSequenceStep(ExampleCondition(), 1));
        QVERIFY(!cntl.SendSequenceProgram(3));
    }

    void sendStepExample() {
        ConnectOne();
        QVERIFY(m_cntl->SendStep(ExampleStep()));
        QCOMPARE(m_sim->CommandLog(),
                 kPreamble + QStringList({"PH0", "PI1", "PG0", "PL800", "PK100", "PJ10"}));
        const CVzrT8100Sim::Step loaded = m_sim->LoadedStep();
        QCOMPARE(loaded.volt10, 800);
        QCOMPARE(loaded.interval10, 100);
        QCOMPARE(loaded.count, 10);
    }

    void sendStepTruncatesTowardZero() {
        ConnectOne();
        CExecData step = ExampleStep();
        step.m_nDiscMode = DISC_AIR;
        step.m_nPola = POLA_MINUS;
        step.m_lVolt = -8005;
        step.m_lInterval = 59;
        QVERIFY(m_cntl->SendStep(step));
        const QStringList log = m_sim->CommandLog();
        QVERIFY(log.contains("PH1"));
        QVERIFY(log.contains("PG1"));
        QVERIFY(log.contains("PL-800"));
        QVERIFY(log.contains("PK5"));
    }

    void sendStepStopsAtFirstRefusal() {
        ConnectOne();
        m_sim->RefuseCommand("PL");
        QVERIFY(!m_cntl->SendStep(ExampleStep()));
        QCOMPARE(m_sim->CommandLog(), kPreamble + QStringList({"PH0", "PI1", "PG0", "PL800"}));
    }

    void preambleNeedsIdentAndStop() {
        ConnectOne();
        m_sim->SetIdentText("SOME OTHER GENERATOR");
        QVERIFY(!m_cntl->SendStep(ExampleStep()));
        QVERIFY(!m_cntl->SendSequenceStep(ExampleCondition(), 1));
        QCOMPARE(m_sim->CommandLog(), QStringList({"QA", "QA"}));

        m_sim->SetModelText("00 Ver.1.00");
        m_sim->ClearLog();
        m_sim->RefuseCommand("CB");
        QVERIFY(!m_cntl->SendStep(ExampleStep()));
        QCOMPARE(m_sim->CommandLog(), QStringList({"QA", "CB"}));

        // PC0 is sent, but its refusal does not stop the load.
        m_sim->ClearRefusals();
        m_sim->RefuseCommand("PC0");
        m_sim->ClearLog();
        QVERIFY(m_cntl->SendStep(ExampleStep()));
        QCOMPARE(m_sim->CommandLog().size(), 9);
    }

    void sequenceStep_data() {
        QTest::addColumn<int>("valueType");
        QTest::addColumn<quint32>("pola");
        QTest::addColumn<int>("no");
        QTest::addColumn<QString>("text");
        QTest::newRow("single") << VALUE_SINGLE << POLA_BIT_BOTH << 3 << "PQ3/800/100/10/2/0/1";
        QTest::newRow("sweep") << VALUE_SWEEP << POLA_BIT_BOTH << 3
                               << "PQ3/200/100/10/2/0/1/800/200";
        QTest::newRow("multi uses start")
            << VALUE_MULTI << POLA_BIT_PLUS << 3 << "PQ3/200/100/10/0/0/1";
        QTest::newRow("negative only")
            << VALUE_SINGLE << POLA_BIT_MINUS << 5 << "PQ5/800/100/10/1/0/1";
        QTest::newRow("empty polarity set") << VALUE_SINGLE << 0u << 5 << "PQ5/800/100/10/2/0/1";
        QTest::newRow("step 0 -> 1")
            << VALUE_SINGLE << POLA_BIT_BOTH << 0 << "PQ1/800/100/10/2/0/1";
        QTest::newRow("step 120 -> 99")
            << VALUE_SINGLE << POLA_BIT_BOTH << 120 << "PQ99/800/100/10/2/0/1";
    }
    void sequenceStep() {
        QFETCH(int, valueType);
        QFETCH(quint32, pola);
        QFETCH(int, no);
        QFETCH(QString, text);
        ConnectOne();
        CSettingData cond = ExampleCondition();
        cond.m_value.m_nValueType = valueType;
        cond.m_value.m_lStart = 2000;
        cond.m_value.m_lEnd = 8000;
        cond.m_value.m_lStep = 2000;
        cond.m_ulPola = pola;
        QVERIFY(m_cntl->SendSequenceStep(cond, no));
        QCOMPARE(m_sim->CommandLog(), kPreamble + QStringList({text}));
        QVERIFY(m_sim->SequenceMemory().contains(text));
    }

    void sequenceProgram_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("3") << 3 << "PR1/1/2/3";
        QTest::newRow("1") << 1 << "PR1/1";
        QTest::newRow("30 -> 22") << 30
                                  << "PR1/1/2/3/4/5/6/7/8/9/10/11/12/13/14/15/16/17/18/19/20/21/22";
    }
    void sequenceProgram() {
        QFETCH(int, count);
        QFETCH(QString, text);
        ConnectOne();
        QVERIFY(m_cntl->SendSequenceProgram(count));
        // No preamble before the program.
        QCOMPARE(m_sim->CommandLog(), QStringList({text}));
    }

    void emptySequenceProgramSendsNothing() {
        ConnectOne();
        const int enqBefore = m_sim->EnqCount();
        QVERIFY(!m_cntl->SendSequenceProgram(0));
        QVERIFY(!m_cntl->SendSequenceProgram(-3));
        QCOMPARE(m_sim->EnqCount(), enqBefore);
        m_sim->RefuseCommand("PR");
        QVERIFY(!m_cntl->SendSequenceProgram(2));
    }
};

QTEST_GUILESS_MAIN(TestVzrT8100Cntl)
#include "tst_VzrT8100Cntl.moc"
