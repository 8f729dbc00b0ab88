// Driving Velk.exe from outside as a user would: its dialogs' controls read and changed
// across the process boundary, its settings as the registry holds them, and a fixture
// that starts the program and opens its settings dialog.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "resource_ids.h"

namespace velk::wintest {

inline const std::wstring kSettingsKey = L"software\\Velk\\Velk\\Settings";
inline const std::wstring kPrompt =
    L"Launch Application you want to add to On or Off list and press Application Button 1!";

// --- talking to another process's controls -----------------------------------------------

inline ::LRESULT SendTo(::HWND dialog, int id, ::UINT message, ::WPARAM wParam = 0,
                        ::LPARAM lParam = 0) {
    return ::SendMessageW(::GetDlgItem(dialog, id), message, wParam, lParam);
}

// WM_GETTEXT is carried across processes; GetWindowTextW would not ask the control.
inline std::wstring WindowText(::HWND hwnd) {
    const auto length = ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const auto got =
        ::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<::LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

inline std::wstring ControlText(::HWND dialog, int id) {
    return WindowText(::GetDlgItem(dialog, id));
}

inline void SetControlText(::HWND dialog, int id, const std::wstring& text) {
    SendTo(dialog, id, WM_SETTEXT, 0, reinterpret_cast<::LPARAM>(text.c_str()));
}

// What a click on a push button tells its dialog.
inline void Click(::HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<::LPARAM>(::GetDlgItem(dialog, id)));
}

inline std::vector<std::wstring> ComboItems(::HWND dialog, int id) {
    std::vector<std::wstring> items;
    const auto count = SendTo(dialog, id, CB_GETCOUNT);
    for (::LRESULT i = 0; i < count; ++i) {
        const auto length = SendTo(dialog, id, CB_GETLBTEXTLEN, static_cast<::WPARAM>(i));
        std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        const auto got = SendTo(dialog, id, CB_GETLBTEXT, static_cast<::WPARAM>(i),
                                reinterpret_cast<::LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        items.push_back(text);
    }
    return items;
}

// A visible top-level window of process pid with that caption and window class.
inline ::HWND VisibleWindowOf(::DWORD pid, const std::wstring& caption,
                              const std::wstring& windowClass) {
    struct Search {
        ::DWORD pid;
        const std::wstring* caption;
        const std::wstring* windowClass;
        ::HWND found;
    } search{pid, &caption, &windowClass, nullptr};
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64] = {};
            ::GetClassNameW(hwnd, cls, 64);
            if (owner == s->pid && ::IsWindowVisible(hwnd) && cls == *s->windowClass &&
                WindowText(hwnd) == *s->caption) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.found;
}

inline int CountWindowsOf(::DWORD pid, const std::wstring& caption) {
    struct Search {
        ::DWORD pid;
        const std::wstring* caption;
        int count;
    } search{pid, &caption, 0};
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid && WindowText(hwnd) == *s->caption)
                ++s->count;
            return TRUE;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.count;
}

// True when some child of window shows exactly that text.
inline bool HasChildText(::HWND window, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        bool found;
    } search{&text, false};
    ::EnumChildWindows(
        window,
        [](::HWND child, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            s->found = WindowText(child) == *s->text;
            return !s->found;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.found;
}

// The peer's window in front, and staying there: under Wine the X server's focus
// events for a new window arrive a little after it becomes the foreground window, and
// until they have, they take the front back from anyone else.
inline bool StartSettledWindowPeer(ChildProcess& child, const std::wstring& caption) {
    if (!StartWindowPeer(child, caption))
        return false;
    ULONGLONG since = ::GetTickCount64();
    return WaitUntil([&] {
        if (ForegroundCaption() != caption)
            since = ::GetTickCount64();
        return ::GetTickCount64() - since >= 500;
    });
}

// --- the store as the registry holds it --------------------------------------------------

inline void StoreInt(const std::wstring& name, ::DWORD value) {
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kSettingsKey, name, REG_DWORD, &value, 4));
}

