#include "CVzrT8100Sim.h"
#include "commands/CCommandLine.h"
#include "commands/CCommandModes.h"
#include "link/CSerialPortTable.h"
#include "settings/CLanguage.h"
#include "shell/CVzrT8100App.h"

#include <QCoreApplication>
#include <QTextStream>
#include <memory>

namespace {

QStringList rawArguments(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

// The simulated instrument in this process, its terminal searched first; null when it
// cannot be started. Under --run nobody is at the bench to pull the gun: it fires by itself.
std::unique_ptr<CVzrT8100Sim> startSimulator(const CCommandLine& cmd, int& argc, char** argv) {
    auto sim = std::make_unique<CVzrT8100Sim>();
    if (!sim->Start()) {
        const QCoreApplication app(argc, argv);
        const CLanguage language(cmd.Language());
        QTextStream(stderr) << QCoreApplication::translate("main", "模擬器を起動できませんでした。")
                            << "\n";
        return nullptr;
    }
    // steps with the trigger source VZR or EXTERNAL discharge by themselves, and the line
    // takes its real time, so the program feels as with the instrument
    sim->SetAutoTrigger(true);
    sim->SetAutoGun(cmd.m_nMode == CCommandLine::MODE_RUN);
    sim->SetLinePacing(true);
    CSerialPortTable::PrependPort(sim->PortPath());
    return sim;
}

int runWindows(int& argc, char** argv, const CCommandLine& cmd) {
    int result = 0;
    CVzrT8100App app(argc, argv, cmd.Language());
    app.SetUnattended(CVzrT8100App::IsHeadlessPlatform());
    if (app.StartUp(cmd.m_listDocuments))
        result = app.exec();
    const int shutDown = app.ShutDown();
    return result != 0 ? result : shutDown;
}

} // namespace

int main(int argc, char** argv) {
    CCommandLine cmd;
    cmd.Parse(rawArguments(argc, argv));
    const bool windowless = CCommandModes::IsWindowless(cmd.m_nMode);
    if (windowless && !CCommandModes::SearchesPorts(cmd.m_nMode))
        return CCommandModes::Run(cmd, argc, argv);

    // the port table is complete before the controller first searches it
    CSerialPortTable::SetExplicitPorts(cmd.m_listPorts);
    std::unique_ptr<CVzrT8100Sim> sim;
    if (cmd.m_bSimulate && !(sim = startSimulator(cmd, argc, argv)))
        return 1;
    if (windowless)
        return CCommandModes::Run(cmd, argc, argv);
    return runWindows(argc, argv, cmd);
}
