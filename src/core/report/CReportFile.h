#pragma once

#include <QDateTime>
#include <QString>

// The file a report is written to, the same way for every kind of report: into the reports
// folder (CTestProperty::ReportsFolder, made when missing) under a new name, or where the
// caller says (an existing folder, or a file that is then replaced in one step). The report
// is written into a hidden temporary file beside its final name and renamed only when
// complete, so a failed report leaves no file behind and never replaces another report.
// The temporary file is made as any new file of the user (0666 less the umask, or the
// folder's default permissions), and the report keeps that mode.
class CReportFile {
public:
    // extension: ".xlsx", ".pdf"
    explicit CReportFile(const QString& extension);
    ~CReportFile(); // removes a temporary file not committed
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // The document title that begins a generated name.
    void SetTitle(const QString& title) { m_strTitle = title; }
    // An explicit file (replaced if it exists) or a folder to write into under the usual
    // name. Empty: the reports folder.
    void SetOutputPath(const QString& path) { m_strOutputPath = path; }

    // Decides the folder and proves that it takes a file (a typing error in an explicit
    // path makes no folders). False when it does not: FailedFolder() and FailedReason() say
    // which and why, FailureText() both on one line.
    bool Prepare();
    QString FailedFolder() const { return m_strFailedFolder; }
    QString FailedReason() const { return m_strFailedReason; }
    QString FailureText() const { return m_strFailureText; }
    // The folder Prepare chose.
    QString Folder() const { return m_strFolder; }

    // Makes a new empty temporary file in the folder; false with the reason.
    bool CreateTemporary(QString* reason);
    QString TemporaryPath() const { return m_strTemporary; }
    // Gives the written temporary file its final name (FilePath()): the explicit file, or
    // the first free "TITLE_YYYYMMDD-HHMMSS[-n]" name, taken without ever replacing a file
    // that appeared meanwhile. False with the place and the reason; the temporary file is
    // removed then.
    bool Commit(QString* where, QString* reason);
    // Removes the temporary file.
    void Discard();
    QString FilePath() const { return m_strFilePath; }

    // "Test1_20261208-143005.xlsx" from the title and the local time; the suffix n > 1
    // makes "Test1_20261208-143005-2.xlsx".
    static QString FileName(const QString& title, const QDateTime& when, int suffix,
                            const QString& extension);

private:
    QString ChooseFinalPath(const QDateTime& when) const;

    QString m_strExtension;
    QString m_strTitle;
    QString m_strOutputPath;
    QString m_strFolder;
    QString m_strExplicitFile; // empty for a generated name
    QString m_strTemporary;
    QString m_strFilePath;
    QString m_strFailedFolder;
    QString m_strFailedReason;
    QString m_strFailureText;
};
