#include "CReportFile.h"

#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CReportFile", text);
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Creates every missing level of folder; false with the reason when it cannot.
bool MakeFolder(const QString& folder, QString& reason) {
    std::error_code ec;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, ec);
    if (!ec && std::filesystem::is_directory(path, ec))
        return true;
    reason = ec ? QString::fromLocal8Bit(ec.message().c_str())
                : QCoreApplication::translate("CReportFile", "フォルダではありません");
    return false;
}

// Creates a new empty file of a hidden, unused name in folder.
bool CreateHidden(const QString& folder, QString& path, QString& reason) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = QStringLiteral("/.vzr-report-");
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
        const QString candidate = folder + name + QStringLiteral(".tmp");
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            ::close(fd);
            path = candidate;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace

CReportFile::CReportFile(const QString& extension) : m_strExtension(extension) {}

CReportFile::~CReportFile() {
    Discard();
}

bool CReportFile::Prepare() {
    Discard();
    m_strFolder.clear();
    m_strExplicitFile.clear();
    m_strFilePath.clear();
    m_strFailedFolder.clear();
    m_strFailedReason.clear();
    m_strFailureText.clear();

    QString folder;
    QString reason;
    if (!m_strOutputPath.isEmpty()) {
        const QFileInfo target(m_strOutputPath);
        if (target.isDir() || m_strOutputPath.endsWith(QLatin1Char('/'))) {
            folder = target.absoluteFilePath();
        } else {
            folder = target.absolutePath();
            m_strExplicitFile = target.absoluteFilePath();
        }
        // an explicit folder must be there already: a typing error makes no folders
        if (!QFileInfo(folder).isDir())
            reason = QFileInfo::exists(folder) ? Tr("フォルダではありません")
                                               : Tr("フォルダがありません");
    } else {
        folder = CTestProperty::ReportsFolder();
        if (folder.isEmpty())
            reason = Tr("文書フォルダが決まっていません");
        else
            MakeFolder(folder, reason);
    }
    if (reason.isEmpty()) {
        // the folder must take a file: probe it the way the report will be written
        QString probe;
        if (CreateHidden(folder, probe, reason))
            QFile::remove(probe);
    }
    if (!reason.isEmpty()) {
        m_strExplicitFile.clear();
        m_strFailedFolder = Native(folder);
        m_strFailedReason = reason;
        m_strFailureText =
            folder.isEmpty()
                ? Tr("レポートのフォルダに書き込めません: %1").arg(reason)
                : Tr("レポートのフォルダに書き込めません: %1 (%2)").arg(m_strFailedFolder, reason);
        return false;
    }
    m_strFolder = folder;
    return true;
}

bool CReportFile::CreateTemporary(QString* reason) {
    Discard();
    QString why;
    if (m_strFolder.isEmpty() || !CreateHidden(m_strFolder, m_strTemporary, why)) {
        m_strTemporary.clear();
        if (reason)
            *reason = why;
        return false;
    }
    return true;
}

void CReportFile::Discard() {
    if (!m_strTemporary.isEmpty()) {
        QFile::remove(m_strTemporary);
        m_strTemporary.clear();
    }
}

QString CReportFile::FileName(const QString& title, const QDateTime& when, int suffix,
                              const QString& extension) {
    QString base = title.trimmed();
    if (base.endsWith(QLatin1String(".vzt"), Qt::CaseInsensitive))
        base.chop(4);
    // characters no file system of the desks it runs on takes in a name
    for (QChar& c : base) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    // a file name takes 255 bytes: leave room for the time, the suffix and the extension
    while (base.toUtf8().size() > 200) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    while (base.endsWith(QLatin1Char('.')) || base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("VZR-T8100");
    QString name = base + QLatin1Char('_') + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (suffix > 1)
        name += QLatin1Char('-') + QString::number(suffix);
    return name + extension;
}

QString CReportFile::ChooseFinalPath(const QDateTime& when) const {
    for (int n = 1; n < 10000; ++n) {
        const QString candidate =
            m_strFolder + QLatin1Char('/') + FileName(m_strTitle, when, n, m_strExtension);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
    return {};
}

bool CReportFile::Commit(QString* where, QString* reason) {
    QString target;
    QString why;
    if (m_strTemporary.isEmpty()) {
        why = Tr("一時ファイルがありません");
    } else if (!m_strExplicitFile.isEmpty()) {
        // the file the caller named is replaced in one step: never half old, half new
        target = m_strExplicitFile;
        if (std::rename(QFile::encodeName(m_strTemporary).constData(),
                        QFile::encodeName(target).constData()) != 0)
            why = QString::fromLocal8Bit(std::strerror(errno));
    } else {
        // never over another report: a name taken meanwhile moves on to the next suffix
        const QDateTime now = QDateTime::currentDateTime();
        for (int attempt = 0;; ++attempt) {
            target = ChooseFinalPath(now);
            QFile file(m_strTemporary);
            if (!target.isEmpty() && file.rename(target))
                break;
            if (target.isEmpty() || attempt >= 100 || !QFileInfo::exists(target)) {
                why =
                    target.isEmpty() ? Tr("空いているファイル名がありません") : file.errorString();
                break;
            }
        }
    }
    if (!why.isEmpty()) {
        Discard();
        if (where)
            *where = Native(target.isEmpty() ? m_strFolder : target);
        if (reason)
            *reason = why;
        return false;
    }
    m_strTemporary.clear();
    m_strFilePath = target;
    return true;
}
