#pragma once

#include <QString>

#include <stdexcept>

// A failure of the workbook writer after the workbook was made: which operation failed,
// where (sheet, cell or file) and why. what() carries the same as one line of UTF-8.
class CExcelError : public std::runtime_error {
public:
    CExcelError(const QString& operation, const QString& where, const QString& reason);

    const QString& Operation() const { return m_strOperation; }
    const QString& Where() const { return m_strWhere; }
    const QString& Reason() const { return m_strReason; }
    // "SetCellText (シート「試験内容」 セル K11): 文字数が…" for the operator.
    QString Text() const;

private:
    QString m_strOperation;
    QString m_strWhere;
    QString m_strReason;
};
