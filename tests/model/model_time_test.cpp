// The model on the real clock: timers fire after real time passes, and a wait for the
// next timer ends early when input arrives. Bounds are generous: only "not before its
// time" and "long before the far deadline" are asserted.
#include <chrono>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "platform/model/client_windows.h"
#include "platform/model/input.h"
#include "platform/model/real_time.h"
#include "res/resource_ids.h"

namespace velk::model {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr DWORD kPid = 0x100;

// A host loop whose events are a user's action, delivered on the loop's own thread as
// a toolkit would: the first time the model waits, the user acts.
class ActingLoop : public IHostLoop {
  public:
    std::function<void()> action;
    std::optional<SteadyTime> lastDeadline;
    void RunUntil(std::optional<SteadyTime> deadline) override {
        lastDeadline = deadline;
        if (action) {
            auto act = std::move(action);
            action = nullptr;
            act();
        }
        loop_.RunUntil(deadline);
    }
    void Interrupt() override { loop_.Interrupt(); }

  private:
    SleepingHostLoop loop_;
};

TEST(ModelRealTime, TimerFiresAfterItsPeriodOfRealTime) {
    RealTimeSource time;
    WindowModel model(time);
    model.AddClient(kPid);
    ClientWindows windows(model, kPid);
    const HWND frame =
        windows.CreateWindowExW(0, u"Frame", u"Frame", 0, 0, 0, 10, 10, HWND{}, 0, nullptr);
    ASSERT_TRUE(frame);
    const auto start = steady_clock::now();
    windows.SetTimer(frame, 7, 60);
    MSG msg;
    ASSERT_TRUE(windows.GetMessageW(&msg, HWND{}, 0, 0));
    const auto waited = steady_clock::now() - start;
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_GE(waited, milliseconds(60));
    EXPECT_LT(waited, milliseconds(30000));
}

TEST(ModelRealTime, WaitEndsEarlyWhenTheUserActs) {
    ActingLoop loop;
    RealTimeSource time(loop);
    WindowModel model(time);
    model.AddClient(kPid);
    ClientWindows windows(model, kPid);
    const HWND dialog = windows.CreateDialogIndirectW(*FindDialogTemplate(130), HWND{}, nullptr);
    ASSERT_TRUE(dialog);
    windows.ShowWindow(dialog, SW_SHOW);
    windows.SetTimer(dialog, 1, 60000);
    UserInput input(model);
    loop.action = [&] { input.Click(dialog, IDC_FIND_WINDOW); };

    const auto start = steady_clock::now();
    MSG msg;
    ASSERT_TRUE(windows.GetMessageW(&msg, HWND{}, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(msg.hwnd, windows.GetDlgItem(dialog, IDC_FIND_WINDOW));
    EXPECT_LT(steady_clock::now() - start, milliseconds(30000));
    ASSERT_TRUE(loop.lastDeadline.has_value());  // it waited for the timer, not forever
}

TEST(ModelRealTime, WakeFromAnotherThreadEndsAWaitWithoutDeadline) {
    RealTimeSource time;
    std::thread waker([&] {
        std::this_thread::sleep_for(milliseconds(20));
        time.Wake();
    });
    EXPECT_EQ(time.WaitUntil(std::nullopt, kPid), WaitEnd::Woken);
    waker.join();
    // A wake that came before the wait ends the next wait at once.
    time.Wake();
    EXPECT_EQ(time.WaitUntil(time.Now() + 60000, kPid), WaitEnd::Woken);
    EXPECT_EQ(time.WaitUntil(time.Now(), kPid), WaitEnd::Deadline);
}

}  // namespace
}  // namespace velk::model
