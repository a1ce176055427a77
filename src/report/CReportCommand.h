#pragma once

#include <QString>

class QTextStream;

// "vzr-t8100 --report FILE [--out PATH]": the report of a data file as it stands, before
// any run: the settings of the settings file, no test time, every step unjudged. Writes
// the workbook and prints its path; opens nothing and searches no ports.
class CReportCommand {
public:
    // 0 when the workbook was written; 1 after printing why it was not (a refused data
    // file, a folder that takes no file, a failed write: nothing is left behind).
    static int Run(const QString& dataFile, const QString& outputPath, QTextStream& out,
                   QTextStream& err);
};
