#include "CVzrT8100Doc.h"

#include "data/CArchive.h"
#include "data/CPlanListModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const char* const kHeader = "Valdmark VZR-T8100 Data File";
const char* const kFileVersion = "File Ver.1.0.0.0";
const char* const kAppVersion = "App Ver.1.1.0.0";

// A comment (a test point's name) is a text item: at least 1 byte.
constexpr qint64 kMinCommentBytes = 1;
// The program writes a hundred points at most, yet each one read costs a list entry many
// times its one stored byte: a file claiming more than this many is not one of ours.
constexpr quint32 kMaxComments = 1u << 20;

QString Tr(const char* text) {
    return QCoreApplication::translate("CVzrT8100Doc", text);
}
} // namespace

CVzrT8100Doc::CVzrT8100Doc() {
    auto setting = std::make_unique<CSettingData>();
    setting->SetTestNo(0);
    setting->MakeExecList(setting->m_edlList);
    m_settingList.push_back(std::move(setting));
    RebuildExecList();
}

CVzrT8100Doc::~CVzrT8100Doc() = default;

CPlanListModel& CVzrT8100Doc::PlanModel() {
    if (!m_pPlanModel)
        m_pPlanModel.reset(new CPlanListModel(this));
    return *m_pPlanModel;
}

void CVzrT8100Doc::RebuildExecList() {
    m_execList.clear();
    const qint64 points = m_strCommentList.size();
    const qint64 planSteps = PlanStepCount();
    // The windows refuse points and edits beyond kMaxRunSteps; the points of a file that
    // asks for more are expanded only as far as whole points fit.
    qint64 rounds = qMax<qint64>(points, 1);
    if (points > 0 && planSteps > 0)
        rounds = qBound<qint64>(1, kMaxRunSteps / planSteps, points);
    m_execList.reserve(size_t(planSteps * rounds));
    // point-major: the operator moves the gun once per point
    for (qint64 point = 0; point < rounds; ++point) {
        for (const auto& setting : m_settingList) {
            for (const auto& step : setting->m_edlList) {
                auto copy = std::make_unique<CExecData>(*step);
                if (points > 0)
                    copy->m_lTestPointNo = qint32(point + 1);
                m_execList.push_back(std::move(copy));
            }
        }
    }
}

void CVzrT8100Doc::SetTestPoints(const QStringList& names) {
    m_strCommentList = names;
    RebuildExecList();
}

qint64 CVzrT8100Doc::PlanStepCount() const {
    qint64 total = 0;
    for (const auto& setting : m_settingList)
        total += qint64(setting->m_edlList.size());
    return total;
}

qint64 CVzrT8100Doc::RunStepCount(qint64 planSteps, qint64 points) {
    return planSteps * qMax<qint64>(points, 1);
}

void CVzrT8100Doc::SetPathName(const QString& path) {
    m_strPathName = path;
    m_strTitle = QFileInfo(path).fileName();
}

int CVzrT8100Doc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        Store(ar);
        return ar.IsFailed() ? LOAD_BAD_FORMAT : LOAD_OK;
    }
    const int result = Load(ar);
    if (result != LOAD_OK)
        m_bLoadError = true;
    return result;
}

void CVzrT8100Doc::Store(CArchive& ar) const {
    ar.WriteString(QString::fromLatin1(kHeader));
    ar.WriteString(QString::fromLatin1(kFileVersion));
    ar.WriteString(QString::fromLatin1(kAppVersion));
    ar.WriteString(QStringLiteral("[Test Point Comment]"));
    ar.WriteCount(static_cast<quint32>(m_strCommentList.size()));
    for (const QString& comment : m_strCommentList)
        ar.WriteString(comment);
    ar.WriteString(QStringLiteral("[Setting Data Count]"));
    ar.WriteInt32(static_cast<qint32>(m_settingList.size()));
    for (const auto& setting : m_settingList)
        setting->Store(ar);
    ar.WriteString(QStringLiteral("[Exec Data Count]"));
    ar.WriteInt32(static_cast<qint32>(m_execList.size()));
    for (const auto& step : m_execList)
        step->Store(ar);
}

