#pragma once

#include "data/CExecData.h"
#include "data/CSettingData.h"

#include <QString>
#include <QStringList>

class CTestProperty;
class QWidget;

// The windows' side of a report: the wait cursor while it is written, the operator's
// messages, the path in the main window's status bar and the hand-over of the workbook
// to the desktop's spreadsheet application.
class CReportOpener {
public:
    // Makes the report of a plan and its run list (CTestReport) and opens it. A workbook
    // that cannot be started or written is told to the operator. True when the workbook
    // was written (opened or not); path gets it.
    static bool CreateAndOpen(const CSettingList& plan, const CExecList& steps,
                              const QStringList& testPoints, const CTestProperty& property,
                              const QString& title, QWidget* parent, QString* path = nullptr);

    // Shows the path in the status bar and opens the workbook; when nothing opens it, the
    // operator is told where it is. True when an application took it.
    static bool Open(const QString& path, QWidget* parent);
};
