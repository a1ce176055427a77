// The port table and the serial port: numbering, listing, opening and closing.
#include "CPtyPeer.h"

#include "instrument/CRsPort.h"
#include "instrument/CSerialPortTable.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTest>

#include <memory>
#include <vector>

class TestRsPort : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        CSerialPortTable::SetExplicitPorts({});
        qunsetenv("VZR_T8100_PORTS");
    }

    void tableOrderAndDuplicates() {
        CSerialPortTable::SetExplicitPorts({"/dev/a", "/dev/b", "/dev/a"});
        qputenv("VZR_T8100_PORTS", "/dev/c::/dev/b:/dev/d");
        CSerialPortTable::PrependPort("/dev/sim");
        QCOMPARE(CSerialPortTable::Ports(),
                 QStringList({"/dev/sim", "/dev/a", "/dev/b", "/dev/c", "/dev/d"}));
        QCOMPARE(CSerialPortTable::DevicePath(1), QString("/dev/sim"));
        QCOMPARE(CSerialPortTable::DevicePath(5), QString("/dev/d"));
        QVERIFY(CSerialPortTable::DevicePath(6).isEmpty());
        QVERIFY(CSerialPortTable::DevicePath(0).isEmpty());
        QVERIFY(CSerialPortTable::DevicePath(-1).isEmpty());
        QVERIFY(CSerialPortTable::DevicePath(129).isEmpty());
        // Putting a listed path in front moves it rather than listing it twice.
        CSerialPortTable::PrependPort("/dev/b");
        QCOMPARE(CSerialPortTable::Ports().first(), QString("/dev/b"));
        QCOMPARE(CSerialPortTable::Ports().count("/dev/b"), 1);
    }

    void tableHoldsAtMost128() {
        QStringList paths;
        for (int i = 0; i < 140; ++i)
            paths << QString("/dev/x%1").arg(i);
        CSerialPortTable::SetExplicitPorts(paths);
        QCOMPARE(CSerialPortTable::Ports().size(), 128);
        QCOMPARE(CSerialPortTable::DevicePath(128), QString("/dev/x127"));
    }

    void openAndCloseTrackPortNumber() {
        CPtyPeer peer;
        QVERIFY(peer.IsValid());
        CSerialPortTable::SetExplicitPorts({"/dev/vzr-missing", peer.SlavePath()});
        CRsPort port;
        QCOMPARE(port.m_dwBaudRate, quint32(9600));
        QCOMPARE(port.m_byByteSize, quint32(8));
        QCOMPARE(port.m_byParity, quint32(0));
        QCOMPARE(port.m_byStopBits, quint32(0));

        QVERIFY(!port.Open(1)); // missing device
        QCOMPARE(port.m_nPortNo, 0);
        QVERIFY(!port.Open(3)); // outside the table
        QVERIFY(!port.Open(0));
        QVERIFY(!port.Open(200));
        QCOMPARE(port.m_nPortNo, 0);

        QVERIFY(port.Open(2));
        QCOMPARE(port.m_nPortNo, 2);
        QVERIFY(port.IsOpen());
        const quint8 bytes[] = {0x05, 0x41};
        QVERIFY(port.Write(bytes, 2));
        QCOMPARE(peer.Read(2), QByteArray("\x05\x41"));

        QElapsedTimer timer;
        timer.start();
        port.Close();
        QVERIFY(timer.elapsed() >= CRsPort::CLOSE_DELAY_MS);
        QCOMPARE(port.m_nPortNo, 0);
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.Write(bytes, 2));

        // Closing a closed port returns at once.
        timer.restart();
        port.Close();
        QVERIFY(timer.elapsed() < CRsPort::CLOSE_DELAY_MS);
    }

    void readAndWaitOnOpenPort() {
        CPtyPeer peer;
        CSerialPortTable::SetExplicitPorts({peer.SlavePath()});
        CRsPort port;
        QVERIFY(port.Open(1));
        QCOMPARE(port.WaitForReadyRead(0), CRsPort::WaitResult::Timeout);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(port.WaitForReadyRead(100), CRsPort::WaitResult::Timeout);
        QVERIFY(timer.elapsed() >= 99);
        QVERIFY(peer.Write("xyz"));
        QCOMPARE(port.WaitForReadyRead(CRsPort::WAIT_MS), CRsPort::WaitResult::Ready);
        quint8 c = 0;
        QCOMPARE(port.Read(&c, 1), 1);
        QCOMPARE(c, quint8('x'));
        QTRY_VERIFY(port.WaitForReadyRead(0) == CRsPort::WaitResult::Ready &&
                    port.BytesAvailable() == 2);
        QCOMPARE(port.Discard(), 2);
        QCOMPARE(port.BytesAvailable(), 0);
    }

    void enumListsPresentAndHeldPorts() {
        CPtyPeer free;
        CPtyPeer held;
        QVERIFY(free.IsValid() && held.IsValid());
        CSerialPortTable::SetExplicitPorts(
            {"/dev/vzr-missing", free.SlavePath(), held.SlavePath(), "/dev/null"});

        // Another user of the line holds it locked.
        QSerialPort other;
        other.setPortName(held.SlavePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        QSerialPort second;
        second.setPortName(held.SlavePath());
        QVERIFY(!second.open(QIODevice::ReadWrite));

        CRsPort port;
        quint8 list[CRsPort::ENUM_LIST_SIZE];
        std::fill(std::begin(list), std::end(list), quint8(0xEE));
        QCOMPARE(port.EnumPorts(list), 2);
        QCOMPARE(list[0], quint8(2));
        QCOMPARE(list[1], quint8(3));
        QCOMPARE(list[2], quint8(0));
        QCOMPARE(list[127], quint8(0));
        // It is listed, but we cannot have it.
        QVERIFY(!port.Open(3));
    }

    void enumNeverProbesPort128() {
        std::vector<std::unique_ptr<CPtyPeer>> peers;
        QStringList paths;
        for (int i = 0; i < CRsPort::MAX_PORT_NO; ++i) {
            peers.push_back(std::make_unique<CPtyPeer>());
            QVERIFY(peers.back()->IsValid());
            paths << peers.back()->SlavePath();
        }
        CSerialPortTable::SetExplicitPorts(paths);
        CRsPort port;
        quint8 list[CRsPort::ENUM_LIST_SIZE];
        QCOMPARE(port.EnumPorts(list), 127);
        for (int i = 0; i < 127; ++i)
            QCOMPARE(int(list[i]), i + 1);
        QCOMPARE(list[127], quint8(0));
        // Port 128 itself can still be opened by number.
        QVERIFY(port.Open(128));
        QCOMPARE(port.m_nPortNo, 128);
    }
};

QTEST_GUILESS_MAIN(TestRsPort)
#include "tst_RsPort.moc"
