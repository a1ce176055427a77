#include "CSerialPortTable.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

QMutex g_mutex;
QStringList g_explicit;

void AppendUnique(QStringList& table, const QString& path) {
    if (!path.isEmpty() && !table.contains(path))
        table.append(path);
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
    QStringList table;
    {
        QMutexLocker lock(&g_mutex);
        for (const QString& path : std::as_const(g_explicit))
            AppendUnique(table, path);
    }

    const QString fromEnv = qEnvironmentVariable("VZR_T8100_PORTS");
    for (const QString& path : fromEnv.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        AppendUnique(table, path);

    if (qEnvironmentVariable("VZR_T8100_SYSTEM_PORTS") != QLatin1String("0")) {
        QStringList system;
        const auto infos = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo& info : infos)
            system.append(info.systemLocation());
        std::sort(system.begin(), system.end());
        for (const QString& path : std::as_const(system))
            AppendUnique(table, path);
    }

    if (table.size() > MAX_PORTS)
        table.erase(table.begin() + MAX_PORTS, table.end());
    return table;
}

QString CSerialPortTable::DevicePath(int n) {
    if (n < 1 || n > MAX_PORTS)
        return {};
    const QStringList table = Ports();
    return n <= table.size() ? table.at(n - 1) : QString();
}
