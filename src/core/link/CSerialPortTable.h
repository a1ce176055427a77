#pragma once

#include <QString>
#include <QStringList>

// The port table: port number n (1..128) is the n-th entry of
//   1. the paths given on the command line with --port PATH (SetExplicitPorts), after the
//      in-process simulator's terminal if one was put in front (PrependPort);
//   2. the colon-separated paths of the environment variable VZR_T8100_PORTS;
//   3. the serial ports the system reports, in natural order (ttyS2 before ttyS10) —
//      unless the environment variable VZR_T8100_SYSTEM_PORTS is "0", which keeps the
//      table to the given ports (tests and demonstrations use it so that no real device is
//      probed).
// A device is listed once, at its first place, under the first name it was given: a link
// such as /dev/serial/by-id/usb-... and the device it points to count as one. Entries
// past 128 have no number.
//
// The table is read afresh on every call; a search takes one snapshot (CRsPort::EnumPorts)
// so that a device plugged in meanwhile cannot shift the numbers under it.
class CSerialPortTable {
public:
    static constexpr int MAX_PORTS = 128;

    CSerialPortTable() = delete;

    static void SetExplicitPorts(const QStringList& paths);
    static void PrependPort(const QString& path);
    static QStringList ExplicitPorts();

    // The whole table, at most MAX_PORTS entries, in number order (entry 0 is port 1).
    static QStringList Ports();
    // Device path of port number n in a fresh look at the table; empty outside it.
    static QString DevicePath(int n);

    // The table from its parts: the named paths in the order given, then the system's
    // ports in natural order; each device once, at most MAX_PORTS entries.
    static QStringList Build(const QStringList& named, const QStringList& system);
    // Natural order of device paths: runs of digits compare by their value.
    static bool NaturalLess(const QString& a, const QString& b);
    // Whether a path was named (command line or environment) rather than found.
    static bool IsNamed(const QString& path);
};
