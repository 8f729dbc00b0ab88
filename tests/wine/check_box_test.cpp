// Two-state check boxes of the platform itself, against the table the simulator's tests
// also run: the raw BM_SETCHECK on the settings dialog built from its template through
// the win32 backend, and stored values shown and stored again by the real Velk.exe.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/resources.h"
#include "platform/window_system.h"
#include "tests/wine/default_handler.h"

#include "platform/win32/window_system.h"

#include "harness.h"
#include "resource_ids.h"
#include "tests/unit/support/check_box_cases.h"

namespace velk::wintest {
namespace {

class PlatformCheckBox : public ::testing::TestWithParam<test::CheckBoxCase> {};

TEST_P(PlatformCheckBox, SetCheckOnTheSettingsDialogsTwoStateBoxes) {
    win32::Win32WindowSystem windows{FindMenuTemplate};
    DefaultHandler handler(windows);
    const DialogTemplate* settings = FindDialogTemplate(IDD_SETTINGS);
    ASSERT_NE(settings, nullptr);
    const HWND dialog = windows.CreateDialogIndirectW(*settings, HWND{}, &handler);
    ASSERT_TRUE(dialog);

    // The template's boxes are automatic ones; a plain two-state box beside them.
    const ::HWND plain = ::CreateWindowExW(0, L"BUTTON", L"plain", WS_CHILD | BS_CHECKBOX, 0, 0, 40,
                                           10, reinterpret_cast<::HWND>(dialog.value),
                                           reinterpret_cast<::HMENU>(900), nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    const auto value = static_cast<WPARAM>(static_cast<INT_PTR>(GetParam().value));
    for (const INT id : {IDC_KEEP_PDA_ON, IDC_OFF_TAKES_PRECEDENCE, 900}) {
        const HWND box = windows.GetDlgItem(dialog, id);
        ASSERT_TRUE(box) << id;
        windows.SendMessageW(box, BM_SETCHECK, value, 0);
        EXPECT_EQ(windows.SendMessageW(box, BM_GETCHECK, 0, 0), GetParam().shownAfterSetCheck)
            << "control " << id << ", value " << GetParam().value;
    }
    windows.DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Values, PlatformCheckBox, ::testing::ValuesIn(test::kCheckBoxCases));

// --- through the program ------------------------------------------------------------------

const std::wstring kSettingsKey = L"software\\Velk\\Velk\\Settings";

bool StoredInt(const std::wstring& name, ::DWORD* value) {
    ::DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg::GetValue(reg::Root::CurrentUser, kSettingsKey, name, &type, &data) ||
        type != REG_DWORD || data.size() != 4)
        return false;
    std::memcpy(value, data.data(), 4);
    return true;
}

class ProgramCheckBox : public ProgramTest,
                        public ::testing::WithParamInterface<test::CheckBoxCase> {};

TEST_P(ProgramCheckBox, StoredValuesAreShownAndStoredAsTheTableSays) {
    const auto stored = static_cast<::DWORD>(GetParam().value);
    ASSERT_TRUE(
        reg::SetValue(reg::Root::CurrentUser, kSettingsKey, L"KeepPDAOn", REG_DWORD, &stored, 4));
    ChildProcess velk;
    ASSERT_TRUE(velk.Start(ProgramPath(), {}));
    const ::HWND frame = WaitForProcessWindow(velk.Id(), L"Velk");
    ASSERT_NE(frame, nullptr);
    ::PostMessageW(frame, WM_COMMAND, ID_SETTINGS, 0);
    ::HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        dialog = WaitForProcessWindow(velk.Id(), L"Velk Settings", 100);
        return dialog != nullptr && ::IsWindowVisible(dialog);
    }));
    EXPECT_TRUE(WaitUntil([] { return ForegroundCaption() == L"Velk Settings"; }));

    const ::HWND box = ::GetDlgItem(dialog, IDC_KEEP_PDA_ON);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), GetParam().shownFromStored)
        << "stored " << GetParam().value;
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<::LPARAM>(::GetDlgItem(dialog, IDOK)));
    // The program writes the nine values after the dialog is gone, on its own thread: a
    // second Settings command runs only after the first has finished writing, so its
    // dialog showing means every value is stored.
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    ::PostMessageW(frame, WM_COMMAND, ID_SETTINGS, 0);
    ASSERT_TRUE(WaitUntil([&] {
        const ::HWND again = WaitForProcessWindow(velk.Id(), L"Velk Settings", 100);
        return again != nullptr && ::IsWindowVisible(again);
    }));
    ::DWORD values = 0, subKeys = 0;
    ASSERT_TRUE(reg::Counts(reg::Root::CurrentUser, kSettingsKey, &values, &subKeys));
    EXPECT_EQ(values, 9u);

    ::DWORD after = 0xDEAD;
    ASSERT_TRUE(StoredInt(L"KeepPDAOn", &after));
    EXPECT_EQ(static_cast<int>(after), GetParam().storedOnOk) << "stored " << GetParam().value;
    velk.Stop();
}

INSTANTIATE_TEST_SUITE_P(Values, ProgramCheckBox, ::testing::ValuesIn(test::kCheckBoxCases));

}  // namespace
}  // namespace velk::wintest
