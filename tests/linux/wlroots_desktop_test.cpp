// The wlroots provider against headless sway (which refuses root: run as nobody, with a
// runtime directory of its own) and foot terminals with titles of their own.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/table_desktop_windows.h"
#include "platform/linux/wlroots_desktop.h"
#include "tests/linux/support/desktop_session.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::Child;

constexpr const char* kNobody = "65534";

struct SwaySession {
    SwaySession() {
        char dir[] = "/tmp/velk-sway-XXXXXX";
        runtime = mkdtemp(dir);
        std::ofstream(runtime / "config") << "xwayland disable\n";
        (void)!chown(runtime.c_str(), 65534, 65534);
        sway =
            AsNobody({"sway", "-c", (runtime / "config").string()},
                     {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"});
        test::WaitUntil(-1, [&] {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(runtime, error))
                if (entry.path().filename().string().rfind("wayland-", 0) == 0 &&
                    entry.path().extension() != ".lock")
                    socket = entry.path();
            return !socket.empty();
        });
    }
    ~SwaySession() {
        terminals.clear();
        sway.reset();
        fs::remove_all(runtime);
    }
    std::unique_ptr<Child> AsNobody(std::vector<std::string> argv,
                                    std::vector<std::string> env) const {
        argv.insert(argv.begin(), {"setpriv", std::string("--reuid=") + kNobody,
                                   std::string("--regid=") + kNobody, "--clear-groups"});
        env.push_back("XDG_RUNTIME_DIR=" + runtime.string());
        env.push_back("HOME=" + runtime.string());
        if (!socket.empty())
            env.push_back("WAYLAND_DISPLAY=" + socket.filename().string());
        return std::make_unique<Child>(argv, env);
    }
    void Terminal(const std::string& title) {
        terminals.push_back(
            AsNobody({"foot", "--log-level=error", "--title", title, "sleep", "600"}, {}));
    }

    fs::path runtime;
    fs::path socket;
    std::unique_ptr<Child> sway;
    std::vector<std::unique_ptr<Child>> terminals;
};

TEST(WlrootsDesktop, SeesTitlesTheActivatedWindowAndActivates) {
    SwaySession sway;
    ASSERT_FALSE(sway.socket.empty());
    DesktopTable table;
    std::string why;
    auto provider = WlrootsDesktopProvider::Connect(table, sway.socket.c_str(), why);
    ASSERT_TRUE(provider) << why;
    TableDesktopWindows role(table, *provider);
    const auto front = [&] {
        const HWND hwnd = role.GetForegroundWindow();
        return hwnd ? ToUtf8(*table.Title(hwnd)) : std::string("(none)");
    };

    // A new window takes the focus; the provider sees both titles and which is in front.
    sway.Terminal("Alpha Notes");
    ASSERT_TRUE(test::PumpUntil(*provider, [&] { return front() == "Alpha Notes"; })) << front();
    sway.Terminal("Beta — Mail");
    ASSERT_TRUE(test::PumpUntil(*provider, [&] { return front() == "Beta — Mail"; })) << front();
    const HWND alpha = role.FindWindowW(nullptr, u"ALPHA NOTES");
    ASSERT_TRUE(alpha);

    // Brought forward through the protocol, on the compositor's seat.
    EXPECT_TRUE(role.SetForegroundWindow(alpha));
    EXPECT_TRUE(test::PumpUntil(*provider, [&] { return front() == "Alpha Notes"; })) << front();

    // A closed window leaves the table.
    sway.terminals.back().reset();
    EXPECT_TRUE(test::PumpUntil(*provider, [&] { return table.size() == 1; }));
    EXPECT_FALSE(role.FindWindowW(nullptr, u"beta — mail"));

    // The compositor gone: no window is left.
    sway.terminals.clear();
    sway.sway.reset();
    EXPECT_TRUE(test::PumpUntil(*provider, [&] { return table.size() == 0; }));
}

}  // namespace
}  // namespace velk
