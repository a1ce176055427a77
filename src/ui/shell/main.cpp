#include "CVzrT8100Sim.h"
#include "commands/CCommandLine.h"
#include "commands/CCommandModes.h"
#include "link/CSerialPortTable.h"
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
// cannot be started. autoGun: nobody is at the bench to pull the gun (--run).
std::unique_ptr<CVzrT8100Sim> startSimulator(bool autoGun) {
    auto sim = std::make_unique<CVzrT8100Sim>();
    if (!sim->Start()) {
        QTextStream(stderr) << QCoreApplication::translate("main", "模擬器を起動できませんでした。")
                            << "\n";
        return nullptr;
    }
    // steps with the trigger source VZR or EXTERNAL discharge by themselves, and the line
    // takes its real time, so the program feels as with the instrument
    sim->SetAutoTrigger(true);
    sim->SetAutoGun(autoGun);
    sim->SetLinePacing(true);
    CSerialPortTable::PrependPort(sim->PortPath());
    return sim;
}

int runWindows(int& argc, char** argv, const QStringList& documents) {
    int result = 0;
    CVzrT8100App app(argc, argv);
    app.SetUnattended(CVzrT8100App::IsHeadlessPlatform());
    if (app.StartUp(documents))
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
    if (cmd.m_bSimulate && !(sim = startSimulator(cmd.m_nMode == CCommandLine::MODE_RUN)))
        return 1;
    if (windowless)
        return CCommandModes::Run(cmd, argc, argv);
    return runWindows(argc, argv, cmd.m_listDocuments);
}
