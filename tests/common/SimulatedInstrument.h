#pragma once
// The simulated instrument as the run tests and the tests of the whole program use it.
#include "CVzrT8100Sim.h"
#include "link/CSerialPortTable.h"
#include "settings/CLanguage.h"

#include <QTest>

#include <cstdio>

namespace simulated {

// Discharge intervals run at a quarter of their time: a step of two 1 s discharges takes
// half a second, a whole plan a few seconds.
constexpr double TIME_SCALE = 0.25;

// Starts sim as the only port the program finds; for runs (forRuns) at the instrument's own
// line speed, at TIME_SCALE, triggering by itself 100 ms after a start for the sources
// that do. False when the simulator did not start.
inline bool Start(CVzrT8100Sim& sim, bool forRuns) {
    if (!sim.Start()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return false;
    }
    if (forRuns) {
        sim.SetLinePacing(true);
        sim.SetTimeScale(TIME_SCALE);
        sim.SetAutoTrigger(true, 100);
    }
    CSerialPortTable::SetExplicitPorts({sim.PortPath()});
    return true;
}

// main() of a test of the whole application: the simulated instrument, the application
// object (which finds it as it is made) in the language given, the test, the shut-down. sim points
// at the instrument while the test runs.
template <class App, class Test>
int RunWithApplication(int argc, char** argv, bool forRuns, CVzrT8100Sim** sim = nullptr,
                       CLanguage::Language language = CLanguage::JAPANESE) {
    CVzrT8100Sim instrument;
    if (!Start(instrument, forRuns))
        return 1;
    if (sim)
        *sim = &instrument;
    int result = 0;
    {
        App app(argc, argv, language);
        Test test;
        result = QTest::qExec(&test, argc, argv);
        app.ShutDown();
    }
    if (sim)
        *sim = nullptr;
    return result;
}

} // namespace simulated
