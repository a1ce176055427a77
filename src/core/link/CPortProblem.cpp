#include "CPortProblem.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CPortProblem", text);
}

// Where programs that follow the UUCP convention leave their lock files, in the order
// the serial library looks.
const char* const LOCK_FOLDERS[] = {"/var/lock",         "/etc/locks", "/var/spool/locks",
                                    "/var/spool/uucp",   "/tmp",       "/var/tmp",
                                    "/var/lock/lockdev", "/run/lock"};

// The process number in a lock file: the first number in it, as text.
qint64 LockPid(const QString& lockFile) {
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(64).trimmed();
    qsizetype end = 0;
    while (end < head.size() && head.at(end) >= '0' && head.at(end) <= '9')
        ++end;
    bool ok = false;
    const qint64 pid = head.left(end).toLongLong(&ok);
    return ok ? pid : 0;
}

bool ProcessAlive(qint64 pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool ProcessHasGroup(gid_t gid) {
    if (getegid() == gid)
        return true;
    const int n = getgroups(0, nullptr);
    if (n <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    const int got = getgroups(n, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<size_t>(i)] == gid)
            return true;
    }
    return false;
}

// The user belongs to the group in the account database, whatever this process has.
bool UserListedInGroup(gid_t gid) {
    const passwd* pw = getpwuid(getuid());
    if (!pw)
        return false;
    if (pw->pw_gid == gid)
        return true;
    const QByteArray user(pw->pw_name);
    const group* gr = getgrgid(gid);
    if (!gr)
        return false;
    for (char** member = gr->gr_mem; member && *member; ++member) {
        if (user == *member)
            return true;
    }
    return false;
}

QString UserName(uid_t uid) {
    const passwd* pw = getpwuid(uid);
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(uid);
}

QString GroupName(gid_t gid) {
    const group* gr = getgrgid(gid);
    return gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(gid);
}

} // namespace

QString CPortProblem::LockName(const QString& path) {
    QString name = path;
    if (name.startsWith(QLatin1String("/dev/")))
        name.remove(0, 5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QLatin1String("LCK..") + name;
}

QString CPortProblem::LockFolder() {
    for (const char* folder : LOCK_FOLDERS) {
        const QFileInfo info(QString::fromLatin1(folder));
        if (info.isDir() && info.isReadable() && info.isWritable())
            return info.filePath();
    }
    return QString();
}

QString CPortProblem::FindLockFile(const QString& path) {
    QStringList names{LockName(path)};
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != path)
        names.append(LockName(canonical));
    for (const char* folder : LOCK_FOLDERS) {
        for (const QString& name : std::as_const(names)) {
            const QString file = QLatin1String(folder) + QLatin1Char('/') + name;
            if (QFileInfo::exists(file))
                return file;
        }
    }
    return QString();
}

QString CPortProblem::PermissionText(const Access& access) {
    const bool groupMayUse = (access.mode & 060) == 060 && !access.strGroup.isEmpty() &&
                             access.strGroup != QLatin1String("root");
    if (groupMayUse && !access.bInGroup) {
        if (access.bListedInGroup)
            return Tr("permission denied: the user is in the %1 group, but this session "
                      "started before: log out and in again")
                .arg(access.strGroup);
        return Tr("permission denied: add the user to the %1 group").arg(access.strGroup);
    }
    return Tr("permission denied: the device (mode %1, owner %2, group %3) gives this user no "
              "read and write access")
        .arg(QString::number(access.mode & 07777, 8).rightJustified(4, QLatin1Char('0')),
             access.strOwner, access.strGroup);
}

CPortProblem CPortProblem::Diagnose(const QString& path, const OpenFailure& failure) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        if (errno == EACCES)
            return {PROBLEM_PERMISSION,
                    Tr("permission denied: a folder on the way to the device may not be entered")};
        return {PROBLEM_NOT_FOUND, Tr("no such device")};
    }
    if (failure.bNotFound)
        return {PROBLEM_NOT_FOUND, Tr("no such device")};

    if (::access(native.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
        Access access;
        access.mode = st.st_mode;
        access.strOwner = UserName(st.st_uid);
        access.strGroup = GroupName(st.st_gid);
        access.bInGroup = ProcessHasGroup(st.st_gid);
        access.bListedInGroup = UserListedInGroup(st.st_gid);
        return {PROBLEM_PERMISSION, PermissionText(access)};
    }

    const QString lockFile = FindLockFile(path);
    if (!lockFile.isEmpty()) {
        const qint64 pid = LockPid(lockFile);
        if (pid > 0 && pid == qint64(getpid()))
            return {PROBLEM_LOCKED, Tr("in use by this program (lock file %1)").arg(lockFile)};
        if (ProcessAlive(pid))
            return {
                PROBLEM_LOCKED,
                Tr("in use by another program (process %1, lock file %2)").arg(pid).arg(lockFile)};
        if (pid > 0)
            return {PROBLEM_LOCKED, Tr("locked: the lock file %1 of ended process %2 cannot be "
                                       "removed by this user")
                                        .arg(lockFile)
                                        .arg(pid)};
        return {PROBLEM_LOCKED, Tr("locked by the lock file %1").arg(lockFile)};
    }

    if (failure.bPermission && failure.strText.contains(QLatin1String("lock file")))
        return {PROBLEM_PERMISSION,
                Tr("permission denied: no lock folder this user may write (/var/lock, /run/lock)")};
    // Readable and writable, no lock file: another program opened it exclusively.
    if (failure.bPermission)
        return {PROBLEM_BUSY, Tr("busy: another program has it open")};
    return {PROBLEM_OTHER, failure.strText.isEmpty() ? Tr("cannot be opened") : failure.strText};
}
