// Shared by the report tests: plans to report on, and the independent workbook reader.
#pragma once

#include "common/ChildProcess.h"
#include "common/Plans.h"
#include "report/CMsExcelControl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QString>

namespace ReportTest {

// A plan of three conditions: a CONTACT sweep in both polarities, an AIR voltage, and a
// CONTACT condition on an outlying level and trigger; eight steps in all.
inline void FillThreeConditions(CVzrT8100Doc& doc) {
    CSettingData sweep = plans::Sweep(2000, 4000, 1000);
    sweep.m_nTrig = TRIG_VZR;
    sweep.m_nIecLevel = IEC_LEVEL_2;
    sweep.m_bSweep = true;
    sweep.m_lInterval = 1500;
    sweep.m_lCount = 20;
    plans::SetPlan(doc, {sweep, plans::Cond([](CSettingData& s) {
                             s.m_nDiscMode = DISC_AIR;
                             s.m_nIecLevel = IEC_LEVEL_4;
                             s.m_value.m_lValue = 15000;
                             s.m_ulPola = POLA_BIT_MINUS;
                         }),
                         plans::Cond([](CSettingData& s) {
                             s.m_nIecLevel = 9;
                             s.m_nTrig = 7;
                             s.m_value.m_lValue = 30500;
                         })});
}

// The workbook as the independent reader (zipfile + xml) sees it; an empty object and
// the reader's complaint in error when it refuses the file.
inline QJsonObject ReadWorkbook(const QString& path, QString* error = nullptr) {
    const ProcessRun reader =
        RunProcess(QStringLiteral(VZR_PYTHON3), {QStringLiteral(VZR_READ_XLSX), path});
    if (reader.exitCode != 0) {
        if (error)
            *error =
                QStringLiteral("the reader ended with %1: %2").arg(reader.exitCode).arg(reader.err);
        return {};
    }
    return QJsonDocument::fromJson(reader.out.toUtf8()).object();
}

// What the reader must find for a workbook held in memory: every cell's last value, text
// as a string cell, numbers as numbers, empty texts as blank cells, all top-aligned.
inline QJsonObject Expected(const CMsExcelControl& excel) {
    QJsonArray sheets;
    for (int s = 0; s < excel.SheetCount(); ++s) {
        QJsonObject cells;
        excel.VisitCells(s, [&](int row, int column, const CMsExcelControl::Cell& cell) {
            QString name;
            for (int c = column + 1; c > 0; c = (c - 1) / 26)
                name.prepend(QChar('A' + (c - 1) % 26));
            name += QString::number(row + 1);
            QJsonObject value;
            if (cell.kind == CMsExcelControl::CELL_NUMBER) {
                value[QStringLiteral("type")] = QStringLiteral("n");
                value[QStringLiteral("value")] = cell.text;
            } else if (cell.text.isEmpty()) {
                value[QStringLiteral("type")] = QStringLiteral("blank");
                value[QStringLiteral("value")] = QString();
            } else {
                value[QStringLiteral("type")] = QStringLiteral("string");
                value[QStringLiteral("value")] = cell.text;
            }
            value[QStringLiteral("valign")] = QStringLiteral("top");
            cells[name] = value;
        });
        sheets.append(QJsonObject{{QStringLiteral("name"), excel.SheetName(s)},
                                  {QStringLiteral("cells"), cells}});
    }
    return QJsonObject{{QStringLiteral("sheets"), sheets}};
}

// The first difference between what the reader found and what was expected, or empty.
inline QString Difference(const QJsonObject& actual, const QJsonObject& expected) {
    const QJsonArray a = actual[QStringLiteral("sheets")].toArray();
    const QJsonArray e = expected[QStringLiteral("sheets")].toArray();
    if (a.size() != e.size())
        return QStringLiteral("%1 sheets, expected %2").arg(a.size()).arg(e.size());
    for (qsizetype s = 0; s < a.size(); ++s) {
        const QString name = a[s][QStringLiteral("name")].toString();
        if (name != e[s][QStringLiteral("name")].toString())
            return QStringLiteral("sheet %1 is named '%2', expected '%3'")
                .arg(s + 1)
                .arg(name, e[s][QStringLiteral("name")].toString());
        const QJsonObject ac = a[s][QStringLiteral("cells")].toObject();
        const QJsonObject ec = e[s][QStringLiteral("cells")].toObject();
        for (auto it = ec.begin(); it != ec.end(); ++it) {
            if (!ac.contains(it.key()))
                return QStringLiteral("%1!%2 missing").arg(name, it.key());
            const QJsonObject got = ac[it.key()].toObject();
            const QJsonObject want = it.value().toObject();
            QString type = got[QStringLiteral("type")].toString();
            if (type == QLatin1String("s") || type == QLatin1String("inlineStr") ||
                type == QLatin1String("str"))
                type = QStringLiteral("string");
            QString value = got[QStringLiteral("value")].toString();
            if (type == QLatin1String("n"))
                value = QString::number(value.toDouble(), 'g', 15);
            if (type != want[QStringLiteral("type")].toString() ||
                value != want[QStringLiteral("value")].toString() ||
                got[QStringLiteral("valign")] != want[QStringLiteral("valign")])
                return QStringLiteral("%1!%2 is %3, expected %4")
                    .arg(name, it.key(),
                         QString::fromUtf8(QJsonDocument(got).toJson(QJsonDocument::Compact)),
                         QString::fromUtf8(QJsonDocument(want).toJson(QJsonDocument::Compact)));
        }
        for (auto it = ac.begin(); it != ac.end(); ++it) {
            if (!ec.contains(it.key()))
                return QStringLiteral("%1!%2 was never written").arg(name, it.key());
        }
    }
    return {};
}

} // namespace ReportTest

namespace ReportTest {

// The pages of a PDF as poppler reads them (poppler-utils, which scripts/bootstrap
// installs): each page's text with its lines laid out as printed (pdftotext -layout).
inline QStringList PdfPages(const QString& path, QString* error = nullptr) {
    const ProcessRun r = RunProcess(QStringLiteral("pdftotext"),
                                    {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                     QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (r.exitCode != 0) {
        if (error)
            *error = QStringLiteral("pdftotext ended with %1: %2").arg(r.exitCode).arg(r.err);
        return {};
    }
    QStringList pages = r.out.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// One word of a PDF where poppler finds it (pdftotext -bbox), in points from the page's
// top left corner.
struct PdfWord {
    int page = 0; // from 0
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

inline QList<PdfWord> PdfWords(const QString& path) {
    const ProcessRun r = RunProcess(QStringLiteral("pdftotext"),
                                    {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    QList<PdfWord> words;
    int page = -1;
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (const QString& line : r.out.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("<page ")))
            ++page;
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch())
            words.append({page, m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                          m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

} // namespace ReportTest
