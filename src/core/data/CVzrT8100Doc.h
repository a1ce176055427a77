#pragma once

#include "data/CExecData.h"
#include "data/CSettingData.h"

#include <QString>
#include <QStringList>

#include <memory>

class CArchive;
class CPlanListModel;

// One open test plan: its conditions, the run list and the data file (".vzt"), and the
// one model through which every window shows and edits the plan. The window layer shows
// the messages; this class only reports them.
class CVzrT8100Doc {
public:
    // The plan view adds no condition beyond this many.
    static constexpr int kMaxSettings = 22;
    // The test points multiply the plan's steps up to this many in the run list, no
    // further: fifteen points of the largest plan the condition dialog makes. The run
    // record's reader takes no more.
    static constexpr qint64 kMaxRunSteps = qint64(1) << 21;

    // A new plan: one default condition, test number 0, expanded, and its run list.
    CVzrT8100Doc();
    CVzrT8100Doc(const CVzrT8100Doc&) = delete;
    CVzrT8100Doc& operator=(const CVzrT8100Doc&) = delete;
    ~CVzrT8100Doc();

    // The plan, in order; each condition owns its steps. The lists stay the same objects
    // for the document's life, a file opened into it included.
    CSettingList& GetSettingList() { return m_settingList; }
    const CSettingList& GetSettingList() const { return m_settingList; }
    // The run list: copies of the conditions' steps, in plan order, once per test point.
    CExecList& GetExecList() { return m_execList; }
    const CExecList& GetExecList() const { return m_execList; }
    // The list stored with the file under "[Test Point Comment]": the test points' names.
    QStringList& GetCommentList() { return m_strCommentList; }
    const QStringList& GetCommentList() const { return m_strCommentList; }

    // The test points, in order (TestPoints.h); none in a plan that is tested as a whole.
    const QStringList& TestPoints() const { return m_strCommentList; }
    // Sets the test points and rebuilds the run list (the windows are told through
    // CPlanListModel::SetTestPoints).
    void SetTestPoints(const QStringList& names);
    // The steps of the plan's conditions.
    qint64 PlanStepCount() const;
    // The steps of a run list of planSteps steps at points test points.
    static qint64 RunStepCount(qint64 planSteps, qint64 points);

    // The plan as every window of the document shows it, made at the first call (which
    // numbers the plan by position) and living as long as the document. Edits of the plan
    // go through it, so that each window follows them.
    CPlanListModel& PlanModel();

    // Replaces the run list by copies of every condition's steps, in plan order; with test
    // points, the whole plan once per point, point after point, each step numbered with
    // its 1-based point.
    void RebuildExecList();

    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    bool IsModified() const { return m_bModified; }
    // Sets the path and makes its file name the title.
    void SetPathName(const QString& path);
    QString GetPathName() const { return m_strPathName; }
    void SetTitle(const QString& title) { m_strTitle = title; }
    QString GetTitle() const { return m_strTitle; }
    // Set when reading a file was refused; never cleared.
    bool IsLoadError() const { return m_bLoadError; }

    // Loading: reads the data file and returns LOAD_OK, LOAD_NOT_DATA_FILE, LOAD_VERSION
    // or LOAD_BAD_FORMAT; a refused read sets the load-error flag, and the lists may then
    // hold what was read so far (OpenFile reads into a scratch document for that reason).
    // Storing: writes the data file; LOAD_OK, or LOAD_BAD_FORMAT when the device failed.
    int Serialize(CArchive& ar);

    // The operator's message for a non-zero Serialize result.
    static QString LoadResultText(int result);
    // The document type string of the frame's template.
    static QString DocTemplateString();

    // Reads a data file. On failure the document keeps its plan and run list, errorText
    // (when given) gets the message to show, and the result is false.
    bool OpenFile(const QString& path, QString* errorText);
    // Writes the data file atomically: a failed save leaves any previous file whole.
    bool SaveFile(const QString& path, QString* errorText);

private:
    int Load(CArchive& ar);
    void Store(CArchive& ar) const;

    CSettingList m_settingList;
    CExecList m_execList;
    QStringList m_strCommentList;
    std::unique_ptr<CPlanListModel> m_pPlanModel;
    bool m_bModified = false;
    bool m_bLoadError = false;
    QString m_strPathName;
    QString m_strTitle;
};
