// The line protocol against the simulated instrument and its injected faults.
#include "CVzrT8100Sim.h"

#include "link/CRsBasicProtocol.h"
#include "link/CSerialPortTable.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

class TestRsProtocolSim : public QObject {
    Q_OBJECT

    std::unique_ptr<CVzrT8100Sim> m_sim;
    std::unique_ptr<CRsBasicProtocol> m_proto;

    bool Identifies() {
        return m_proto->SendQuery("QA") &&
               m_proto->GetReply().contains("VALDMARK SYSTEMS, VZR-T81");
    }

private slots:
    void init() {
        m_sim = std::make_unique<CVzrT8100Sim>();
        QVERIFY(m_sim->Start());
        CSerialPortTable::SetExplicitPorts({m_sim->PortPath()});
        m_proto = std::make_unique<CRsBasicProtocol>();
        QVERIFY(m_proto->GetPort().Open(1));
    }

    void cleanup() {
        m_proto.reset();
        m_sim->Stop();
        m_sim.reset();
        CSerialPortTable::SetExplicitPorts({});
    }

    void commandAndQueryRoundTrip() {
        QVERIFY(m_proto->SendCommand("CC"));
        QVERIFY(Identifies());
        QVERIFY(m_proto->GetReply().startsWith("QA"));
        QCOMPARE(m_sim->CommandLog(), QStringList({"CC", "QA"}));
        QTRY_COMPARE(m_sim->AckCount(), 1); // the reply frame was acknowledged
    }

    void nakAfterEnqFailsThatExchangeOnly() {
        m_sim->InjectNak(1);
        QVERIFY(!m_proto->SendCommand("CA"));
        QVERIFY(m_sim->CommandLog().isEmpty()); // no frame went out after the NAK
        QVERIFY(m_proto->SendCommand("CA"));
        QCOMPARE(m_sim->CommandLog(), QStringList({"CA"}));
    }

    void refusedCommandFails() {
        m_sim->RefuseCommand("PL");
        QVERIFY(!m_proto->SendCommand("PL800"));
        QVERIFY(m_proto->SendCommand("PK100"));
    }

    void silentPeerFailsUntilItAnswersAgain() {
        m_sim->SetSilent(true);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_proto->SendCommand("CA"));
        QVERIFY(!m_proto->SendQuery("QD"));
        QVERIFY(m_proto->GetReply().isEmpty());
        // Each exchange gave up after its one wait for ACK.
        QVERIFY(timer.elapsed() >= 2 * CRsPort::WAIT_MS - 20);
        QTRY_COMPARE(m_sim->EnqCount(), 2);
        m_sim->SetSilent(false);
        QVERIFY(Identifies());
    }

    void wrongBccFailsQueryAndNothingIsAcknowledged() {
        m_sim->InjectBadBcc(1);
        QVERIFY(!m_proto->SendQuery("QD"));
        QVERIFY(m_proto->GetReply().isEmpty());
        QVERIFY(m_proto->SendQuery("QD"));
        // A command answered afterwards means the simulator has read every byte before it:
        // only the good reply may have been acknowledged.
        QVERIFY(m_proto->SendCommand("CB"));
        QCOMPARE(m_sim->AckCount(), 1);
    }

    void garbageBeforeExchangeIsFlushed() {
        const QByteArray garbage = QByteArray("\x06\x02QD10\x03", 7) + QByteArray(600, 'z');
        m_sim->SendGarbage(garbage);
        // All of it is waiting at our end before the exchange begins.
        QTRY_COMPARE(m_proto->GetPort().BytesAvailable(), garbage.size());
        QVERIFY(Identifies());
        QCOMPARE(m_proto->GetPort().BytesAvailable(), 0);
    }

    void slowButSteadyBytesStillCount() {
        // The whole reply takes far longer than one wait, each gap stays well inside it.
        m_sim->SetByteDelayMs(20);
        QVERIFY(Identifies());
        QVERIFY(m_proto->GetReply().size() > CRsPort::WAIT_MS / 20);
        // The simulator waits for our ACK from its last byte on, so it is still heard.
        QTRY_COMPARE(m_sim->AckCount(), 1);
    }

    void drippingReplyGivesUpAtFrameBound() {
        // Every gap stays well inside the per-byte wait, but the whole frame would take 15 s.
        m_sim->SetRawReply("QE", CVzrT8100Sim::Frame("QE" + QByteArray(58, '7')));
        m_sim->SetByteDelayMs(250);
        QVERIFY(!m_proto->SendQuery("QE"));
        QVERIFY(m_proto->GetReply().isEmpty());
    }

    void rawRepliesWithinAndBeyondLimit_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("254") << 254 << true;
        QTest::newRow("255") << 255 << false;
        QTest::newRow("4000") << 4000 << false;
    }
    void rawRepliesWithinAndBeyondLimit() {
        QFETCH(int, length);
        QFETCH(bool, accepted);
        const QByteArray text = "QE" + QByteArray(length - 2, '7');
        m_sim->SetRawReply("QE", CVzrT8100Sim::Frame(text));
        QCOMPARE(m_proto->SendQuery("QE"), accepted);
        QCOMPARE(m_proto->GetReply().size(), accepted ? length : 0);
        m_sim->ClearReplyOverrides();
        QTest::qWait(100);
        QVERIFY(Identifies());
    }

    void hungUpLineFailsAtOnce() {
        m_sim->Stop();
        QVERIFY(!m_proto->SendCommand("CA"));
        QVERIFY(!m_proto->SendQuery("QA"));
        QVERIFY(m_proto->GetReply().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRsProtocolSim)
#include "tst_RsProtocolSim.moc"
