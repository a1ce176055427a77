#pragma once

#include "report/CExcelError.h"
#include "report/CReportFile.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The report's workbook: a new book of three worksheets kept in memory, cells written by
// name ("B2", "K10") and top-aligned, handed over as an .xlsx file in the user's reports
// folder (CTestProperty::ReportsFolder). One object serves one report.
//
// Cell writes before a successful StartWorkbook do nothing. Any failure after it throws
// CExcelError; the caller catches it. A workbook is first written to a temporary file
// beside its final name and renamed only when complete, so a failed report leaves no
// file under a report's name. The file gets the mode of any new file of the user (the
// umask and the folder's default permissions apply).
class CMsExcelControl {
public:
    // The limits of a worksheet the spreadsheet applications agree on.
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    static constexpr int kMaxCellChars = 32767;
    static constexpr int kMaxSheetNameChars = 31;
    static constexpr int kDefaultSheets = 3;

    enum CellKind { CELL_NONE, CELL_TEXT, CELL_NUMBER };
    struct Cell {
        CellKind kind = CELL_NONE;
        QString text;      // the text as stored (without a leading apostrophe)
        double number = 0; // for CELL_NUMBER
    };

    CMsExcelControl();
    ~CMsExcelControl();
    CMsExcelControl(const CMsExcelControl&) = delete;
    CMsExcelControl& operator=(const CMsExcelControl&) = delete;

    // Before StartWorkbook: the document title that begins the file name.
    void SetTitle(const QString& title) { m_file.SetTitle(title); }
    // Before StartWorkbook: an explicit file to write (replaced if it exists) or a folder to
    // write into under the usual name. Empty: the reports folder.
    void SetOutputPath(const QString& path) { m_file.SetOutputPath(path); }
    // Before StartWorkbook: how many worksheets a new workbook has (1 to 255).
    void SetSheetsInNewWorkbook(int count);

    // Why StartWorkbook made no workbook.
    enum StartFailure {
        START_OK,
        START_NO_WRITER, // the workbook writer cannot make a workbook
        START_NO_FOLDER, // the folder takes no file (missing, not a folder, not writable)
    };

    // Makes the new workbook once the writer can make one and its folder proves writable.
    // False (nothing thrown) when it cannot be made; GetStartFailure() tells why,
    // GetStartFolder() and GetStartReason() the folder and the reason, GetStartError()
    // both on one line.
    bool StartWorkbook();
    StartFailure GetStartFailure() const { return m_nStartFailure; }
    QString GetStartFolder() const { return m_strStartFolder; }
    QString GetStartReason() const { return m_strStartReason; }
    QString GetStartError() const { return m_strStartError; }

    // Makes worksheet index (0-based, clamped to the worksheets there are) current.
    void SelectSheet(qint32 index);
    // Renames the current worksheet; a name the applications refuse throws.
    void SetSheetName(const QString& name);
    // Puts text into the named cell of the current worksheet. A leading apostrophe makes
    // the rest a text cell; any other text is read as typed in: a number becomes a number,
    // everything else text. A malformed or out-of-sheet name or an overlong text throws.
    void SetCellText(QStringView cell, QStringView text);
    // Writes the workbook and gives it its final name (GetFilePath()).
    void WriteWorkbook();
    QString GetFilePath() const { return m_file.FilePath(); }

    // What the workbook holds, so that a report can be checked without a file.
    bool IsReady() const { return m_nState == STATE_READY; }
    int SheetCount() const { return static_cast<int>(m_sheets.size()); }
    int CurrentSheet() const { return m_nSheet; }
    QString SheetName(int sheet) const;
    // The cell as last written; CELL_NONE when it was never written.
    Cell GetCell(int sheet, QStringView cell) const;
    // Cell writes held for the sheet (a cell written twice counts twice).
    qint64 CellWrites(int sheet) const;
    // Every cell write held for the sheet, in the order written (in row order once the
    // workbook was written); row and column 0-based.
    void VisitCells(int sheet,
                    const std::function<void(int row, int column, const Cell&)>& visit) const;

    // "K10" (also "k10", "$K$10") to 0-based row 9, column 10. False when malformed or
    // outside the worksheet.
    static bool ParseCellName(QStringView cell, int& row, int& column);
    // A text a spreadsheet reads as a number when typed in: decimal, optional sign,
    // fraction and exponent, blanks around it.
    static bool ParseNumber(QStringView text, double& value);
    // "Test1_20261208-143005.xlsx" from the title and the local time; the suffix n > 1
    // makes "Test1_20261208-143005-2.xlsx".
    static QString ReportFileName(const QString& title, const QDateTime& when, int suffix = 1);

private:
    enum State { STATE_EMPTY, STATE_READY, STATE_SHOWN };

    // One cell write: its place and its value in the text pool (UTF-8, NUL-ended).
    struct CellRec {
        std::uint32_t row;
        std::uint16_t column;
        std::uint8_t kind;
        std::uint8_t unused;
        std::uint32_t length;
        std::uint64_t offset;
    };
    struct Sheet {
        QString name;
        std::vector<CellRec> cells;
    };

    Cell CellOf(const CellRec& rec) const;
    QString SheetPlace() const;
    // Appends text to the pool as UTF-8 (a lone surrogate becomes U+FFFD).
    void AppendUtf8(QStringView text);
    static void SortRowOrder(std::vector<CellRec>& cells);
    void WriteFile(const QString& path);

    State m_nState = STATE_EMPTY;
    int m_nNewSheets = kDefaultSheets;
    int m_nSheet = 0;
    std::vector<Sheet> m_sheets;
    std::string m_pool;
    CReportFile m_file{QStringLiteral(".xlsx")}; // where the workbook goes, and its name
    StartFailure m_nStartFailure = START_OK;
    QString m_strStartFolder;
    QString m_strStartReason;
    QString m_strStartError;
};
