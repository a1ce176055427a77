#pragma once

#include <QString>

class QTextStream;

// "vzr-t8100 --send-sequence FILE": writes the data file's plan into the instrument's
// sequence memory as the plan view's button does, without asking, and prints the result.
// A plan with test points goes once, and the output says so.
class CSendSequenceCommand {
public:
    CSendSequenceCommand() = delete;

    // 0 when the plan was written; 1 when the file was refused, no instrument answered
    // the search or a write was refused.
    static int Run(const QString& dataFile, QTextStream& out, QTextStream& err);
};
