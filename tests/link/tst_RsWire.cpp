// The line protocol byte for byte, against a scripted peer on a bare pseudo-terminal.
#include "CPtyPeer.h"

#include "link/CRsBasicProtocol.h"
#include "link/CSerialPortTable.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>

namespace {

const QByteArray kEnq("\x05", 1);
const QByteArray kAck("\x06", 1);

QByteArray Frame(const QByteArray& text) {
    char bcc = '\x03';
    for (char c : text)
        bcc ^= c;
    return QByteArray("\x02", 1) + text + QByteArray("\x03", 1) + QByteArray(1, bcc);
}

// What the peer saw of one exchange.
struct Seen {
    QByteArray first;  // the first byte: ENQ
    QByteArray frame;  // the frame that followed
    QByteArray answer; // after a query: our ACK for the reply
    QByteArray after;  // anything more within a short look
};

// Instrument side of a command: ACK after ENQ and after the frame.
void PlayCommand(CPtyPeer& peer, Seen& seen) {
    seen.first = peer.Read(1);
    if (seen.first != kEnq)
        return;
    peer.Write(kAck);
    seen.frame = peer.ReadFrame();
    peer.Write(kAck);
    seen.after = peer.Read(1, 200);
}

// Instrument side of a query: ACK after ENQ, then the given bytes as the reply.
void PlayQuery(CPtyPeer& peer, Seen& seen, const QByteArray& reply) {
    seen.first = peer.Read(1);
    if (seen.first != kEnq)
        return;
    peer.Write(kAck);
    seen.frame = peer.ReadFrame();
    peer.Write(reply);
    seen.answer = peer.Read(1, 800);
}

} // namespace

class TestRsWire : public QObject {
    Q_OBJECT

    std::unique_ptr<CPtyPeer> m_peer;
    std::unique_ptr<CRsBasicProtocol> m_proto;

private slots:
    void init() {
        m_peer = std::make_unique<CPtyPeer>();
        QVERIFY(m_peer->IsValid());
        CSerialPortTable::SetExplicitPorts({m_peer->SlavePath()});
        m_proto = std::make_unique<CRsBasicProtocol>();
        QVERIFY(m_proto->GetPort().Open(1));
        QCOMPARE(m_proto->GetPort().GetPortNo(), 1);
    }

    void cleanup() {
        m_proto.reset();
        m_peer.reset();
        CSerialPortTable::SetExplicitPorts({});
    }

