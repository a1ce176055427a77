// Linked into every test executable: before anything else runs, the process gets a world of
// its own, so that a test started by hand on a developer's desk behaves as under ctest. No
// window shows, no real serial port is probed (and none has DTR/RTS raised), and settings,
// recent files, the instance lock and reports go to a temporary home removed at exit. The
// programs a test starts (vzr-t8100, vzr-t8100-sim) inherit all of it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

// Allocations that system libraries under Qt hold for the life of the process.
const char kLeakSuppressions[] = "leak:libfontconfig\n"
                                 "leak:libdbus\n"
                                 "leak:libglib\n"
                                 "leak:libQt6Gui\n";

class TestEnv {
public:
    TestEnv() {
        // a developer may ask to watch the windows with VZR_TEST_PLATFORM=xcb
        const char* platform = std::getenv("VZR_TEST_PLATFORM");
        setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
        setenv("VZR_T8100_SYSTEM_PORTS", "0", 1);
        // the program's own texts, Japanese, whatever the desk's locale; a test of another
        // language asks for it
        setenv("LC_ALL", "C.UTF-8", 1);
        unsetenv("VZR_T8100_PORTS");

        std::string pattern = (std::filesystem::temp_directory_path() / "vzr-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return; // the test then fails on its own paths, loudly
        m_root = pattern;
        const std::filesystem::path root(m_root);
        const std::pair<const char*, const char*> dirs[] = {
            {"HOME", "home"},
            {"XDG_CONFIG_HOME", "config"},
            {"XDG_DATA_HOME", "data"},
            {"XDG_CACHE_HOME", "cache"},
            {"XDG_RUNTIME_DIR", "runtime"},
        };
        for (const auto& [name, sub] : dirs) {
            const std::filesystem::path dir = root / sub;
            std::error_code ec;
            std::filesystem::create_directories(dir, ec);
            // the runtime folder must be private or Qt refuses it
            std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, ec);
            setenv(name, dir.c_str(), 1);
        }
        HandSanitizerOptionsDown(root);
    }
    ~TestEnv() {
        if (m_root.empty() || std::getenv("VZR_TEST_KEEP_HOME"))
            return;
        std::error_code ec;
        // restore write permission a test may have taken away, then remove
        for (auto it = std::filesystem::recursive_directory_iterator(
                 m_root, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::permissions(m_root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_root, ec);
    }
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

private:
    // The sanitizers of the asan build read their options from the environment when a
    // process starts: the programs a test starts get the same suppressions as the test
    // (whose own come from the hooks below), unless the caller chose others.
    static void HandSanitizerOptionsDown(const std::filesystem::path& root) {
        const std::string file = (root / "lsan.supp").string();
        if (FILE* f = std::fopen(file.c_str(), "w")) {
            std::fputs(kLeakSuppressions, f);
            std::fclose(f);
            const char* lsan = std::getenv("LSAN_OPTIONS");
            if (!lsan || !std::strstr(lsan, "suppressions=")) {
                std::string options = lsan && *lsan ? std::string(lsan) + ":" : std::string();
                options += "suppressions=" + file;
                setenv("LSAN_OPTIONS", options.c_str(), 1);
            }
        }
        setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1", 0);
    }

    std::string m_root;
};

// Constructed before every other global of the test (QT_QPA_PLATFORM, HOME and the XDG
// folders are read when the first Qt object is made) and destroyed after them.
__attribute__((init_priority(101))) TestEnv g_testEnv;

} // namespace

// Defaults of the sanitizers for the test itself; the environment still overrides them.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return kLeakSuppressions;
}
extern "C" __attribute__((visibility("default"), used)) const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}