int CVzrT8100Doc::Load(CArchive& ar) {
    const QString header = ar.ReadString();
    if (ar.IsFailed())
        return LOAD_BAD_FORMAT;
    // Older and newer versions are refused alike; the version message wins over the
    // header message.
    if (const int result = ar.ReadVersion(QLatin1StringView(kFileVersion)); result != LOAD_OK)
        return result;
    if (!header.contains(QLatin1StringView(kHeader)))
        return LOAD_NOT_DATA_FILE;

    ar.SkipString(); // program version, not compared
    ar.SkipString(); // "[Test Point Comment]"
    m_strCommentList.clear();
    const quint32 comments = ar.ReadCount();
    if (comments > kMaxComments || !ar.CanHold(comments, kMinCommentBytes))
        return LOAD_BAD_FORMAT;
    for (quint32 i = 0; i < comments && ar.Keep(sizeof(QString)); ++i)
        m_strCommentList.append(ar.ReadString());

    ar.SkipString(); // "[Setting Data Count]"
    const qint32 settings = ar.ReadInt32();
    if (ar.IsFailed())
        return LOAD_BAD_FORMAT;
    m_settingList.clear();
    if (settings == 0) {
        // An empty plan gets one default condition, not expanded.
        m_settingList.push_back(std::make_unique<CSettingData>());
    } else {
        if (!ar.CanHold(settings, CSettingData::kMinStoredBytes))
            return LOAD_BAD_FORMAT;
        for (qint32 i = 0; i < settings; ++i) {
            if (!ar.Keep(kSettingDataHeldBytes))
                return LOAD_BAD_FORMAT;
            auto setting = std::make_unique<CSettingData>();
            const int r = setting->Load(ar);
            if (r != LOAD_OK)
                return r;
            m_settingList.push_back(std::move(setting));
        }
    }

    ar.SkipString(); // "[Exec Data Count]"
    const qint32 steps = ar.ReadInt32();
    if (ar.IsFailed())
        return LOAD_BAD_FORMAT;
    // A step count of 0 leaves the plan as stored and the run list empty.
    m_execList.clear();
    if (!ar.CanHold(steps, CExecData::kMinStoredBytes))
        return LOAD_BAD_FORMAT;
    for (qint32 i = 0; i < steps; ++i) {
        if (!ar.Keep(kExecDataHeldBytes))
            return LOAD_BAD_FORMAT;
        auto step = std::make_unique<CExecData>();
        const int r = step->Load(ar);
        if (r != LOAD_OK)
            return r;
        m_execList.push_back(std::move(step));
    }
    return ar.IsFailed() ? LOAD_BAD_FORMAT : LOAD_OK;
}

QString CVzrT8100Doc::LoadResultText(int result) {
    switch (result) {
    case LOAD_OK:
        return QString();
    case LOAD_NOT_DATA_FILE:
        return Tr("VZR-T8100用リモートソフトのデータではありません");
    case LOAD_VERSION:
        return Tr(
            "このソフトよりも新しいバージョンのソフトで作成されたファイルの為、ロードできません");
    default:
        return Tr("予期しないファイル形式です。");
    }
}

QString CVzrT8100Doc::DocTemplateString() {
    return QStringLiteral(
        "\nTest\nVZR-T8100\nVZR-T8100 Files (*.vzt)\n.vzt\nVZR_T8100\nVZR-T8100 Data");
}

bool CVzrT8100Doc::OpenFile(const QString& path, QString* errorText) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        if (errorText)
            *errorText = Tr("ファイル \"%1\" を開けませんでした。\n%2")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    // Read into a scratch document so that a refused file leaves this one as it was.
    CVzrT8100Doc loaded;
    int result;
    {
        CArchive ar(&file, CArchive::load);
        result = loaded.Serialize(ar);
    }
    if (result == LOAD_OK && file.error() != QFileDevice::NoError)
        result = LOAD_BAD_FORMAT;
    if (result != LOAD_OK) {
        m_bLoadError = true;
        if (errorText)
            *errorText = LoadResultText(result);
        return false;
    }
    // The lists stay this document's own, which its plan model points at: only their
    // contents change hands.
    const auto swapContents = [&] {
        m_settingList.swap(loaded.m_settingList);
        m_execList.swap(loaded.m_execList);
        m_strCommentList.swap(loaded.m_strCommentList);
    };
    if (m_pPlanModel)
        m_pPlanModel->ReplacePlan(swapContents);
    else
        swapContents();
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CVzrT8100Doc::SaveFile(const QString& path, QString* errorText) {
    const auto fail = [&](const QString& reason) {
        if (errorText)
            *errorText = Tr("ファイル \"%1\" を保存できませんでした。\n%2")
                             .arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    bool written;
    {
        CArchive ar(&file, CArchive::store);
        Serialize(ar);
        written = ar.Flush();
    }
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}
