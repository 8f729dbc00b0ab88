// The X11 provider against a real X server: with openbox announcing the desktop (EWMH) and
// with no window manager at all; the capture key and the Up key's state; the chooser.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/desktop_choice.h"
#include "platform/linux/table_desktop_windows.h"
#include "platform/linux/x11_desktop.h"
#include "platform/linux/x11_services.h"
#include "tests/linux/support/desktop_session.h"

namespace velk {
namespace {

using test::PumpUntil;
using test::XSession;

std::string IdOf(const std::string& answer) {
    return answer.substr(answer.find(' ') + 1);
}

std::unique_ptr<X11Connection> Connect(const XSession& x) {
    std::string error;
    auto connection = X11Connection::Open(x.display.c_str(), error);
    EXPECT_TRUE(connection) << error;
    return connection;
}

struct Desktop {
    explicit Desktop(const XSession& x) : provider(table, Connect(x)), role(table, provider) {}
    std::u16string Caption(HWND hwnd) {
        char16_t buf[256];
        const INT n = role.GetWindowTextW(hwnd, buf, 256);
        return {buf, static_cast<std::size_t>(n)};
    }
    std::u16string FrontCaption() { return Caption(role.GetForegroundWindow()); }
    DesktopTable table;
    X11DesktopProvider provider;
    TableDesktopWindows role;
};

// Openbox announces itself before it manages windows, and a window mapped meanwhile stays
// unmanaged: probe until one is managed.
void AwaitManagedWindows(const XSession& x, Desktop& d) {
    auto probe = x.Windows();
    for (int i = 0; i < 20; ++i) {
        probe->Ask("new probe" + std::to_string(i) + " probe");
        if (PumpUntil(
                d.provider, [&] { return d.table.size() > 0; }, 250))
            break;
    }
    probe.reset();
    ASSERT_TRUE(PumpUntil(d.provider, [&] { return d.table.size() == 0; }));
}

class X11Desktop : public testing::TestWithParam<bool> {};

// With a window manager the active window and client list are its; without one, the
// focus and the root's titled children answer. The same behaviour either way.
TEST_P(X11Desktop, FollowsFrontTitlesNewAndClosedWindows) {
    const bool managed = GetParam();
    XSession x(managed);
    Desktop d(x);
    if (managed) {
        ASSERT_TRUE(PumpUntil(d.provider, [&] { return d.provider.ManagerPresent(); }));
        AwaitManagedWindows(x, d);
    }
    auto app = x.Windows();
    app->Ask("new editor Éditeur — draft");
    const std::string cafe = IdOf(app->Ask("latin1 cafe Café Olé"));
    app->Ask("compound term Терминал ß");

    // Titles from each kind of property, found whole with letter case folded.
    ASSERT_TRUE(PumpUntil(d.provider, [&] { return d.table.size() == 3; })) << d.table.size();
    EXPECT_TRUE(d.role.FindWindowW(nullptr, u"ÉDITEUR — DRAFT"));
    EXPECT_TRUE(d.role.FindWindowW(nullptr, u"café olé"));
    EXPECT_TRUE(d.role.FindWindowW(nullptr, u"ТЕРМИНАЛ ß"));
    EXPECT_FALSE(d.role.FindWindowW(nullptr, u"Café"));
    EXPECT_FALSE(d.role.FindWindowW(nullptr, u"not this one"));
    const HWND termWindow = d.role.FindWindowW(nullptr, u"терминал ß");
    ASSERT_TRUE(termWindow);
    DWORD pid = 0;
    EXPECT_EQ(d.role.GetWindowThreadProcessId(termWindow, &pid), static_cast<DWORD>(app->pid()));
    EXPECT_EQ(pid, static_cast<DWORD>(app->pid()));

    // The front window follows the focus, the user's or the program's own request.
    x.Tool({managed ? "windowactivate" : "windowfocus", "--sync", cafe});
    EXPECT_TRUE(PumpUntil(d.provider, [&] { return d.FrontCaption() == u"Café Olé"; }))
        << ToUtf8(d.FrontCaption());
    EXPECT_TRUE(d.role.SetForegroundWindow(termWindow));
    EXPECT_TRUE(PumpUntil(d.provider, [&] { return d.role.GetForegroundWindow() == termWindow; }));

    // Retitled and closed windows, in each kind of property.
    app->Ask("retitle term Терминал — vim");
    app->Ask("retitle editor Éditeur — saved");
    EXPECT_TRUE(PumpUntil(d.provider, [&] {
        return d.FrontCaption() == u"Терминал — vim" &&
               d.role.FindWindowW(nullptr, u"éditeur — saved");
    })) << ToUtf8(d.FrontCaption());
    app->Ask("close term");
    EXPECT_TRUE(PumpUntil(d.provider, [&] { return d.table.size() == 2; }));
    EXPECT_FALSE(d.role.IsWindow(termWindow));
    EXPECT_EQ(d.Caption(termWindow), u"");

    // The server gone: no window is left, and nothing fails.
    x.server.reset();
    EXPECT_TRUE(PumpUntil(d.provider, [&] { return d.table.size() == 0; }));
    EXPECT_FALSE(d.role.GetForegroundWindow());
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutWindowManager, X11Desktop, testing::Bool(),
                         [](const auto& info) { return info.param ? "openbox" : "bare"; });

TEST(X11Keys, CaptureKeyWithAndWithoutNumLockAndUpKeyHeld) {
    XSession x(true);
    X11HotKey key(Connect(x));
    ASSERT_TRUE(key.Grab());
    X11HotKey other(Connect(x));
    EXPECT_FALSE(other.Grab());  // the key is taken: a second program is told so

    for (const char* lock : {"", "Num_Lock"}) {
        if (*lock)
            x.Tool({"key", lock});
        x.Tool({"key", "super+F12"});
        EXPECT_TRUE(test::WaitUntil(key.EventFd(), [&] { return key.TakePress(); })) << lock;
    }
    key.Release();
    x.Tool({"key", "super+F12"});
    EXPECT_FALSE(test::WaitUntil(
        key.EventFd(), [&] { return key.TakePress(); }, 300));

    auto connection = Connect(x);
    X11Keyboard keyboard(*connection);
    EXPECT_FALSE(keyboard.IsUpHeld());
    x.Tool({"keydown", "Up"});
    EXPECT_TRUE(keyboard.IsUpHeld());
    x.Tool({"keyup", "Up"});
    EXPECT_FALSE(keyboard.IsUpHeld());
}

TEST(DesktopChoice, WaylandWithoutTheProtocolFallsBackToX11WithANotice) {
    XSession x(false);
    struct Case {
        DesktopEnvironment env;
        std::string_view provider;  // empty: none, an error
        std::string_view said;      // a part of the notice, or of the error
    };
    const Case cases[] = {
        {{"", "", ""}, "", "neither WAYLAND_DISPLAY nor DISPLAY"},
        {{"", x.display, ""}, "x11", ""},
        {{"velk-no-such-compositor", x.display, "GNOME"}, "x11", "GNOME does not tell"},
        {{"velk-no-such-compositor", "", "sway"}, "", "x11: DISPLAY is not set"},
        {{"", ":99999", ""}, "", "cannot open the X display :99999"},
    };
    for (const Case& c : cases) {
        DesktopTable table;
        const DesktopChoice choice = ChooseDesktopProvider(table, c.env);
        const std::string label = c.env.waylandDisplay + "|" + c.env.display;
        EXPECT_EQ(choice.provider ? choice.provider->Name() : "", c.provider) << label;
        const std::string& said = choice.provider ? choice.notice : choice.error;
        EXPECT_NE(said.find(c.said), std::string::npos) << label << ": " << said;
        if (c.said.empty()) {
            EXPECT_EQ(said, "") << label;
        }
    }

    // A desktop's own component that is missing: its advice comes with the fallback, and a
    // candidate that is not for this desktop (an empty why) says nothing.
    std::vector<DesktopCandidate> candidates = {
        {"absent", [](auto&, auto&, std::string&) { return std::unique_ptr<IDesktopProvider>(); },
         false, true},
        {"missing",
         [](auto&, auto&, std::string& why) {
             why = "install the extension";
             return std::unique_ptr<IDesktopProvider>();
         },
         false, true}};
    for (DesktopCandidate& c : DesktopCandidates())
        candidates.push_back(std::move(c));
    DesktopTable table;
    const DesktopChoice choice =
        ChooseDesktopProvider(table, {"velk-no-such-compositor", x.display, "GNOME"}, candidates);
    ASSERT_TRUE(choice.provider);
    EXPECT_EQ(choice.notice.find("GNOME does not tell"), 0u) << choice.notice;
    EXPECT_NE(choice.notice.find("\ninstall the extension"), std::string::npos) << choice.notice;
}

}  // namespace
}  // namespace velk
