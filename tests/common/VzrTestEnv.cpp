// Linked into every test executable: before main() runs, the process gets a world of its
// own, so that a test started by hand on a developer's desk behaves as under ctest. No
// window shows, no real serial port is probed (and none has DTR/RTS raised), and settings,
// recent files, the instance lock and reports go to a temporary home removed at exit.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

class TestEnv {
public:
    TestEnv() {
        // a developer may ask to watch the windows with VZR_TEST_PLATFORM=xcb
        const char* platform = std::getenv("VZR_TEST_PLATFORM");
        setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
        setenv("VZR_T8100_SYSTEM_PORTS", "0", 1);
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
    std::string m_root;
};

// Constructed before any Qt application object: QT_QPA_PLATFORM is read there.
TestEnv g_testEnv;

} // namespace
