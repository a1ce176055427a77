#include "CRunRecordSyncer.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

struct CRunRecordSyncer::Shared {
    std::mutex mutex;
    std::condition_variable work;  // to the thread: something to do
    std::condition_variable ended; // from the thread: it is done
    std::thread thread;

    // the thread's own, set before it starts
    int fd = -1;
    QByteArray path;
    Flush flush;

    // under mutex
    std::vector<int> folders;
    std::function<void()> wake;
    qint64 requested = 0;
    bool pending = false; // a flush asked for and not begun
    bool tell = false;
    quint64 generation = 0;
    qint64 synced = 0;
    int error = 0;
    bool stop = false;
    bool last = false;
    bool done = false;
};

namespace {

// 0 while path names the open file fd; else why not (ENOENT: no longer there).
int StillThere(int fd, const QByteArray& path) {
    struct stat open = {};
    struct stat named = {};
    if (::fstat(fd, &open) != 0)
        return errno;
    if (::stat(path.constData(), &named) != 0)
        return errno == ENOTDIR ? ENOENT : errno;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino ? 0 : ENOENT;
}

} // namespace

CRunRecordSyncer::CRunRecordSyncer(int fd, const QString& path, std::vector<int> folders,
                                   Flush flush, std::function<void()> wake)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->fd = fd;
    m_shared->path = QFile::encodeName(path);
    m_shared->flush = std::move(flush);
    m_shared->folders = std::move(folders);
    m_shared->wake = std::move(wake);
    try {
        m_shared->thread = std::thread(&CRunRecordSyncer::Run, m_shared);
    } catch (const std::system_error&) {
        // no thread to be had: the caller flushes, as slowly as its medium is
    }
}

CRunRecordSyncer::~CRunRecordSyncer() {
    if (!m_bFinished)
        Finish(true, CLOSE_WAIT_MS);
}

void CRunRecordSyncer::Request(qint64 size, bool tell) {
    std::unique_lock lock(m_shared->mutex);
    m_shared->requested = std::max(m_shared->requested, size);
    m_shared->pending = true;
    m_shared->tell = m_shared->tell || tell;
    m_shared->work.notify_one();
    if (!m_shared->thread.joinable())
        FlushOnce(*m_shared, lock);
}

CRunRecordSyncer::Status CRunRecordSyncer::Take() {
    const std::lock_guard lock(m_shared->mutex);
    Status status{m_shared->synced, m_shared->error};
    m_shared->error = 0;
    return status;
}

void CRunRecordSyncer::Restart(qint64 synced) {
    const std::lock_guard lock(m_shared->mutex);
    ++m_shared->generation;
    m_shared->synced = std::min(m_shared->synced, synced);
    m_shared->requested = m_shared->synced;
    m_shared->pending = false;
    m_shared->error = 0;
}

bool CRunRecordSyncer::Finish(bool last, int waitMs) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    if (m_bFinished)
        return s.done;
    m_bFinished = true;
    s.stop = true;
    s.last = last;
    s.wake = nullptr;
    if (!s.thread.joinable()) {
        if (last)
            FlushOnce(s, lock);
        End(s);
        return true;
    }
    s.work.notify_one();
    const bool ended =
        s.ended.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return s.done; });
    lock.unlock();
    if (ended)
        s.thread.join();
    else
        s.thread.detach(); // it ends when its flush returns; what it uses is its own
    return ended;
}

bool CRunRecordSyncer::FlushOnce(Shared& s, std::unique_lock<std::mutex>& lock) {
    if (!s.pending && s.folders.empty())
        return false;
    std::vector<int> folders = std::move(s.folders);
    s.folders.clear();
    const qint64 size = s.requested;
    const quint64 generation = s.generation;
    const bool tell = s.tell;
    s.pending = s.tell = false;
    lock.unlock();

    // the names leading to the file; a folder that takes no flush (some file systems
    // refuse one) says nothing about the medium: the file's own flush does
    for (const int folder : folders) {
        s.flush(folder, true);
        ::close(folder);
    }
    int error = s.flush(s.fd, false);
    if (error == 0)
        error = StillThere(s.fd, s.path);

    lock.lock();
    if (generation == s.generation) {
        if (error != 0 && s.error == 0)
            s.error = error;
        else if (error == 0)
            s.synced = std::max(s.synced, size);
    }
    if ((error != 0 || tell) && s.wake)
        s.wake();
    return true;
}

void CRunRecordSyncer::End(Shared& s) {
    for (const int folder : s.folders)
        ::close(folder);
    s.folders.clear();
    ::close(s.fd); // on a dead network share this may wait too, here rather than in the run
    s.done = true;
    s.ended.notify_all();
}

void CRunRecordSyncer::Run(std::shared_ptr<Shared> shared) {
    Shared& s = *shared;
    std::unique_lock lock(s.mutex);
    for (;;) {
        if (s.stop && !s.last)
            break;
        if (!FlushOnce(s, lock)) {
            if (s.stop)
                break;
            s.work.wait(lock);
        }
    }
    End(s);
}
