#pragma once
// Comma-separated values as a spreadsheet reads them (RFC 4180): quoted fields may hold
// commas, quotes (doubled) and line ends; a row ends at a line end (LF or CRLF) outside
// quotes. A byte-order mark is skipped; a last line without its line end is no row.
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

inline QList<QStringList> ParseCsv(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = text.startsWith(QChar(0xFEFF)) ? 1 : 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(std::exchange(field, QString()));
        } else if (c == u'\n' || (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) {
            if (c == u'\r')
                ++i;
            row.append(std::exchange(field, QString()));
            rows.append(std::exchange(row, QStringList()));
        } else {
            field += c;
        }
    }
    return rows;
}

inline QList<QStringList> ReadCsvFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? ParseCsv(QString::fromUtf8(file.readAll()))
                                          : QList<QStringList>();
}
