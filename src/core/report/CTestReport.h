#pragma once

#include "data/CExecData.h"
#include "data/CSettingData.h"

#include <QString>
#include <QStringList>

class CMsExcelControl;
class CTestProperty;

// The test report: the settings, the plan and its test points on worksheet "試験条件",
// every step with its test point, judgement and comment on worksheet "試験内容". The
// execution dialog and the command line both make it here, so they can never differ.
class CTestReport {
public:
    enum Result {
        REPORT_MADE,      // the workbook is written; m_strPath names it
        REPORT_NO_WRITER, // the workbook writer could not make a workbook
        REPORT_NO_FOLDER, // the report's folder takes no file
        REPORT_FAILED,    // a failure while the report was written; no file was left
    };
    struct Outcome {
        Result m_nResult = REPORT_FAILED;
        QString m_strPath;    // the workbook written
        QString m_strMessage; // what the operator is told on failure
        QString m_strDetail;  // the failure alone, one line: what, where, why
    };

    // Writes the layout into a started workbook; the steps read as the results list shows
    // them, testPoints names the points they carry (none: a plan tested as a whole).
    // Throws CExcelError.
    static void Write(CMsExcelControl& excel, const CSettingList& plan, const CExecList& steps,
                      const QStringList& testPoints, const CTestProperty& property);

    // The whole report: starts a workbook (titled after the document, written to
    // outputPath or else to the reports folder), writes the layout and the file.
    // Failures are caught and told in the outcome.
    static Outcome Create(const CSettingList& plan, const CExecList& steps,
                          const QStringList& testPoints, const CTestProperty& property,
                          const QString& title, const QString& outputPath = QString());

    // "MS-Excel 2000以降が見つかりません。\nレポートを作成できません。": no workbook writer.
    static QString NoWorkbookText();
    // "レポートのフォルダに書き込めません。", the folder and the reason on lines of their own.
    static QString NoFolderText(const QString& folder, const QString& reason);
    // "Test No.   1", "Step No. 120": the row labels.
    static QString RowLabel(const char* prefix, qint64 number);
};
