#pragma once

#include "data/CExecData.h"
#include "data/CSettingData.h"
#include "report/CTestReport.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class CPdfLayout;
class CTestProperty;
class QIODevice;

// The printable test report: an A4 PDF from the same inputs as the workbook (the plan, the
// run list as the results list shows it, the settings, the document's title) and the test
// points. Its first pages hold the title, the company and test place, the unit under test,
// operator, standard, date, time, temperature and humidity, the equipment with its serial
// numbers, the plan, the test points, how many steps were judged A, B, C, D or not at all
// (per test point where there are points), and the overall verdict and signatures left
// blank for the operator; then every step with its judgement, the judgement's cell shaded
// by the verdict. Every page carries the report's title and "n / N".
//
// Painting needs a QGuiApplication (fonts); the command line makes one for --pdf.
class CPdfReport {
public:
    // points: the names of the test points, in order; a step's m_lTestPointNo is its point's
    // 1-based number. No points: no point column and one summary row.
    CPdfReport(const CSettingList& plan, const CExecList& steps, const QStringList& points,
               const CTestProperty& property, const QString& title);

    // The report written as a PDF onto device (open for writing); the number of pages.
    // pageCheck is called as each page is complete and may throw to stop the report.
    int Write(QIODevice& device, const std::function<void()>& pageCheck = {}) const;

    // The whole report into a file: titled after the document, written to outputPath (a
    // file, replaced, or a folder) or else to the reports folder as
    // "TITLE_YYYYMMDD-HHMMSS[-n].pdf"; atomically, as the workbook is. Failures are caught
    // and told in the outcome (REPORT_NO_WRITER: no QGuiApplication to paint with).
    static CTestReport::Outcome Create(const CSettingList& plan, const CExecList& steps,
                                       const QStringList& points, const CTestProperty& property,
                                       const QString& title, const QString& outputPath = QString());

    // "静電気放電イミュニティ試験 報告書"
    static QString ReportTitle();
    // The step's point as the results show it: "2: 電源ボタン"; empty without a point.
    QString PointText(qint32 point) const;

private:
    // Every part in order, onto the pages of pdf.
    void Compose(CPdfLayout& pdf) const;
    void WriteOverview(CPdfLayout& pdf) const;
    void WriteEquipment(CPdfLayout& pdf) const;
    void WritePlan(CPdfLayout& pdf) const;
    void WritePoints(CPdfLayout& pdf) const;
    void WriteSummary(CPdfLayout& pdf) const;
    void WriteSignatures(CPdfLayout& pdf) const;
    void WriteResults(CPdfLayout& pdf) const;
    QString RunningTitle() const;

    const CSettingList& m_plan;
    const CExecList& m_steps;
    QStringList m_points;
    const CTestProperty& m_property;
    QString m_strDocument; // the title without ".vzt"
    QDateTime m_tmCreated;
};
