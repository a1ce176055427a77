#pragma once

#include "commands/CCommandLine.h"

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

    // Runs a windowless mode and gives the program's exit code.
    static int Run(const CCommandLine& cmd, int& argc, char** argv);
};
