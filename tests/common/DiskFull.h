#pragma once
// A full disk for this process: files cannot grow past a size (RLIMIT_FSIZE), and a write
// beyond it fails with EFBIG instead of raising SIGXFSZ.
#include <csignal>
#include <sys/resource.h>

// Runs f with no file allowed to grow past limit bytes; returns what f returns.
template <class F> auto WithDiskFull(rlim_t limit, F&& f) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = saved;
    full.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &full);
    struct Restore {
        rlimit limit;
        void (*handler)(int);
        ~Restore() {
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, handler);
        }
    } restore{saved, oldHandler};
    return f();
}
