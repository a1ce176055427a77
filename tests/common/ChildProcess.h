#pragma once
// Programs a test runs beside itself: this build's own (vzr-t8100), the workbook reader,
// LibreOffice. They inherit the test's world (tests/common/VzrTestEnv.cpp).
#include <QCoreApplication>
#include <QLockFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>

struct ProcessRun {
    int exitCode = -1; // -1: never started, -2: crashed
    QString out;
    QString err;
    qint64 unread = 0; // bytes of the input it had not taken when it ended
};

// A program of this build, beside the test's executable.
inline QString BuildProgram(const char* name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
}

// Runs program to its end, its standard input fed from a pipe as it reads (nothing, then
// end of input, when input is empty); env replaces the inherited environment when given.
inline ProcessRun RunProcess(const QString& program, const QStringList& args,
                             const QByteArray& input = {},
                             const QProcessEnvironment& env = QProcessEnvironment()) {
    QProcess proc;
    if (!env.isEmpty())
        proc.setProcessEnvironment(env);
    proc.start(program, args);
    ProcessRun run;
    if (!proc.waitForStarted())
        return run;
    qint64 written = 0;
    while (written < input.size() && proc.state() == QProcess::Running) {
        const qint64 n = proc.write(input.constData() + written,
                                    std::min<qint64>(16 * 1024, input.size() - written));
        if (n <= 0)
            break;
        written += n;
        while (proc.bytesToWrite() > 0 && proc.state() == QProcess::Running)
            proc.waitForBytesWritten(100);
    }
    run.unread = input.size() - written + proc.bytesToWrite();
    proc.closeWriteChannel();
    proc.waitForFinished(-1);
    run.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2;
    run.out = QString::fromUtf8(proc.readAllStandardOutput());
    run.err = QString::fromUtf8(proc.readAllStandardError());
    return run;
}

// Waits until the started proc holds the lock file; false when it ended first.
inline bool WaitUntilItHolds(QProcess& proc, const QString& lockPath) {
    if (!proc.waitForStarted())
        return false;
    for (;;) {
        qint64 pid = 0;
        QString host, app;
        if (QLockFile(lockPath).getLockInfo(&pid, &host, &app) && pid == proc.processId())
            return true;
        if (proc.state() != QProcess::Running)
            return false;
        proc.waitForFinished(50);
    }
}

// Asks proc to end, and makes it end if it does not.
inline void EndProcess(QProcess& proc) {
    proc.terminate();
    if (!proc.waitForFinished(30000))
        proc.kill();
    proc.waitForFinished();
}
