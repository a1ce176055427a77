// The port table and the serial port: numbering, listing, opening and closing.
#include "CPtyPeer.h"

#include "link/CRsPort.h"
#include "link/CSerialPortTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

// Times this thread gave up the processor of its own accord: slept or waited.
long VoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

const char* const kRootSkip =
    "root ignores file modes and exclusive opens: the _nobody entry runs this unprivileged";

// A lock file as another program leaves it, naming a process that is still running.
class ForeignLock {
public:
    explicit ForeignLock(const QString& device) {
        m_holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        if (!m_holder.waitForStarted())
            return;
        const QString folder = CPortProblem::LockFolder();
        if (folder.isEmpty())
            return;
        m_strPath = folder + QLatin1Char('/') + CPortProblem::LockName(device);
        QFile file(m_strPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_strPath.clear();
            return;
        }
        // the format the serial library itself writes: pid, program, host
        const QString program =
            QFileInfo(QStringLiteral("/proc/%1/exe").arg(m_holder.processId())).symLinkTarget();
        file.write(QStringLiteral("%1\n%2\n%3\n")
                       .arg(m_holder.processId())
                       .arg(QFileInfo(program).fileName(), QSysInfo::machineHostName())
                       .toUtf8());
    }
    ~ForeignLock() {
        if (!m_strPath.isEmpty())
            QFile::remove(m_strPath);
        m_holder.kill();
        m_holder.waitForFinished();
    }
    bool IsValid() const { return !m_strPath.isEmpty(); }
    QString Path() const { return m_strPath; }
    qint64 Pid() const { return m_holder.processId(); }

private:
    QProcess m_holder;
    QString m_strPath;
};

} // namespace

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

        QVERIFY(!port.Open(1)); // missing device
        QCOMPARE(port.GetPortNo(), 0);
        QVERIFY(!port.Open(3)); // outside the table
        QVERIFY(!port.Open(0));
        QVERIFY(!port.Open(200));
        QCOMPARE(port.GetPortNo(), 0);

        // the line as the instrument needs it: 9600 baud, 8N1, no flow control, raw bytes
        termios before{};
        QCOMPARE(::tcgetattr(peer.SlaveFd(), &before), 0);
        before.c_cflag |= PARENB | CSTOPB | CRTSCTS;
        before.c_iflag |= IXON | IXOFF;
        ::cfsetspeed(&before, B1200);
        QCOMPARE(::tcsetattr(peer.SlaveFd(), TCSANOW, &before), 0);
        QVERIFY(port.Open(2));
        QCOMPARE(port.GetPortNo(), 2);
        QVERIFY(port.IsOpen());
        termios line{};
        QCOMPARE(::tcgetattr(peer.SlaveFd(), &line), 0);
        QCOMPARE(::cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(::cfgetispeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));
        const quint8 bytes[] = {0x05, 0x41};
        QVERIFY(port.Write(bytes, 2));
        QCOMPARE(peer.Read(2), QByteArray("\x05\x41"));

        QElapsedTimer timer;
        timer.start();
        port.Close();
        QVERIFY(timer.elapsed() >= CRsPort::CLOSE_DELAY_MS);
        QCOMPARE(port.GetPortNo(), 0);
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.Write(bytes, 2));

        // Closing a closed port returns at once: it never sleeps.
        const long switches = VoluntarySwitches();
        port.Close();
        QCOMPARE(VoluntarySwitches(), switches);
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
        // It is listed, but we cannot have it, and why is kept.
        QCOMPARE(port.ProbeProblem(3).GetKind(), CPortProblem::PROBLEM_LOCKED);
        QVERIFY(!port.Open(3));
        QCOMPARE(port.LastOpenProblem().GetKind(), CPortProblem::PROBLEM_LOCKED);
        QVERIFY2(port.LastOpenProblem().GetText().startsWith("in use by this program"),
                 qPrintable(port.LastOpenProblem().GetText()));
        QVERIFY(!port.ProbeProblem(2).IsProblem());
    }

    void systemPortsInNaturalOrder() {
        const QStringList system = {"/dev/ttyUSB10", "/dev/ttyS10",  "/dev/ttyS2", "/dev/ttyUSB1",
                                    "/dev/ttyUSB0",  "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"};
        QCOMPARE(CSerialPortTable::Build({}, system),
                 QStringList({"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2",
                              "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB10"}));
        // named ports come first, in the order given, and are not listed again
        QCOMPARE(CSerialPortTable::Build({"/dev/ttyUSB1", "/dev/ttyS10"}, system).mid(0, 4),
                 QStringList({"/dev/ttyUSB1", "/dev/ttyS10", "/dev/ttyACM0", "/dev/ttyS0"}));
        QCOMPARE(CSerialPortTable::Build({"/dev/ttyUSB1"}, system).count("/dev/ttyUSB1"), 1);
    }

    void linkAndItsDeviceListedOnce() {
        CPtyPeer peer;
        QVERIFY(peer.IsValid());
        QTemporaryDir dir;
        const QString link = dir.filePath("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
        QVERIFY(QFile::link(peer.SlavePath(), link));
        // the operator names the stable link; the system lists the device it points to
        QCOMPARE(CSerialPortTable::Build({link}, {peer.SlavePath(), "/dev/ttyS0"}),
                 QStringList({link, "/dev/ttyS0"}));
        QCOMPARE(CSerialPortTable::Build({peer.SlavePath(), link}, {}),
                 QStringList({peer.SlavePath()}));
        CSerialPortTable::SetExplicitPorts({link});
        qputenv("VZR_T8100_PORTS", peer.SlavePath().toLocal8Bit());
        QCOMPARE(CSerialPortTable::Ports(), QStringList({link}));
        // and the link is a port like any other
        CRsPort port;
        QVERIFY(port.Open(1));
        QCOMPARE(port.PortPath(), link);
        const quint8 enq = 0x05;
        QVERIFY(port.Write(&enq, 1));
        QCOMPARE(peer.Read(1), QByteArray("\x05"));
    }

    void numbersStayWithTheListing() {
        CPtyPeer a, b, c;
        QVERIFY(a.IsValid() && b.IsValid() && c.IsValid());
        CSerialPortTable::SetExplicitPorts({a.SlavePath(), b.SlavePath()});
        CRsPort port;
        quint8 list[CRsPort::ENUM_LIST_SIZE];
        QCOMPARE(port.EnumPorts(list), 2);
        // a device turns up in front while the search goes on
        CSerialPortTable::SetExplicitPorts({c.SlavePath(), a.SlavePath(), b.SlavePath()});
        QCOMPARE(CSerialPortTable::DevicePath(2), a.SlavePath());
        QVERIFY(port.Open(2));
        QCOMPARE(port.PortPath(), b.SlavePath());
        QCOMPARE(port.GetPortNo(), 2);
        QVERIFY(!port.Open(3)); // not in the listing the search works from
        // the next listing sees the new table
        QCOMPARE(port.EnumPorts(list), 3);
        QVERIFY(port.Open(2));
        QCOMPARE(port.PortPath(), a.SlavePath());
    }

    void openProblemsToldApart() {
        CPtyPeer free, ours, theirs;
        QVERIFY(free.IsValid() && ours.IsValid() && theirs.IsValid());
        QSerialPort holder; // this program holds one
        holder.setPortName(ours.SlavePath());
        QVERIFY(holder.open(QIODevice::ReadWrite));
        ForeignLock lock(theirs.SlavePath()); // another program's lock file holds one
        QVERIFY2(lock.IsValid(), "no lock folder to write to");
        CSerialPortTable::SetExplicitPorts(
            {"/dev/vzr-missing", ours.SlavePath(), theirs.SlavePath(), free.SlavePath()});

        CRsPort port;
        quint8 list[CRsPort::ENUM_LIST_SIZE];
        QCOMPARE(port.EnumPorts(list), 3);
        QCOMPARE(QList<int>({list[0], list[1], list[2]}), QList<int>({2, 3, 4}));
        QCOMPARE(port.ProbeProblem(1).GetKind(), CPortProblem::PROBLEM_NOT_FOUND);
        QCOMPARE(port.ProbeProblem(1).GetText(), QString("no such device"));

        QVERIFY(!port.Open(3));
        const CPortProblem problem = port.LastOpenProblem();
        QCOMPARE(problem.GetKind(), CPortProblem::PROBLEM_LOCKED);
        QCOMPARE(problem.GetText(), QString("in use by another program (process %1, lock file %2)")
                                        .arg(lock.Pid())
                                        .arg(lock.Path()));
        QVERIFY(!port.Open(2));
        QCOMPARE(port.LastOpenProblem().GetKind(), CPortProblem::PROBLEM_LOCKED);
        QVERIFY(port.Open(4));
        QVERIFY(!port.LastOpenProblem().IsProblem());
    }

    void problemsOnlyAnUnprivilegedUserMeets() {
        if (geteuid() == 0)
            QSKIP(kRootSkip);
        CPtyPeer denied, exclusive;
        QVERIFY(denied.IsValid() && exclusive.IsValid());
        // not in the device's group
        QCOMPARE(::chmod(QFile::encodeName(denied.SlavePath()).constData(), 0), 0);
        // another program opened it exclusively, without a lock file
        const int fd = ::open(QFile::encodeName(exclusive.SlavePath()).constData(),
                              O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QCOMPARE(::ioctl(fd, TIOCEXCL), 0);
        CSerialPortTable::SetExplicitPorts({denied.SlavePath(), exclusive.SlavePath()});

        CRsPort port;
        quint8 list[CRsPort::ENUM_LIST_SIZE];
        // both exist, so both are listed
        QCOMPARE(port.EnumPorts(list), 2);
        QVERIFY(!port.Open(1));
        QCOMPARE(port.LastOpenProblem().GetKind(), CPortProblem::PROBLEM_PERMISSION);
        QVERIFY2(port.LastOpenProblem().GetText().startsWith("permission denied: "),
                 qPrintable(port.LastOpenProblem().GetText()));
        QVERIFY(port.LastOpenProblem().GetText().contains("mode 0000"));
        QVERIFY(!port.Open(2));
        QCOMPARE(port.LastOpenProblem().GetKind(), CPortProblem::PROBLEM_BUSY);
        QCOMPARE(port.LastOpenProblem().GetText(), QString("busy: another program has it open"));
        // the other program lets go (the exclusive mark stays with the line until cleared)
        QCOMPARE(::ioctl(fd, TIOCNXCL), 0);
        ::close(fd);
        QVERIFY(port.Open(2));
    }

    void permissionAdvice_data() {
        QTest::addColumn<unsigned>("mode");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("inGroup");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("text");
        QTest::newRow("not in dialout") << 0660u << "dialout" << false << false
                                        << "permission denied: add the user to the dialout group";
        QTest::newRow("uucp elsewhere") << 0660u << "uucp" << false << false
                                        << "permission denied: add the user to the uucp group";
        QTest::newRow("added, session older")
            << 0660u << "dialout" << false << true
            << "permission denied: the user is in the dialout group, but this session started "
               "before: log out and in again";
        QTest::newRow("owner only")
            << 0600u << "dialout" << false << false
            << "permission denied: the device (mode 0600, owner root, group dialout) gives this "
               "user no read and write access";
        QTest::newRow("root's group")
            << 0660u << "root" << false << false
            << "permission denied: the device (mode 0660, owner root, group root) gives this "
               "user no read and write access";
    }
    void permissionAdvice() {
        QFETCH(unsigned, mode);
        QFETCH(QString, group);
        QFETCH(bool, inGroup);
        QFETCH(bool, listed);
        QFETCH(QString, text);
        CPortProblem::Access access;
        access.mode = S_IFCHR | mode;
        access.strOwner = "root";
        access.strGroup = group;
        access.bInGroup = inGroup;
        access.bListedInGroup = listed;
        QCOMPARE(CPortProblem::PermissionText(access), text);
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
        QCOMPARE(port.GetPortNo(), 128);
    }
};

QTEST_GUILESS_MAIN(TestRsPort)
#include "tst_RsPort.moc"
