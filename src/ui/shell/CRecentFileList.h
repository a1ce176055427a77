#pragma once

#include <QString>
#include <QStringList>

// The most recently used data files, newest first, kept in the user's profile under
// "Recent File List" as File1..FileN.
class CRecentFileList {
public:
    static constexpr int MAX_FILES = 4;

    CRecentFileList() = default;

    void Load();
    void Save() const;
    // Puts the file at the head of the list (once), dropping the oldest beyond MAX_FILES.
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return m_listFiles; }

private:
    QStringList m_listFiles;
};
