#include "CSerialPortTable.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>

namespace {

QMutex g_mutex;
QStringList g_explicit;

void AppendUnique(QStringList& list, const QString& path) {
    if (!path.isEmpty() && !list.contains(path))
        list.append(path);
}

QStringList NamedPorts() {
    QStringList named;
    {
        QMutexLocker lock(&g_mutex);
        named = g_explicit;
    }
    const QString fromEnv = qEnvironmentVariable("VZR_T8100_PORTS");
    for (const QString& path : fromEnv.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        AppendUnique(named, path);
    return named;
}

QStringList SystemPorts() {
    QStringList system;
    if (qEnvironmentVariable("VZR_T8100_SYSTEM_PORTS") == QLatin1String("0"))
        return system;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        system.append(info.systemLocation());
    return system;
}

// What makes two paths the same device: the file a link finally points to.
QString DeviceKey(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

void CSerialPortTable::SetExplicitPorts(const QStringList& paths) {
    QMutexLocker lock(&g_mutex);
    g_explicit.clear();
    for (const QString& path : paths)
        AppendUnique(g_explicit, path);
}

void CSerialPortTable::PrependPort(const QString& path) {
    if (path.isEmpty())
        return;
    QMutexLocker lock(&g_mutex);
    g_explicit.removeAll(path);
    g_explicit.prepend(path);
}

QStringList CSerialPortTable::ExplicitPorts() {
    QMutexLocker lock(&g_mutex);
    return g_explicit;
}

QStringList CSerialPortTable::Ports() {
    return Build(NamedPorts(), SystemPorts());
}

QString CSerialPortTable::DevicePath(int n) {
    if (n < 1 || n > MAX_PORTS)
        return {};
    const QStringList table = Ports();
    return n <= table.size() ? table.at(n - 1) : QString();
}

bool CSerialPortTable::IsNamed(const QString& path) {
    return NamedPorts().contains(path);
}

QStringList CSerialPortTable::Build(const QStringList& named, const QStringList& system) {
    QStringList sorted = system;
    std::stable_sort(sorted.begin(), sorted.end(), NaturalLess);

    QStringList table;
    QSet<QString> devices;
    for (const QStringList* part : {&named, static_cast<const QStringList*>(&sorted)}) {
        for (const QString& path : *part) {
            if (table.size() >= MAX_PORTS)
                return table;
            if (path.isEmpty())
                continue;
            const QString key = DeviceKey(path);
            if (devices.contains(key) || devices.contains(path))
                continue;
            devices.insert(key);
            devices.insert(path);
            table.append(path);
        }
    }
    return table;
}

bool CSerialPortTable::NaturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = a.at(i).isDigit();
        const bool digitB = b.at(j).isDigit();
        if (digitA && digitB) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            // by value: leading zeros aside, the longer run is the larger number
            qsizetype startA = i;
            qsizetype startB = j;
            while (startA + 1 < endA && a.at(startA) == QLatin1Char('0'))
                ++startA;
            while (startB + 1 < endB && b.at(startB) == QLatin1Char('0'))
                ++startB;
            const qsizetype lenA = endA - startA;
            const qsizetype lenB = endB - startB;
            if (lenA != lenB)
                return lenA < lenB;
            const int cmp =
                QStringView(a).mid(startA, lenA).compare(QStringView(b).mid(startB, lenB));
            if (cmp != 0)
                return cmp < 0;
            i = endA;
            j = endB;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    // equal by value ("ttyS01" and "ttyS1"): any fixed order will do
    return a < b;
}
