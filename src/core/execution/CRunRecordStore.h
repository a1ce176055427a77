#pragma once

#include "data/CExecData.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class CRunRecordReader;

// Where the run records of a data file live: NAME.runs/ beside the data file, and, for a
// document whose folder took no file or that was never saved, NAME.runs/ in the reports
// folder.
class CRunRecordStore {
public:
    struct Entry {
        QString strPath;
        QDateTime tmStart; // from its header, at its offset from UTC; invalid when unread
    };

    // "NAME.runs": NAME is a data file's name without ".vzt", or a document's title.
    static QString FolderName(const QString& nameOrPath);
    // The folder beside a data file.
    static QString FolderBeside(const QString& dataFile);
    // The folder in the reports folder; empty when there is no reports folder.
    static QString FolderInReports(const QString& nameOrPath);

    // The records of a data file, oldest first (by the instant they began, whatever the
    // local time did in between): every record beside it, and those in the reports folder
    // whose header names it.
    static QList<Entry> RecordsOf(const QString& dataFile);
    // Whether a record's header names this data file.
    static bool NamesDataFile(const QString& recorded, const QString& dataFile);

    // The latest record of a data file whose run list is steps at testPoints (same steps,
    // same order, same values, same points), read into reader, when that run was interrupted
    // (the dialog never closed: a killed program, a power cut) with judgements or comments
    // no report has carried away. False otherwise: a run that ended normally or was
    // reported is never offered again, nor is any older one.
    static bool FindInterruptedRun(const QString& dataFile, const CExecList& steps,
                                   const QStringList& testPoints, CRunRecordReader& reader);
};
