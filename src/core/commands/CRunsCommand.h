#pragma once

#include <QDateTime>
#include <QString>

class QTextStream;

// "vzr-t8100 --runs FILE": the run records of a data file, oldest first, one line each
// (tab-separated, with a heading line): start, end (marked " (中断)" for a run that never
// closed, " (記録破損: N 行目まで)" for a record not read to its end), steps judged, the
// instrument's errors, whether the record is of the file's run list as it stands (so
// --report --results takes it), and the record's path. Searches no ports and opens no
// window.
class CRunsCommand {
public:
    // 0 when the records were listed (none included); 1 when the data file was refused.
    static int Run(const QString& dataFile, QTextStream& out, QTextStream& err);

    // "2026/12/08 10:00:01" of a record's times.
    static QString TimeText(const QDateTime& time);
};
