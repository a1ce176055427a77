#include "CCommandModes.h"

#include "commands/CDataFileDump.h"
#include "commands/CIdentifyCommand.h"
#include "commands/CReportCommand.h"
#include "commands/CRunsCommand.h"
#include "commands/CSendSequenceCommand.h"
#include "settings/CLanguage.h"

#include <QCoreApplication>
#include <QTextStream>

bool CCommandModes::IsWindowless(CCommandLine::Mode mode) {
    return mode != CCommandLine::MODE_GUI;
}

bool CCommandModes::SearchesPorts(CCommandLine::Mode mode) {
    return mode == CCommandLine::MODE_IDENTIFY || mode == CCommandLine::MODE_SEND_SEQUENCE;
}

int CCommandModes::Run(const CCommandLine& cmd, int& argc, char** argv) {
    QCoreApplication app(argc, argv);
    const CLanguage language(cmd.Language());
    switch (cmd.m_nMode) {
    case CCommandLine::MODE_HELP:
        QTextStream(stdout) << CCommandLine::Usage();
        return 0;
    case CCommandLine::MODE_ERROR: {
        // the fault was worded before its language was installed: read it again
        CCommandLine again;
        again.Parse(QCoreApplication::arguments());
        QTextStream(stderr) << again.m_strError << "\n"
                            << QCoreApplication::translate("CCommandModes",
                                                           "使い方は --help で表示されます。")
                            << "\n";
        return 2;
    }
    default:
        break;
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (cmd.m_nMode) {
    case CCommandLine::MODE_IDENTIFY:
        return CIdentifyCommand::Run(out, err);
    case CCommandLine::MODE_DUMP:
        return CDataFileDump::Run(cmd.m_strDumpFile, out, err);
    case CCommandLine::MODE_REPORT:
        return CReportCommand::Run(cmd.m_strReportFile, cmd.m_strReportOut, out, err,
                                   cmd.m_strResultsRecord);
    case CCommandLine::MODE_RUNS:
        return CRunsCommand::Run(cmd.m_strRunsFile, out, err);
    case CCommandLine::MODE_SEND_SEQUENCE:
        return CSendSequenceCommand::Run(cmd.m_strSequenceFile, out, err);
    default:
        return 2; // the windows' mode is not run here
    }
}
