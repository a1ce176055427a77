#include "CRsPort.h"

#include "link/CSerialPortTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>

namespace {

// Applies the fixed line settings; all of them are plain termios on a tty.
void ApplyLineSettings(QSerialPort& port) {
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

} // namespace

CRsPort::CRsPort() = default;

CRsPort::~CRsPort() {
    Close();
}

std::unique_ptr<QSerialPort> CRsPort::OpenDevice(const QString& path, CPortProblem* problem) {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(path);
    ApplyLineSettings(*port);
    if (port->open(QIODevice::ReadWrite)) {
        *problem = CPortProblem();
        return port;
    }
    CPortProblem::OpenFailure failure;
    failure.bNotFound = port->error() == QSerialPort::DeviceNotFoundError;
    failure.bPermission = port->error() == QSerialPort::PermissionError;
    failure.strText = port->errorString();
    *problem = CPortProblem::Diagnose(path, failure);
    return nullptr;
}

bool CRsPort::Open(int nPort) {
    if (IsOpen())
        Close();
    m_nPortNo = 0;
    m_pPort.reset();
    m_strPortPath.clear();

    if (nPort < 1 || nPort > MAX_PORT_NO)
        nPort = 0;
    const QString path = DevicePath(nPort);
    if (path.isEmpty()) {
        m_lastOpenProblem = CPortProblem(CPortProblem::PROBLEM_NOT_FOUND,
                                         QCoreApplication::translate("CRsPort", "no such port"));
        return false;
    }

    std::unique_ptr<QSerialPort> port = OpenDevice(path, &m_lastOpenProblem);
    if (!port)
        return false;

    // A pseudo-terminal has no modem lines and refuses these (ENOTTY): not a failure.
    port->setDataTerminalReady(true);
    port->setRequestToSend(true);
    port->clearError();

    m_pPort = std::move(port);
    m_strPortPath = path;
    m_nPortNo = nPort;
    return true;
}

QString CRsPort::DevicePath(int n) const {
    if (!m_bListed)
        return CSerialPortTable::DevicePath(n);
    if (n < 1 || n > m_listTable.size())
        return QString();
    return m_listTable.at(n - 1);
}

QString CRsPort::PortPath() const {
    return IsOpen() ? m_strPortPath : QString();
}

CPortProblem CRsPort::ProbeProblem(int n) const {
    if (n < 1 || n > m_listProbe.size())
        return CPortProblem();
    return m_listProbe.at(n - 1);
}

void CRsPort::Close() {
    if (!IsOpen()) {
        m_nPortNo = 0;
        m_pPort.reset();
        m_strPortPath.clear();
        return;
    }
    QThread::msleep(CLOSE_DELAY_MS);
    m_pPort->setRequestToSend(false);
    m_pPort->setDataTerminalReady(false);
    m_pPort->close();
    m_pPort.reset();
    m_strPortPath.clear();
    m_nPortNo = 0;
}

bool CRsPort::Write(const quint8* data, int n) {
    if (!IsOpen() || n < 0 || (n > 0 && data == nullptr))
        return false;
    if (n == 0)
        return true;
    m_pPort->clearError();
    if (m_pPort->write(reinterpret_cast<const char*>(data), n) != n) {
        m_pPort->clear(QSerialPort::Output);
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (m_pPort->bytesToWrite() > 0) {
        const qint64 remaining = WAIT_MS - timer.elapsed();
        if (remaining <= 0 || !m_pPort->waitForBytesWritten(int(remaining))) {
            // Never leave half a frame queued to go out with the next exchange.
            m_pPort->clear(QSerialPort::Output);
            return false;
        }
    }
    return true;
}

int CRsPort::EnumPorts(quint8 list[ENUM_LIST_SIZE]) {
    list[0] = 0;
    int count = 0;
    // The open port keeps its number: it stands where it stood in the table it came from.
    const QString openPath = PortPath();
    m_listTable = CSerialPortTable::Ports();
    m_bListed = true;
    m_listProbe.clear();
    for (qsizetype i = 0; i < m_listTable.size(); ++i)
        m_listProbe.append(CPortProblem());
    // Port 128 is never probed.
    const int last = qMin<int>(int(m_listTable.size()), ENUM_LIST_SIZE - 1);
    for (int n = 1; n <= last; ++n) {
        bool present = false;
        const QString& path = m_listTable.at(n - 1);
        if (IsOpen() && path == openPath) {
            present = true;
        } else {
            CPortProblem problem;
            std::unique_ptr<QSerialPort> probe = OpenDevice(path, &problem);
            if (probe) {
                present = true;
                probe->close();
            } else {
                // It exists but cannot be had now: listed, and the reason kept.
                present = problem.GetKind() == CPortProblem::PROBLEM_PERMISSION ||
                          problem.GetKind() == CPortProblem::PROBLEM_LOCKED ||
                          problem.GetKind() == CPortProblem::PROBLEM_BUSY;
                m_listProbe[n - 1] = problem;
            }
        }
        if (present) {
            list[count] = quint8(n);
            list[count + 1] = 0;
            ++count;
        }
    }
    list[ENUM_LIST_SIZE - 1] = 0;
    return count;
}

bool CRsPort::IsOpen() const {
    return m_pPort && m_pPort->isOpen();
}

qint64 CRsPort::BytesAvailable() const {
    return IsOpen() ? m_pPort->bytesAvailable() : 0;
}

CRsPort::WaitResult CRsPort::WaitForReadyRead(int msecs) {
    if (!IsOpen())
        return WaitResult::Failed;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (m_pPort->bytesAvailable() > 0)
            return WaitResult::Ready;
        const qint64 remaining = msecs - timer.elapsed();
        if (remaining < 0 || (remaining == 0 && msecs > 0))
            return WaitResult::Timeout;
        m_pPort->clearError();
        const bool woke = m_pPort->waitForReadyRead(int(remaining));
        if (m_pPort->bytesAvailable() > 0)
            return WaitResult::Ready;
        if (woke) {
            if (msecs == 0)
                return WaitResult::Timeout;
            continue;
        }
        const QSerialPort::SerialPortError error = m_pPort->error();
        m_pPort->clearError();
        if (error == QSerialPort::TimeoutError || (error == QSerialPort::NoError && msecs == 0))
            return WaitResult::Timeout;
        // A hung-up or broken line answers at once; waiting on it again would spin.
        return WaitResult::Failed;
    }
}

qint64 CRsPort::Read(quint8* data, qint64 max) {
    if (!IsOpen() || max <= 0)
        return 0;
    const qint64 n = m_pPort->read(reinterpret_cast<char*>(data), max);
    return n > 0 ? n : 0;
}

qint64 CRsPort::Discard() {
    if (!IsOpen())
        return 0;
    const qint64 n = m_pPort->bytesAvailable();
    return n > 0 ? m_pPort->skip(n) : 0;
}
