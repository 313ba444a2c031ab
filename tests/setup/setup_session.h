// A scratch machine for the setup tests: a device root and a runtime base of their own (the
// session folder of this user made 0700, as a login would), and a listener that notes the
// broadcasts it hears with the clock's ticks.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/broadcast_channel.h"
#include "platform/clock.h"
#include "tests/support/test_support.h"

namespace zentrix::setup::test {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& file, const std::string& text, mode_t mode = 0644) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    ::chmod(file.c_str(), mode);
}

inline std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline mode_t modeOf(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

struct Heard {
    std::string text;
    uint32_t ticks;
};

/// Takes what waits on `listener` now, and for up to `waitMs` real ms until `count` arrived.
inline void hear(platform::BroadcastListener& listener, std::vector<Heard>& heard, size_t count,
                 int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    do {
        pollfd p{listener.fd(), POLLIN, 0};
        ::poll(&p, 1, 5);
        listener.receive([&heard](std::string_view text) {
            heard.push_back({std::string(text), platform::Clock::tickCount()});
        });
    } while (heard.size() < count && std::chrono::steady_clock::now() < deadline);
}

class SetupSession : public ::testing::Test {
  public:
    fs::path root() const { return scratch_.path() / "device"; }
    fs::path base() const { return scratch_.path() / "run"; }
    fs::path source() const { return root() / "ZentrixToday" / "Daywake.exe"; }
    fs::path startUp() const { return root() / "Windows" / "StartUp"; }
    fs::path target() const { return startUp() / "Daywake.exe"; }

  protected:
    SetupSession()
        : rootEnv_("ZENTRIX_ROOT", (scratch_.path() / "device").string()),
          baseEnv_("ZENTRIX_RUNTIME_BASE", (scratch_.path() / "run").string()) {}

    void SetUp() override {
        fs::create_directories(base() / std::to_string(::geteuid()));
        ::chmod((base() / std::to_string(::geteuid())).c_str(), 0700);
        fs::create_directories(root());
        ::chmod(root().c_str(), 0700);
    }

    zentrix::test::ScratchFolder scratch_;
    zentrix::test::ScopedEnv rootEnv_;
    zentrix::test::ScopedEnv baseEnv_;
};

/// A listener standing for a launcher host of this user in another process.
inline constexpr long kHostId = 999999977;

}  // namespace zentrix::setup::test
