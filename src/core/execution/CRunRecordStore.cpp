#include "CRunRecordStore.h"

#include "execution/CRunRecordReader.h"
#include "execution/RunRecordFormat.h"
#include "settings/CTestProperty.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace RunRecordFormat;

namespace {

// The records in a folder, with their headers.
QList<CRunRecordStore::Entry> RecordsIn(const QString& folder, const QString& dataFile) {
    QList<CRunRecordStore::Entry> entries;
    if (folder.isEmpty())
        return entries;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*") + QLatin1String(FILE_SUFFIX)},
                                            QDir::Files | QDir::Readable);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        CRunRecordReader reader;
        const bool read = reader.Read(path, true) == CRunRecordReader::READ_OK;
        if (!dataFile.isEmpty() &&
            !(read && CRunRecordStore::NamesDataFile(reader.DataFile(), dataFile)))
            continue;
        entries.append({path, read ? reader.Start() : QDateTime()});
    }
    return entries;
}

} // namespace

QString CRunRecordStore::FolderName(const QString& nameOrPath) {
    QString name = QFileInfo(nameOrPath).fileName();
    if (name.endsWith(QLatin1String(".vzt"), Qt::CaseInsensitive) && name.size() > 4)
        name.chop(4);
    if (name.isEmpty())
        name = QStringLiteral("_");
    return name + QLatin1String(FOLDER_SUFFIX);
}

QString CRunRecordStore::FolderBeside(const QString& dataFile) {
    const QFileInfo info(dataFile);
    return QDir::cleanPath(info.absolutePath() + QLatin1Char('/') + FolderName(dataFile));
}

QString CRunRecordStore::FolderInReports(const QString& nameOrPath) {
    const QString reports = CTestProperty::ReportsFolder();
    if (reports.isEmpty())
        return QString();
    return reports + QLatin1Char('/') + FolderName(nameOrPath);
}

bool CRunRecordStore::NamesDataFile(const QString& recorded, const QString& dataFile) {
    if (recorded.isEmpty() || dataFile.isEmpty())
        return false;
    const QFileInfo a(recorded), b(dataFile);
    if (QDir::cleanPath(a.absoluteFilePath()) == QDir::cleanPath(b.absoluteFilePath()))
        return true;
    const QString ca = a.canonicalFilePath(), cb = b.canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

QList<CRunRecordStore::Entry> CRunRecordStore::RecordsOf(const QString& dataFile) {
    // beside the data file every record is its own, wherever the file was when it ran
    QList<Entry> entries = RecordsIn(FolderBeside(dataFile), QString());
    const QString reports = FolderInReports(dataFile);
    if (!reports.isEmpty() && QFileInfo(reports).canonicalFilePath() !=
                                  QFileInfo(FolderBeside(dataFile)).canonicalFilePath())
        entries += RecordsIn(reports, dataFile);
    QCollator collator;
    collator.setNumericMode(true);
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.tmStart.isValid() != b.tmStart.isValid())
            return a.tmStart.isValid(); // records that cannot be read last
        if (a.tmStart != b.tmStart)
            return a.tmStart < b.tmStart;
        return collator.compare(QFileInfo(a.strPath).completeBaseName(),
                                QFileInfo(b.strPath).completeBaseName()) < 0;
    });
    return entries;
}

bool CRunRecordStore::FindInterruptedRun(const QString& dataFile, const CExecList& steps,
                                         const QStringList& testPoints, CRunRecordReader& reader) {
    if (dataFile.isEmpty())
        return false;
    const QList<Entry> entries = RecordsOf(dataFile);
    const QByteArray hash = PlanHash(steps, testPoints);
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (!it->tmStart.isValid())
            continue;
        if (reader.Read(it->strPath, true) != CRunRecordReader::READ_OK ||
            reader.PlanHash() != hash || reader.StepCount() != qint64(steps.size()))
            continue;
        // the latest run of this run list decides
        return reader.Read(it->strPath) == CRunRecordReader::READ_OK && !reader.Closed() &&
               !reader.ResultsReported() && reader.HasResults();
    }
    return false;
}
