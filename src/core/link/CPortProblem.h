#pragma once

#include <QString>

// Why a serial port could not be opened, in the words an operator can act on. The serial
// library reports a lock held by another program, a device opened exclusively and a
// device the user may not open all as one "permission" error; the real reason is found
// here from the device's mode and owner, the lock files and the user's groups.
class CPortProblem {
public:
    enum Kind {
        PROBLEM_NONE,       // the port opened
        PROBLEM_NOT_FOUND,  // no such device
        PROBLEM_PERMISSION, // the user may not read and write the device
        PROBLEM_LOCKED,     // a lock file of another program holds it
        PROBLEM_BUSY,       // another program has it open exclusively
        PROBLEM_OTHER,      // anything else; the serial library's own text
    };

    // What the serial library said when opening path failed.
    struct OpenFailure {
        bool bNotFound = false;   // it reported no such device
        bool bPermission = false; // it reported a permission error
        QString strText;          // its own description
    };

    CPortProblem() = default;
    CPortProblem(Kind kind, const QString& text) : m_nKind(kind), m_strText(text) {}

    // Finds out why opening path failed.
    static CPortProblem Diagnose(const QString& path, const OpenFailure& failure);

    // The advice for a device the user may not open: which group to join, or that the
    // session does not have the group yet.
    struct Access {
        unsigned mode = 0;           // st_mode permission bits
        QString strOwner;            // owner's name
        QString strGroup;            // group's name
        bool bInGroup = false;       // the process has the group
        bool bListedInGroup = false; // the user is a member in the group database
    };
    static QString PermissionText(const Access& access);

    // The lock file another program would hold for path, or empty when there is none.
    static QString FindLockFile(const QString& path);
    // The folder where a new lock file goes: the first lock folder this user can write.
    static QString LockFolder();
    // Name of the lock file of path, without its folder ("LCK..ttyUSB0").
    static QString LockName(const QString& path);

    Kind GetKind() const { return m_nKind; }
    bool IsProblem() const { return m_nKind != PROBLEM_NONE; }
    QString GetText() const { return m_strText; }

private:
    Kind m_nKind = PROBLEM_NONE;
    QString m_strText;
};
