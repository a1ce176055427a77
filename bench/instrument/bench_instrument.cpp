// Throughput and CPU cost of the instrument link against the simulated instrument.
// Prints its figures; it is not a test.
#include "CVzrT8100Sim.h"

#include "link/CRsBasicProtocol.h"
#include "link/CSerialPortTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

// CPU time of the calling thread only: the simulator serves on a thread of its own.
double ThreadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0) +
           (double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0);
}

struct Figures {
    int done = 0;
    double wallMs = 0;
    double cpuMs = 0;
};

template <typename Exchange> Figures Measure(int count, Exchange exchange) {
    Figures f;
    QElapsedTimer timer;
    const double cpu0 = ThreadCpuMs();
    timer.start();
    for (int i = 0; i < count; ++i)
        f.done += exchange() ? 1 : 0;
    f.wallMs = double(timer.nsecsElapsed()) / 1e6;
    f.cpuMs = ThreadCpuMs() - cpu0;
    return f;
}

void Print(const char* name, int count, const Figures& f) {
    std::printf("%-28s %5d/%-5d ok  %8.1f exchanges/s  %8.3f ms wall  %8.3f ms CPU per exchange\n",
                name, f.done, count, 1000.0 * count / f.wallMs, f.wallMs / count, f.cpuMs / count);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qputenv("VZR_T8100_SYSTEM_PORTS", "0");

    CVzrT8100Sim sim;
    if (!sim.Start()) {
        std::fprintf(stderr, "bench_instrument: the simulator did not start\n");
        return 1;
    }
    CSerialPortTable::SetExplicitPorts({sim.PortPath()});
    CRsBasicProtocol proto;
    if (!proto.GetPort().Open(1)) {
        std::fprintf(stderr, "bench_instrument: cannot open %s\n", qPrintable(sim.PortPath()));
        return 1;
    }

    const int count = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 500;
    Print("command CC", count, Measure(count, [&] { return proto.SendCommand("CC"); }));
    Print("query QD", count, Measure(count, [&] { return proto.SendQuery("QD"); }));
    Print("query QA (long reply)", count, Measure(count, [&] { return proto.SendQuery("QA"); }));

    // An unanswered exchange: ENQ goes out and the wait for ACK runs out.
    sim.SetSilent(true);
    const int silentCount = 4;
    const Figures silent = Measure(silentCount, [&] { return proto.SendCommand("CA"); });
    const double wallPer = silent.wallMs / silentCount;
    const double cpuPer = silent.cpuMs / silentCount;
    std::printf("silent peer: %d/%d failed as they should, %.1f ms wall, %.3f ms CPU each = "
                "%.3f %% of the %d ms wait (target under 2 %%)\n",
                silentCount - silent.done, silentCount, wallPer, cpuPer,
                100.0 * cpuPer / CRsPort::WAIT_MS, CRsPort::WAIT_MS);

    sim.Stop();
    return silent.done == 0 ? 0 : 1;
}
