#pragma once

#include "settings/CLanguage.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the program was asked for on its command line. Read before any application
// object exists: the port table must be set before the instrument is searched for.
class CCommandLine {
    Q_DECLARE_TR_FUNCTIONS(CCommandLine)

public:
    enum Mode {
        MODE_GUI,
        MODE_IDENTIFY,
        MODE_DUMP,
        MODE_REPORT,
        MODE_SEND_SEQUENCE,
        MODE_RUNS,
        MODE_RUN,
        MODE_HELP,
        MODE_VERSION,
        MODE_ERROR
    };

    // arguments[0] is the program itself.
    void Parse(const QStringList& arguments);

    static QString Usage();
    // The language of the run: --lang, else the messages locale.
    CLanguage::Language Language() const;

    Mode m_nMode = MODE_GUI;
    QStringList m_listPorts;     // --port PATH, in the order given
    bool m_bSimulate = false;    // --simulate
    QString m_strDumpFile;       // --dump FILE
    QString m_strReportFile;     // --report FILE
    QString m_strReportOut;      // --out PATH (with --report or --run)
    QString m_strPdfOut;         // --pdf PATH (with --report or --run)
    QString m_strResultsRecord;  // --results RECORD (with --report)
    QString m_strRunsFile;       // --runs FILE
    QString m_strSequenceFile;   // --send-sequence FILE
    QString m_strRunFile;        // --run FILE
    QString m_strResultsCsv;     // --results-csv FILE (with --run)
    bool m_bQuiet = false;       // --quiet (with --run): only the judgements' counts
    QString m_strLanguage;       // --lang ja|en
    QStringList m_listDocuments; // data files to open
    QString m_strError;          // why the command line was refused
};
