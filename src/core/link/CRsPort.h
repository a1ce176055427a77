#pragma once

#include "link/CPortProblem.h"

#include <QList>
#include <QStringList>
#include <QtGlobal>

#include <memory>

class QSerialPort;

// One serial port, always 9600 baud, 8 data bits, no parity, one stop bit, no flow
// control, DTR and RTS raised while open. Ports are known by their number in the port
// table (CSerialPortTable); a non-zero port number means a port is open.
//
// Numbers refer to the table as the last EnumPorts saw it, so that the ports of one search
// keep their numbers however the system's list changes meanwhile; before any listing, Open
// looks at the table afresh.
class CRsPort {
public:
    static constexpr int MAX_PORT_NO = 128;
    static constexpr int ENUM_LIST_SIZE = 128;
    // Longest single wait on the line, in milliseconds.
    static constexpr int WAIT_MS = 500;
    // Pause before the control lines drop on closing, in milliseconds.
    static constexpr int CLOSE_DELAY_MS = 100;

    enum class WaitResult { Ready, Timeout, Failed };

    CRsPort();
    ~CRsPort();
    CRsPort(const CRsPort&) = delete;
    CRsPort& operator=(const CRsPort&) = delete;

    // Opens port number nPort (1..128) of the port table. A port that is already open is
    // closed first. On failure nothing stays open, the port number is 0 and LastOpenProblem()
    // says why.
    bool Open(int nPort);
    // Waits CLOSE_DELAY_MS, drops RTS then DTR and closes; does nothing when closed.
    void Close();
    // Sends n bytes; fails when closed or when the line does not take them within WAIT_MS.
    bool Write(const quint8* data, int n);
    // Takes a snapshot of the port table, then lists the ports 1..127 that exist (also
    // those another program holds or the user may not open) into a zero-ended list in
    // rising order; returns their count. Why each port could not be opened is kept
    // (ProbeProblem).
    int EnumPorts(quint8 list[ENUM_LIST_SIZE]);

    // Device path of port number n in the table the port works with; empty outside it.
    QString DevicePath(int n) const;
    // Device path of the open port; empty when closed.
    QString PortPath() const;
    // Why the last Open failed; no problem after a successful one.
    CPortProblem LastOpenProblem() const { return m_lastOpenProblem; }
    // Why port n could not be opened when the last EnumPorts probed it.
    CPortProblem ProbeProblem(int n) const;

    bool IsOpen() const;
    // The number of the open port, 0 when none is open.
    int GetPortNo() const { return m_nPortNo; }
    // Bytes already received and not yet read.
    qint64 BytesAvailable() const;
    // Blocks until a byte is there, at most msecs (0: only looks). Never spins.
    WaitResult WaitForReadyRead(int msecs);
    // Reads up to max received bytes without waiting; returns how many.
    qint64 Read(quint8* data, qint64 max);
    // Drops everything received so far; returns how many bytes were dropped.
    qint64 Discard();

private:
    // Tries to open path; on failure says why.
    static std::unique_ptr<QSerialPort> OpenDevice(const QString& path, CPortProblem* problem);

    std::unique_ptr<QSerialPort> m_pPort;
    QString m_strPortPath;
    bool m_bListed = false;          // EnumPorts has taken a snapshot of the table
    QStringList m_listTable;         // that snapshot
    QList<CPortProblem> m_listProbe; // per entry of the snapshot
    CPortProblem m_lastOpenProblem;
    int m_nPortNo = 0;
};
