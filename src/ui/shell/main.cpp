#include "CVzrT8100Sim.h"
#include "commands/CCommandLine.h"
#include "commands/CDataFileDump.h"
#include "commands/CReportCommand.h"
#include "commands/CRunsCommand.h"
#include "data/CVzrT8100Doc.h"
#include "link/CSequenceTransfer.h"
#include "link/CSerialPortTable.h"
#include "link/CVzrT8100Cntl.h"
#include "shell/CVzrT8100App.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace {

QStringList rawArguments(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

int identify(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CVzrT8100Cntl cntl; // searches the port table
    if (!cntl.IsConnected()) {
        // the ports that could not even be opened, and why
        for (const QString& line : cntl.PortProblems())
            err << line << Qt::endl;
        err << QCoreApplication::translate("main",
                                           "VZR-T8100が見つかりませんでした。"
                                           "電源や通信ケーブルの接続状態を確認してください。")
            << Qt::endl;
        return 1;
    }
    QString reply;
    const bool identified = cntl.Identify(reply);
    out << QCoreApplication::translate("main", "ポート: %1")
               .arg(cntl.GetProtocol().GetPort().PortPath())
        << Qt::endl;
    out << QCoreApplication::translate("main", "応答: %1").arg(reply) << Qt::endl;
    if (!identified) {
        err << QCoreApplication::translate("main", "VZR-T8100が応答しなくなりました。") << Qt::endl;
        return 1;
    }
    return 0;
}

int dump(int argc, char** argv, const QString& path) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int result = CDataFileDump::Run(path, out, err);
    out.flush();
    err.flush();
    return result;
}

int report(int argc, char** argv, const CCommandLine& cmd) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return CReportCommand::Run(cmd.m_strReportFile, cmd.m_strReportOut, out, err,
                               cmd.m_strResultsRecord);
}

int runs(int argc, char** argv, const QString& path) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return CRunsCommand::Run(path, out, err);
}

// Writes a data file's plan into the instrument's sequence memory, as the plan view's
// button does, without asking.
int sendSequence(int argc, char** argv, const QString& path) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CVzrT8100Doc doc;
    QString error;
    if (!doc.OpenFile(path, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    CVzrT8100Cntl cntl; // searches the port table
    if (!cntl.IsConnected())
        err << QCoreApplication::translate("main",
                                           "VZR-T8100が見つかりませんでした。"
                                           "電源や通信ケーブルの接続状態を確認してください。")
            << Qt::endl;
    const bool sent = cntl.IsConnected() && CSequenceTransfer::Send(cntl, doc.GetSettingList());
    out << CSequenceTransfer::ResultText(sent) << Qt::endl;
    return sent ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    CCommandLine cmd;
    cmd.Parse(rawArguments(argc, argv));
    switch (cmd.m_nMode) {
    case CCommandLine::MODE_HELP: {
        QTextStream(stdout) << CCommandLine::Usage();
        return 0;
    }
    case CCommandLine::MODE_ERROR: {
        QTextStream err(stderr);
        err << cmd.m_strError << "\n"
            << QCoreApplication::translate("main", "使い方は --help で表示されます。") << "\n";
        return 2;
    }
    case CCommandLine::MODE_DUMP:
        return dump(argc, argv, cmd.m_strDumpFile);
    case CCommandLine::MODE_REPORT:
        return report(argc, argv, cmd);
    case CCommandLine::MODE_RUNS:
        return runs(argc, argv, cmd.m_strRunsFile);
    default:
        break;
    }

    // the port table is complete before the controller first searches it
    CSerialPortTable::SetExplicitPorts(cmd.m_listPorts);
    std::unique_ptr<CVzrT8100Sim> sim;
    if (cmd.m_bSimulate) {
        sim = std::make_unique<CVzrT8100Sim>();
        if (!sim->Start()) {
            QTextStream(stderr) << QCoreApplication::translate("main",
                                                               "模擬器を起動できませんでした。")
                                << "\n";
            return 1;
        }
        // steps with the trigger source VZR or EXTERNAL discharge by themselves, and the
        // line takes its real time, so the program feels as with the instrument
        sim->SetAutoTrigger(true);
        sim->SetLinePacing(true);
        CSerialPortTable::PrependPort(sim->PortPath());
    }

    if (cmd.m_nMode == CCommandLine::MODE_IDENTIFY)
        return identify(argc, argv);
    if (cmd.m_nMode == CCommandLine::MODE_SEND_SEQUENCE)
        return sendSequence(argc, argv, cmd.m_strSequenceFile);

    int result = 0;
    {
        CVzrT8100App app(argc, argv);
        app.SetUnattended(CVzrT8100App::IsHeadlessPlatform());
        if (app.StartUp(cmd.m_listDocuments))
            result = app.exec();
        const int shutDown = app.ShutDown();
        if (result == 0)
            result = shutDown;
    }
    return result;
}
