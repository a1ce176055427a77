#pragma once

#include "report/CTestReport.h"

#include <QString>
#include <QStringList>

class QWidget;

// The windows' side of a finished report, a workbook or a PDF: the path in the main
// window's status bar and the hand-over of the file to the desktop's application for it,
// or the operator's message when none was made. The report itself is made by the run
// session (CRunSession::CreateReport) while the caller shows the wait cursor.
class CReportOpener {
public:
    // Opens a report made, or tells the operator why none was. True when it was made
    // (opened or not).
    static bool HandOver(const CTestReport::Outcome& outcome, QWidget* parent);

    // Shows the path in the status bar and opens the file; when nothing opens it, the
    // operator is told where it is. True when an application took it.
    static bool Open(const QString& path, QWidget* parent);
};
