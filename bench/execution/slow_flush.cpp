// Preloaded into bench_runrecord's child: a medium that takes 500 ms for every flush, as a
// slow stick or a network share can. Counts the flushes it delayed.
#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <thread>

namespace {

std::atomic<long> g_flushes{0};

int Slow(const char* name, int fd) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ++g_flushes;
    using Call = int (*)(int);
    const auto next = reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
    return next ? next(fd) : 0;
}

} // namespace

extern "C" {
int fdatasync(int fd) {
    return Slow("fdatasync", fd);
}
int fsync(int fd) {
    return Slow("fsync", fd);
}
long bench_slow_flushes() {
    return g_flushes;
}
}
