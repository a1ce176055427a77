#include "CCommandModes.h"

#include "commands/CDataFileDump.h"
#include "commands/CIdentifyCommand.h"
#include "commands/CReportCommand.h"
#include "commands/CRunCommand.h"
#include "commands/CRunsCommand.h"
#include "commands/CSendSequenceCommand.h"
#include "settings/CLanguage.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

bool CCommandModes::IsWindowless(CCommandLine::Mode mode) {
    return mode != CCommandLine::MODE_GUI;
}

bool CCommandModes::SearchesPorts(CCommandLine::Mode mode) {
    return mode == CCommandLine::MODE_IDENTIFY || mode == CCommandLine::MODE_SEND_SEQUENCE ||
           mode == CCommandLine::MODE_RUN;
}

bool CCommandModes::Paints(const CCommandLine& cmd) {
    return !cmd.m_strPdfOut.isEmpty();
}

std::unique_ptr<QCoreApplication> CCommandModes::MakeApplication(const CCommandLine& cmd, int& argc,
                                                                 char** argv) {
    if (!Paints(cmd))
        return std::make_unique<QCoreApplication>(argc, argv);
    // a report painted without a window needs no display, and none that may be missing or
    // unreachable: the offscreen platform, unless the caller chose one
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int CCommandModes::Run(const CCommandLine& cmd, int& argc, char** argv) {
    // a PDF is painted: a QGuiApplication, without a display
    const std::unique_ptr<QCoreApplication> app = MakeApplication(cmd, argc, argv);
    const CLanguage language(cmd.Language());
    switch (cmd.m_nMode) {
    case CCommandLine::MODE_HELP:
        QTextStream(stdout) << CCommandLine::Usage();
        return 0;
    case CCommandLine::MODE_VERSION:
        // the version the About box shows and the package carries
        QTextStream(stdout) << "VZR-T8100 " << CTestProperty::GetVersionText() << "\n";
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
                                   cmd.m_strResultsRecord, cmd.m_strPdfOut);
    case CCommandLine::MODE_RUNS:
        return CRunsCommand::Run(cmd.m_strRunsFile, out, err);
    case CCommandLine::MODE_SEND_SEQUENCE:
        return CSendSequenceCommand::Run(cmd.m_strSequenceFile, out, err);
    case CCommandLine::MODE_RUN: {
        CRunCommand::Options options;
        options.strDataFile = cmd.m_strRunFile;
        options.strReportOut = cmd.m_strReportOut;
        options.strPdfOut = cmd.m_strPdfOut;
        options.strResultsCsv = cmd.m_strResultsCsv;
        options.bQuiet = cmd.m_bQuiet;
        return CRunCommand::Run(options, out, err);
    }
    default:
        return 2; // the windows' mode is not run here
    }
}