    void commandFraming_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("CA") << "CA" << QByteArray("\x02\x43\x41\x03\x01", 5);
        // BCC equal to ETX: the frame is still five bytes long.
        QTest::newRow("CC") << "CC" << QByteArray("\x02\x43\x43\x03\x03", 5);
    }
    void commandFraming() {
        QFETCH(QString, text);
        QFETCH(QByteArray, wire);
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayCommand(p, seen); });
        QVERIFY(m_proto->SendCommand(text));
        m_peer->Join();
        QCOMPARE(seen.first, kEnq);
        QCOMPARE(seen.frame, wire);
        QVERIFY(seen.after.isEmpty());
    }

    void queryFramingAndAck() {
        Seen seen;
        m_peer->Run(
            [&](CPtyPeer& p) { PlayQuery(p, seen, Frame("QAVALDMARK SYSTEMS, VZR-T8100")); });
        QVERIFY(m_proto->SendQuery("QA"));
        m_peer->Join();
        QCOMPARE(seen.frame, QByteArray("\x02\x51\x41\x03\x13", 5));
        QCOMPARE(seen.answer, kAck);
        QCOMPARE(m_proto->GetReply(), QString("QAVALDMARK SYSTEMS, VZR-T8100"));
    }

    void replyDecodedFromShiftJis() {
        const QString text = QString::fromUtf8("QCPCコントロールエラー");
        QStringEncoder encoder("Shift_JIS");
        const QByteArray bytes = encoder.encode(text);
        QVERIFY(bytes.size() > text.size()); // really two-byte characters on the line
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayQuery(p, seen, Frame(bytes)); });
        QVERIFY(m_proto->SendQuery("QC"));
        m_peer->Join();
        QCOMPARE(m_proto->GetReply(), text);
    }

    void longTextCutTo251Bytes() {
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayCommand(p, seen); });
        QVERIFY(m_proto->SendCommand(QString(300, u'A')));
        m_peer->Join();
        QCOMPARE(seen.frame.size(), 254);
        QCOMPARE(seen.frame, Frame(QByteArray(251, 'A')));
    }

    void cutNeverSplitsTwoByteCharacter() {
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayCommand(p, seen); });
        // 250 bytes, then a character whose second byte would be the 252nd.
        QVERIFY(m_proto->SendCommand(QString(250, u'A') + QString::fromUtf8("あ")));
        m_peer->Join();
        QCOMPARE(seen.frame, Frame(QByteArray(250, 'A')));
    }

    void textWithEtxIsNotSent() {
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { seen.first = p.Read(1, 700); });
        QVERIFY(!m_proto->SendCommand(QString("P") + QChar(0x03) + QString("Q")));
        m_peer->Join();
        QVERIFY(seen.first.isEmpty());
    }

    void replyLengthLimit_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("254 text bytes") << 254 << true;
        QTest::newRow("255 text bytes") << 255 << false;
    }
    void replyLengthLimit() {
        QFETCH(int, length);
        QFETCH(bool, accepted);
        const QByteArray text = "QA" + QByteArray(length - 2, 'x');
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayQuery(p, seen, Frame(text)); });
        QCOMPARE(m_proto->SendQuery("QA"), accepted);
        m_peer->Join();
        QCOMPARE(m_proto->GetReply(), accepted ? QString::fromLatin1(text) : QString());
        // A refused reply is never acknowledged.
        QCOMPARE(seen.answer, accepted ? kAck : QByteArray());
        if (!accepted)
            RoundTripAfterJunk();
    }

    void replyWithoutStxFailsAndIsFlushed() {
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayQuery(p, seen, "X" + Frame("QD10")); });
        QVERIFY(!m_proto->SendQuery("QD"));
        m_peer->Join();
        QVERIFY(seen.answer.isEmpty());
        QVERIFY(m_proto->GetReply().isEmpty());
        // The rest of that reply is still queued; the next exchange drops it first.
        RoundTripAfterJunk();
    }

    void leftoversDroppedBeforeEnq() {
        QVERIFY(m_peer->Write(Frame("QD01") + "\x06\x06 stale"));
        QTest::qWait(50);
        RoundTripAfterJunk();
    }

    void pauseInsideReplyFailsQuery() {
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) {
            const QByteArray reply = Frame("QD10");
            PlayQuery(p, seen, reply.left(3));
            // far longer than the wait: a reader kept off the processor for a while on a
            // busy machine must still find the pause over when it looks again
            QThread::msleep(CRsPort::WAIT_MS + 1500);
            p.Write(reply.mid(3));
        });
        QVERIFY(!m_proto->SendQuery("QD"));
        m_peer->Join();
        QVERIFY(seen.answer.isEmpty());
        QVERIFY(m_proto->GetReply().isEmpty());
        RoundTripAfterJunk();
    }

    void wrongBccFailsQuery() {
        QByteArray reply = Frame("QE100");
        reply[reply.size() - 1] = char(reply.at(reply.size() - 1) ^ 0x40);
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayQuery(p, seen, reply); });
        QVERIFY(!m_proto->SendQuery("QE"));
        m_peer->Join();
        QVERIFY(seen.answer.isEmpty());
        QVERIFY(m_proto->GetReply().isEmpty());
    }

    void closedPortFailsEverything() {
        m_proto->GetPort().Close();
        QCOMPARE(m_proto->GetPort().GetPortNo(), 0);
        m_proto->GetPort().Close(); // closing twice is harmless
        const quint8 byte = 0x05;
        QVERIFY(!m_proto->GetPort().Write(&byte, 1));
        QVERIFY(!m_proto->SendCommand("CA"));
        QVERIFY(!m_proto->SendQuery("QA"));
        QVERIFY(m_proto->GetReply().isEmpty());
    }

    // A peer that never stops talking gets no ENQ: the exchange gives up after its wait, and
    // the next one after the junk works. The peer writes every 2 ms; an attempt in which its
    // thread was kept off the processor for a quiet gap (a busy machine) proves nothing and is
    // made again.
    void floodGetsNoEnq() {
        std::atomic<bool> stop = false;
        std::atomic<qint64> longestGapNs = 0;
        std::atomic<int> enqs = 0;
        std::atomic<int> rounds = 0;
        m_peer->Run([&](CPtyPeer& p) {
            QElapsedTimer clock;
            clock.start();
            qint64 lastWrite = clock.nsecsElapsed();
            while (!stop) {
                p.Write("zz");
                // the bytes are on the line at the latest when the write returns; the line was
                // quiet at most from the return of the last write (the read and the sleep
                // between, however long the machine kept this thread off the processor)
                const qint64 now = clock.nsecsElapsed();
                longestGapNs = std::max<qint64>(longestGapNs, now - lastWrite);
                lastWrite = now;
                enqs += int(p.Read(64, 0).count('\x05'));
                ++rounds;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        const auto stopPeer = [&] {
            stop = true;
            m_peer->Join();
        };
        const auto stopped = qScopeGuard(stopPeer); // also when a check fails
        QTRY_VERIFY(m_proto->GetPort().BytesAvailable() > 0);
        int steady = 0;
        for (int attempt = 0; attempt < 10 && steady == 0; ++attempt) {
            longestGapNs = 0;
            const int before = enqs;
            QVERIFY(!m_proto->SendCommand("CA"));
            // until the peer has read all the exchange wrote
            const int round = rounds;
            QTRY_VERIFY(rounds > round + 1);
            if (longestGapNs < qint64(CRsBasicProtocol::FLUSH_QUIET_MS) * 1000000) {
                ++steady;
                QCOMPARE(enqs - before, 0);
            }
        }
        stopPeer();
        if (steady == 0)
            QSKIP("the machine kept the flooding peer off the processor in every attempt");
        RoundTripAfterJunk();
    }

private:
    // A clean query after junk was left on the line: the peer must see ENQ first.
    void RoundTripAfterJunk() {
        Seen seen;
        m_peer->Run([&](CPtyPeer& p) { PlayQuery(p, seen, Frame("QD10")); });
        QVERIFY(m_proto->SendQuery("QD"));
        m_peer->Join();
        QCOMPARE(seen.first, kEnq);
        QCOMPARE(seen.frame, Frame("QD"));
        QCOMPARE(m_proto->GetReply(), QString("QD10"));
    }
};

QTEST_GUILESS_MAIN(TestRsWire)
#include "tst_RsWire.moc"
