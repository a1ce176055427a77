#pragma once

#include "commands/CCommandLine.h"

#include <memory>

class QCoreApplication;

// The modes of the command line that open no window: the help, a refused command line,
// --dump, --report, --runs, --identify, --send-sequence and --run.
class CCommandModes {
public:
    CCommandModes() = delete;

    // Whether the mode runs here rather than in the windows.
    static bool IsWindowless(CCommandLine::Mode mode);
    // Whether the mode searches the port table, which must be complete before it runs
    // (--port, the simulator).
    static bool SearchesPorts(CCommandLine::Mode mode);

    // Whether the mode paints (a PDF report), which takes a QGuiApplication.
    static bool Paints(const CCommandLine& cmd);
    // The application object a windowless mode runs in: a QGuiApplication on the offscreen
    // platform (unless QT_QPA_PLATFORM names another) for a mode that paints, else a
    // QCoreApplication.
    static std::unique_ptr<QCoreApplication> MakeApplication(const CCommandLine& cmd, int& argc,
                                                             char** argv);

    // Runs a windowless mode and gives the program's exit code.
    static int Run(const CCommandLine& cmd, int& argc, char** argv);
};
