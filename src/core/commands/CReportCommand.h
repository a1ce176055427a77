#pragma once

#include <QString>

class QTextStream;

// "vzr-t8100 --report FILE [--results RECORD] [--out PATH]": the report of a data file.
// Without a record: as the file stands before any run (the settings of the settings file,
// no test time, every step unjudged). With a run record of the file's run list: the
// judgements and comments as the run last set them, and the settings and test time the
// run had, so the workbook is the one the execution dialog would have written. Writes the
// workbook and prints its path; opens nothing and searches no ports.
class CReportCommand {
public:
    // 0 when the workbook was written; 1 after printing why it was not (a refused data
    // file or record, a record of another run list, a folder that takes no file, a failed
    // write: nothing is left behind); 3 when it was written from a record not read to its
    // end (a torn or damaged line), after naming the last line read on err.
    static int Run(const QString& dataFile, const QString& outputPath, QTextStream& out,
                   QTextStream& err, const QString& resultsRecord = QString());
};
