#pragma once

#include <QString>

class QTextStream;

// "vzr-t8100 --dump FILE": the plan and the run list of a data file as the two lists
// show them, tab-separated, one row a line; between them the plan's test points, numbered,
// when it has any (the run list then shows each step's point).
class CDataFileDump {
public:
    // 0 when the file was read; 1 after printing the refusal on err.
    static int Run(const QString& path, QTextStream& out, QTextStream& err);
};
