// Wall time of the run sequencer's polls against the simulated instrument with the line
// paced at 9600 baud: a CONTACT tick's four exchanges, an AIR tick's three, an idle poll,
// and START's twelve (the same twelve as a step change). The poll period is 250 ms; what
// a tick takes of it is the dialog's unresponsive time. Prints its figures; not a test.
#include "CVzrT8100Sim.h"

#include "execution/CRunSequencer.h"
#include "execution/CRunSession.h"
#include "link/CSerialPortTable.h"
#include "link/CVzrT8100Cntl.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int ROUNDS = 40;

// A face that shows nothing and arms nothing: the benchmark calls the ticks itself.
class CSilentFace : public CRunSequencer::Owner {
public:
    void ArmTimer(int) override {}
    void KillTimer(int) override {}
    void ApplyRunState(bool) override {}
    void ShowTrigLabel(CRunSequencer::TrigLabel) override {}
    void ShowProgress(CRunSequencer::ProgressField, const QString&) override {}
    void ShowMessage(const QString& text) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    bool AskJudgement(qint32&, QString&) override { return true; }
    void UpdateStepRow(int) override {}
    void ShowStepRow(int) override {}
    void ShowJudgeControls() override {}
    void FocusStop() override {}
    bool ConfirmTestPoint(int, const QString&) override { return true; }
};

struct Stats {
    std::vector<double> ms;
    void Print(const char* name, int exchanges) {
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        std::printf("%-30s %2d exchanges  min %6.1f  median %6.1f  max %6.1f ms"
                    "   %5.1f%% of the 250 ms period\n",
                    name, exchanges, ms.front(), median, ms.back(), 100.0 * median / 250.0);
    }
};

template <typename F> double TimeMs(F f) {
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("VZR_T8100_SYSTEM_PORTS", "0");
    QCoreApplication app(argc, argv);
    CVzrT8100Sim sim;
    if (!sim.Start()) {
        std::fprintf(stderr, "bench_runtick: no pseudo-terminal\n");
        return 1;
    }
    sim.SetLinePacing(true);
    CSerialPortTable::SetExplicitPorts({sim.PortPath()});
    CVzrT8100Cntl cntl;
    if (!cntl.IsConnected()) {
        std::fprintf(stderr, "bench_runtick: the simulator was not found\n");
        return 1;
    }
    CTestProperty property;
    CExecList steps;
    for (qint32 mode : {DISC_CONTACT, DISC_AIR}) {
        auto step = std::make_unique<CExecData>();
        step->m_nDiscMode = mode;
        step->m_nTrig = TRIG_GUN; // waits for a press that never comes: the step runs on
        step->m_lInterval = 1000;
        step->m_lCount = 10;
        steps.push_back(std::move(step));
    }
    CSilentFace face;
    CRunSession session(cntl, property, &steps, face);
    CRunSequencer& seq = session.Sequencer();
    seq.Open();
    seq.StartPolling();

    Stats idle;
    for (int i = 0; i < ROUNDS; ++i)
        idle.ms.push_back(TimeMs([&] { seq.OnTimer(CRunSequencer::TIMER_IDLE); }));

    Stats start[2];
    Stats tick[2];
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < ROUNDS; ++i) {
            start[row].ms.push_back(TimeMs([&] { seq.OnStart(row); }));
            for (int k = 0; k < 3; ++k)
                tick[row].ms.push_back(TimeMs([&] { seq.OnTimer(seq.ArmedTimer()); }));
            seq.OnStop();
        }
    }

    std::printf("line paced at 9600 baud (about 1.04 ms a byte each way), %d rounds\n", ROUNDS);
    idle.Print("idle poll (QD)", 1);
    tick[0].Print("CONTACT run tick", 4);
    tick[1].Print("AIR run tick", 3);
    start[0].Print("START, CONTACT step", 12);
    start[1].Print("START, AIR step", 12);
    seq.Close();
    return 0;
}