inline void StoreText(const std::wstring& name, const std::wstring& text) {
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kSettingsKey, name, REG_SZ, text.c_str(),
                              static_cast<::DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

inline ::testing::AssertionResult StoredInt(const std::wstring& name, ::DWORD expected) {
    ::DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg::GetValue(reg::Root::CurrentUser, kSettingsKey, name, &type, &data))
        return ::testing::AssertionFailure() << "no value";
    if (type != REG_DWORD || data.size() != 4)
        return ::testing::AssertionFailure() << "type " << type << ", " << data.size() << " bytes";
    ::DWORD value = 0;
    std::memcpy(&value, data.data(), 4);
    if (value != expected)
        return ::testing::AssertionFailure() << "value " << static_cast<::LONG>(value);
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult StoredText(const std::wstring& name,
                                             const std::wstring& expected) {
    ::DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg::GetValue(reg::Root::CurrentUser, kSettingsKey, name, &type, &data))
        return ::testing::AssertionFailure() << "no value";
    // The terminating null is stored with the text.
    std::wstring stored = expected;
    stored.push_back(L'\0');
    if (type != REG_SZ || data.size() != stored.size() * sizeof(wchar_t) ||
        std::memcmp(data.data(), stored.data(), data.size()) != 0) {
        return ::testing::AssertionFailure() << "type " << type << ", " << data.size() << " bytes";
    }
    return ::testing::AssertionSuccess();
}

inline ::DWORD StoredValueCount() {
    ::DWORD values = 0, subKeys = 0;
    return reg::Counts(reg::Root::CurrentUser, kSettingsKey, &values, &subKeys) ? values
                                                                                : 0xFFFFFFFFu;
}

// Runs the Settings command of the program whose main window is frame; the dialog once it
// shows, or null.
inline ::HWND RunSettingsCommand(::DWORD pid, ::HWND frame) {
    if (!frame)
        return nullptr;
    ::PostMessageW(frame, WM_COMMAND, ID_SETTINGS, 0);
    ::HWND dialog = nullptr;
    WaitUntil(
        [&] { return (dialog = VisibleWindowOf(pid, L"Velk Settings", L"#32770")) != nullptr; });
    return dialog;
}

class DrivenProgram : public ProgramTest {
  protected:
    void TearDown() override {
        velk_.Stop();
        ProgramTest::TearDown();
    }

    // Starts the program and runs its Settings command; the dialog once it shows, or null.
    ::HWND OpenSettings(const std::vector<std::wstring>& args = {}) {
        if (!velk_.Start(ProgramPath(), args))
            return nullptr;
        frame_ = WaitForProcessWindow(velk_.Id(), L"Velk");
        return RunSettingsCommand(velk_.Id(), frame_);
    }

    // The dialog is closed and gone, and the command that ran it has ended: the window
    // goes as its modal loop ends, before OK's writes, and the program's thread answers
    // a sent message only once it is back in its own message loop.
    bool WaitForSettingsClosed(::HWND dialog) {
        if (!WaitUntil([&] { return !::IsWindow(dialog); }))
            return false;
        ::DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(frame_, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result) != 0;
    }

    // Presses "Find Window!" and dismisses the prompt; true once the dialog has hidden.
    bool StartFindWindow(::HWND dialog) {
        Click(dialog, IDC_FIND_WINDOW);
        ::HWND prompt = nullptr;
        if (!WaitUntil([&] {
                return (prompt = VisibleWindowOf(velk_.Id(), L"Velk", L"#32770")) != nullptr;
            })) {
            ADD_FAILURE() << "no prompt";
            return false;
        }
        EXPECT_TRUE(HasChildText(prompt, kPrompt));
        ::PostMessageW(prompt, WM_COMMAND, IDOK, 0);
        return WaitUntil([&] { return !::IsWindowVisible(dialog); });
    }

    ::HWND WaitForWindowFound() {
        ::HWND found = nullptr;
        WaitUntil([&] {
            return (found = VisibleWindowOf(velk_.Id(), L"Window Found", L"#32770")) != nullptr;
        });
        return found;
    }

    ChildProcess velk_;
    ::HWND frame_ = nullptr;
};

}  // namespace velk::wintest
