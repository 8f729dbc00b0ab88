// The role's answers from the table: one pump per tick, captions cut as the seam says,
// the front window first, and nothing for what the table does not know.
#include <gtest/gtest.h>

#include "platform/linux/table_desktop_windows.h"

namespace velk {
namespace {

struct CountingProvider : IDesktopProvider {
    std::string_view Name() const override { return "counting"; }
    void Pump() override { ++pumps; }
    int EventFd() const override { return -1; }
    DWORD ProcessId(DesktopTable::Key key) const override { return key == 2 ? 4242 : 0; }
    int pumps = 0;
};

TEST(TableDesktopWindows, AnswersATickFromTheTableAfterOnePump) {
    DesktopTable table;
    CountingProvider provider;
    TableDesktopWindows role(table, provider);
    const HWND older = table.SetWindow(1, u"Mail");
    const HWND front = table.SetWindow(2, u"Editor");
    table.SetActive(2);

    EXPECT_EQ(role.GetForegroundWindow(), front);
    EXPECT_TRUE(role.FindWindowW(nullptr, u"MAIL"));
    EXPECT_FALSE(role.FindWindowW(u"SomeClass", u"Mail"));
    EXPECT_EQ(role.FindWindowW(nullptr, nullptr), front);
    EXPECT_EQ(provider.pumps, 1);

    char16_t buf[8] = u"xxxxxxx";
    for (const auto& [max, copied, text] :
         {std::tuple{1, 0, u""}, {3, 2, u"Ed"}, {8, 6, u"Editor"}}) {
        EXPECT_EQ(role.GetWindowTextW(front, buf, max), copied);
        EXPECT_EQ(std::u16string(buf), text);
    }
    EXPECT_EQ(role.GetWindowTextW(front, buf, 0), 0);
    EXPECT_EQ(role.GetWindowTextLengthW(HWND{5}), 0);

    std::vector<HWND> seen;
    EXPECT_EQ(role.EnumWindows([&](HWND h) {
        seen.push_back(h);
        return 1;
    }),
              1);
    EXPECT_EQ(seen, (std::vector<HWND>{front, older}));
    seen.clear();
    EXPECT_EQ(role.EnumWindows([&](HWND h) {
        seen.push_back(h);
        return 0;
    }),
              0);
    EXPECT_EQ(seen.size(), 1u);

    DWORD pid = 1;
    EXPECT_EQ(role.GetWindowThreadProcessId(front, &pid), 4242u);
    EXPECT_EQ(role.GetWindowThreadProcessId(older, &pid), 0u);
    EXPECT_EQ(pid, 0u);
    EXPECT_FALSE(role.SetForegroundWindow(older));  // this provider has no way to activate
}

}  // namespace
}  // namespace velk
