// The Linux home's desktop: the program's own windows from the model, the others from
// the desktop's provider, each call routed by the handle's side.
#include <gtest/gtest.h>

#include <vector>

#include "platform/model/client_windows.h"
#include "platform/model/joined_desktop.h"
#include "platform/model/real_time.h"
#include "platform/strings.h"

namespace velk::model {
namespace {

// A desktop of one other window, "Notes", in front.
class OneWindowDesktop : public IDesktopWindows {
  public:
    const HWND notes{kDesktopHandleBit | 4};
    HWND GetForegroundWindow() override { return notes; }
    BOOL SetForegroundWindow(HWND) override { return TRUE; }
    BOOL IsWindow(HWND h) override { return h == notes; }
    INT GetWindowTextLengthW(HWND h) override { return h == notes ? 5 : 0; }
    INT GetWindowTextW(HWND h, char16_t* buf, INT n) override {
        return CopyTruncated(h == notes ? u"Notes" : u"", buf, n);
    }
    HWND FindWindowW(const char16_t*, const char16_t* name) override {
        return name && FoldedEquals(name, u"notes") ? notes : HWND{};
    }
    BOOL EnumWindows(const WNDENUMPROC& callback) override { return callback(notes), TRUE; }
    DWORD GetWindowThreadProcessId(HWND, DWORD* pid) override { return *pid = 77, 78; }
};

TEST(JoinedDesktop, EachHandleGoesToItsSide) {
    RealTimeSource time;
    WindowModel model(time);
    model.AddClient(0x100);
    ClientWindows own(model, 0x100);
    OneWindowDesktop other;
    JoinedDesktop desktop(own, other);
    const HWND velk = own.CreateWindowExW(0, u"Frame", u"Velk", 0, 0, 0, 1, 1, HWND{}, 0, nullptr);

    EXPECT_EQ(desktop.FindWindowW(nullptr, u"velk"), velk);
    EXPECT_EQ(desktop.FindWindowW(nullptr, u"Notes"), other.notes);
    EXPECT_EQ(desktop.GetForegroundWindow(), other.notes);
    EXPECT_EQ(GetWindowTextString(desktop, velk), u"Velk");
    EXPECT_EQ(GetWindowTextString(desktop, other.notes), u"Notes");
    DWORD pid = 0;
    desktop.GetWindowThreadProcessId(velk, &pid);
    EXPECT_EQ(pid, 0x100u);
    std::vector<HWND> all;
    desktop.EnumWindows([&](HWND h) { return all.push_back(h), TRUE; });
    EXPECT_EQ(all, (std::vector<HWND>{velk, other.notes}));
}

}  // namespace
}  // namespace velk::model
