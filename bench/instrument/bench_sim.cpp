// The simulator as the program keeps it under --simulate: alive for the whole run, polled
// the way the run dialog polls. Prints the resident memory over many exchanges and how often
// the simulator's thread wakes up. It is not a test.
//
// usage: bench_sim [EXCHANGES] [--unbounded]   (default 100000; --unbounded keeps every
// logged text, for comparison with the ring)
#include "CVzrT8100Sim.h"

#include "link/CRsBasicProtocol.h"
#include "link/CSerialPortTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <limits>

namespace {

// Resident set size of this process in KiB, from /proc.
long RssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Wake-ups of the simulator's thread while nothing happens on the line for ms.
qint64 WakeupsOver(const CVzrT8100Sim& sim, int ms) {
    const qint64 before = sim.WakeCount();
    QThread::msleep(static_cast<unsigned long>(ms));
    return sim.WakeCount() - before;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qputenv("VZR_T8100_SYSTEM_PORTS", "0");
    const int total = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 100000;
    const bool unbounded = argc > 2 && QByteArray(argv[2]) == "--unbounded";

    CVzrT8100Sim sim;
    if (unbounded)
        sim.SetLogCapacity(std::numeric_limits<int>::max());
    if (!sim.Start()) {
        std::fprintf(stderr, "bench_sim: the simulator did not start\n");
        return 1;
    }
    CSerialPortTable::SetExplicitPorts({sim.PortPath()});
    CRsBasicProtocol proto;
    if (!proto.GetPort().Open(1)) {
        std::fprintf(stderr, "bench_sim: cannot open %s\n", qPrintable(sim.PortPath()));
        return 1;
    }

    // idle, and with a series pending (three discharges a second apart), no traffic
    const qint64 idle = WakeupsOver(sim, 2000);
    for (const char* text : {"CB", "PH0", "PK100", "PJ3", "CA", "CC"})
        proto.SendCommand(QString::fromLatin1(text));
    const qint64 series = WakeupsOver(sim, 2000);
    std::printf("simulator wake-ups with no traffic: idle %lld in 2 s, series pending %lld in 2 s "
                "(a 2 ms beat would be 1000)\n",
                static_cast<long long>(idle), static_cast<long long>(series));

    // A long AIR step whose discharges keep coming while the computer polls, as in a run.
    sim.SetTimeScale(0.01);
    for (const char* text : {"CB", "PH1", "PK100", "PJ60000", "CA", "CC"})
        proto.SendCommand(QString::fromLatin1(text));

    const char* const polls[] = {"QD", "QE", "QJ", "QF"};
    int failed = 0;
    const qint64 wakeStart = sim.WakeCount();
    QElapsedTimer timer;
    timer.start();
    std::printf("%10s %10s %12s %10s\n", "exchanges", "RSS KiB", "log entries", "s");
    for (int i = 1; i <= total; ++i) {
        if (!proto.SendQuery(QString::fromLatin1(polls[i % 4])))
            ++failed;
        if (i == 1 || i % (total / 10 > 0 ? total / 10 : 1) == 0 || i == total)
            std::printf("%10d %10ld %12lld %10.1f\n", i, RssKiB(),
                        static_cast<long long>(sim.CommandLog().size()),
                        double(timer.elapsed()) / 1000.0);
    }
    const qint64 wakes = sim.WakeCount() - wakeStart;
    std::printf("%d of %d exchanges failed; %lld texts logged, %d kept; %.2f simulator wake-ups "
                "per exchange\n",
                failed, total, static_cast<long long>(sim.LoggedCount()),
                int(sim.CommandLog().size()), double(wakes) / total);
    sim.Stop();
    return failed == 0 ? 0 : 1;
}
