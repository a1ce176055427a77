#pragma once

#include <QString>

class QTextStream;

// "vzr-t8100 --report FILE [--results RECORD] [--out PATH] [--pdf PATH]": the report of a
// data file, as a workbook (without --pdf, or with --out) and as a PDF (--pdf).
// Without a record: as the file stands before any run (the settings of the settings file,
// no test time, every step unjudged). With a run record of the file's run list: the
// judgements and comments as the run last set them, and the settings and test time the
// run had, so the reports are the ones the execution dialog would have written. Writes them
// and prints their paths, the workbook first; opens nothing and searches no ports. The PDF
// shows the data file's test points.
class CReportCommand {
public:
    // 0 when the reports were written; 1 after printing why one was not (a refused data
    // file or record, a record of another run list, a folder that takes no file, a failed
    // write: that file is not left behind); 3 when they were written from a record not read
    // to its end (a torn or damaged line), after naming the last line read on err.
    static int Run(const QString& dataFile, const QString& outputPath, QTextStream& out,
                   QTextStream& err, const QString& resultsRecord = QString(),
                   const QString& pdfPath = QString());
};
