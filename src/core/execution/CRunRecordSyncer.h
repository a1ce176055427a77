#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Flushes a run record's file to its medium on a thread of its own, so that the interface
// thread only writes: a slow stick or network share delays the flush, never the run. Asked
// for more while it flushes, it flushes once more for all of it.
//
// After each flush it also checks that the file is still at its path: a folder removed, a
// stick pulled out and its mount point left behind, show only there (writes to a file
// without a name succeed).
class CRunRecordSyncer {
public:
    // How the file's data, or a folder's entries, are flushed; returns 0 or an errno.
    using Flush = std::function<int(int fd, bool folder)>;

    // Flushes fd (the syncer keeps a duplicate of its own, closed by its thread) at path;
    // first the folders (open, given to the syncer) whose entries lead to the file. wake is
    // called on the syncer's thread after a flush that failed or was asked to tell.
    CRunRecordSyncer(int fd, const QString& path, std::vector<int> folders, Flush flush,
                     std::function<void()> wake);
    // Finish(true, CLOSE_WAIT_MS) unless finished.
    ~CRunRecordSyncer();
    CRunRecordSyncer(const CRunRecordSyncer&) = delete;
    CRunRecordSyncer& operator=(const CRunRecordSyncer&) = delete;

    // How long the end of a record waits for its last flush. A flush stuck in the kernel
    // (a dead network share) cannot be cancelled: it finishes on the syncer's thread, which
    // then closes its file.
    static constexpr int CLOSE_WAIT_MS = 3000;

    // Asks for the file's first size bytes to be on the medium (of the current generation);
    // tell: wake when they are.
    void Request(qint64 size, bool tell = false);

    struct Status {
        qint64 synced = 0; // the file's bytes known to be on the medium
        int error = 0;     // the first failure since the last Take (ENOENT: no longer at its path)
    };
    Status Take();
    // The file's bytes from synced on are written again: flushes asked for before count
    // for nothing.
    void Restart(qint64 synced);

    // Stops: with last, after flushing what was asked for. Waits for the thread at most
    // waitMs; true when it ended in time. Never wakes anyone afterwards.
    bool Finish(bool last, int waitMs);

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);
    // One flush of what was asked for, the lock released meanwhile; false with nothing asked.
    static bool FlushOnce(Shared& shared, std::unique_lock<std::mutex>& lock);
    // Closes what the syncer holds.
    static void End(Shared& shared);
    std::shared_ptr<Shared> m_shared;
    bool m_bFinished = false;
};
