#include "CRecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const GROUP = "Recent File List";

bool samePath(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

void CRecentFileList::Load() {
    m_listFiles.clear();
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VZR-T8100RS"),
                       QStringLiteral("VZR-T8100"));
    settings.beginGroup(QLatin1String(GROUP));
    for (int i = 1; i <= MAX_FILES; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty() && !m_listFiles.contains(path))
            m_listFiles.append(path);
    }
}

void CRecentFileList::Save() const {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VZR-T8100RS"),
                       QStringLiteral("VZR-T8100"));
    settings.beginGroup(QLatin1String(GROUP));
    for (int i = 1; i <= MAX_FILES; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_listFiles.size())
            settings.setValue(key, m_listFiles.at(i - 1));
        else
            settings.remove(key);
    }
    settings.sync();
}

void CRecentFileList::Add(const QString& path) {
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    Remove(absolute);
    m_listFiles.prepend(absolute);
    while (m_listFiles.size() > MAX_FILES)
        m_listFiles.removeLast();
}

void CRecentFileList::Remove(const QString& path) {
    m_listFiles.removeIf([&](const QString& f) { return samePath(f, path); });
}
