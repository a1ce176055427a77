#pragma once

#include <QString>
#include <QStringList>

// The port table: port number n (1..128) is the n-th entry of
//   1. the paths given on the command line with --port PATH (SetExplicitPorts), after the
//      in-process simulator's terminal if one was put in front (PrependPort);
//   2. the colon-separated paths of the environment variable VZR_T8100_PORTS;
//   3. the serial ports the system reports, sorted by device path — unless the
//      environment variable VZR_T8100_SYSTEM_PORTS is "0", which keeps the table to the
//      given ports (tests and demonstrations use it so that no real device is probed).
// A path is listed once, at its first place. Entries past 128 have no number.
class CSerialPortTable {
public:
    static constexpr int MAX_PORTS = 128;

    CSerialPortTable() = delete;

    static void SetExplicitPorts(const QStringList& paths);
    static void PrependPort(const QString& path);
    static QStringList ExplicitPorts();

    // The whole table, at most MAX_PORTS entries, in number order (entry 0 is port 1).
    static QStringList Ports();
    // Device path of port number n; empty when n is outside the table.
    static QString DevicePath(int n);
};
