// Velk.exe itself under Wine: started as a user would, with the peers around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string_view>

#include "mainframe/main_frame.h"

#include "harness.h"
#include "resource_ids.h"

namespace velk::wintest {
namespace {

class VelkExe : public ProgramTest {
  protected:
    // Starts the program with a command line and waits for its (hidden) frame window.
    ::HWND Start(ChildProcess& velk, const std::vector<std::wstring>& args = {}) {
        if (!velk.Start(ProgramPath(), args))
            return nullptr;
        return WaitForProcessWindow(velk.Id(), L"Velk");
    }
};

TEST_F(VelkExe, StartsHiddenAndLeavesItsSettingsKeyPath) {
    ChildProcess velk;
    const ::HWND frame = Start(velk);
    ASSERT_TRUE(frame);
    // The frame is created visible and hidden right after, with everything else. The
    // program answers a sent message only from its message loop, after its start-up.
    ::DWORD_PTR result = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(frame); }, 5000));
    EXPECT_TRUE(WaitUntil(
        [&] { return reg::KeyExists(reg::Root::CurrentUser, L"software\\Velk\\Velk\\Settings"); },
        5000));
    EXPECT_TRUE(velk.Running());
    ::Sleep(300);
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM pid) -> ::BOOL {
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == static_cast<::DWORD>(pid)) {
                wchar_t cls[64] = {};
                ::GetClassNameW(hwnd, cls, 64);
                EXPECT_FALSE(::IsWindowVisible(hwnd))
                    << "a window of the program shows, of class " << ::testing::PrintToString(cls);
            }
            return TRUE;
        },
        static_cast<::LPARAM>(velk.Id()));
}

TEST_F(VelkExe, ASecondCopyHandsOverAndEndsWithMinusOne) {
    ChildProcess first, second;
    ASSERT_TRUE(Start(first));
    ASSERT_TRUE(second.Start(ProgramPath(), {}));
    DWORD code = 0;
    ASSERT_TRUE(second.WaitForExit(8000, &code));
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_TRUE(first.Running());
}

TEST_F(VelkExe, RunningBrowserTurnsBluetoothOnAtTheNextTick) {
    TempFile log(L"velk-console");
    ChildProcess console, browser, velk;
    ASSERT_TRUE(StartConsolePeer(console, log.Path()));
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));
    ASSERT_TRUE(Start(velk, {L"200"}));
    EXPECT_TRUE(WaitUntil([&] { return !log.Lines().empty(); }, 5000));
    ::Sleep(1000);  // five more ticks: the radio is on now, nothing more is sent
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"4098 0"}));
}

TEST_F(VelkExe, ExitCommandEndsTheProgram) {
    ChildProcess velk;
    const ::HWND frame = Start(velk);
    ASSERT_TRUE(frame);
    ::PostMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);  // "E&xit"
    DWORD code = 1;
    EXPECT_TRUE(velk.WaitForExit(5000, &code));
    EXPECT_EQ(code, 0u);
}

// The visible pop-up menu window of process pid, or null.
::HWND OpenMenuOf(DWORD pid) {
    struct Search {
        ::DWORD pid;
        ::HWND found;
    } search{pid, nullptr};
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t cls[16] = {};
            ::GetClassNameW(hwnd, cls, 16);
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid && std::wstring(cls) == L"#32768" && ::IsWindowVisible(hwnd)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.found;
}

TEST_F(VelkExe, ATapOnTheIconOpensTheFileMenuWhoseExitEndsTheProgram) {
    ChildProcess velk;
    const ::HWND frame = Start(velk);
    ASSERT_TRUE(frame);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(frame); }, 5000));

    ::PostMessageW(frame, kIconNotifyMessage, 1, WM_LBUTTONUP);  // not a tap
    ::Sleep(300);
    EXPECT_FALSE(OpenMenuOf(velk.Id()));

    ::PostMessageW(frame, kIconNotifyMessage, 1, WM_LBUTTONDOWN);
    ::HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = OpenMenuOf(velk.Id())) != nullptr; }, 5000));
    // The menu's loop takes the program's keyboard input: "x" chooses "E&xit".
    ::PostMessageW(frame, WM_KEYDOWN, 'X', 0);
    ::PostMessageW(frame, WM_CHAR, 'x', 0);
    DWORD code = 1;
    EXPECT_TRUE(velk.WaitForExit(8000, &code));
    EXPECT_EQ(code, 0u);
}

// The resources of the program as built, read back from Velk.exe, and its manifest as the
// system's loader understands it.
class ShippedResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = ::LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(module_);
    }
    void TearDown() override { ::FreeLibrary(module_); }
    std::string_view Resource(const wchar_t* type, WORD id) const {
        const ::HRSRC found = ::FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (!found)
            return {};
        return {static_cast<const char*>(::LockResource(::LoadResource(module_, found))),
                ::SizeofResource(module_, found)};
    }

    ::HMODULE module_ = nullptr;
};

TEST_F(ShippedResources, EachIconOffersEveryScaleEachImageDrawnAtItsSize) {
    const std::set<int> tray = {16, 20, 24, 32, 40, 48};
    const struct {
        WORD id;
        std::set<int> sizes;
    } icons[] = {{128, {16, 20, 24, 32, 40, 48}}, {133, tray}, {137, tray}};
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.id);
        const std::string_view directory = Resource(RT_GROUP_ICON, icon.id);
        ASSERT_GE(directory.size(), 6u);
        const auto count = *reinterpret_cast<const WORD*>(directory.data() + 4);
        ASSERT_EQ(directory.size(), 6u + 14u * count);
        std::set<int> sizes;
        for (WORD i = 0; i < count; ++i) {
            const char* entry = directory.data() + 6 + 14 * i;
            const int size = static_cast<unsigned char>(entry[0]);
            sizes.insert(size);
            const std::string_view image =
                Resource(RT_ICON, *reinterpret_cast<const WORD*>(entry + 12));
            ASSERT_GE(image.size(), sizeof(::BITMAPINFOHEADER));
            const auto* header = reinterpret_cast<const ::BITMAPINFOHEADER*>(image.data());
            EXPECT_EQ(header->biWidth, size);
            EXPECT_EQ(header->biHeight, 2 * size);  // the colours and the mask
        }
        EXPECT_EQ(sizes, icon.sizes);
    }
}

TEST_F(ShippedResources, TheManifestAsksForScalingPerMonitorThemedControlsAndNamesTheSystems) {
    EXPECT_NE(Resource(RT_MANIFEST, 1).find("Microsoft.Windows.Common-Controls"),
              std::string_view::npos);
    const std::wstring path = ProgramPath();
    ::ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    const ::HANDLE context = ::CreateActCtxW(&request);
    ASSERT_NE(reinterpret_cast<std::intptr_t>(context), -1);

    const auto setting = [&](const wchar_t* space, const wchar_t* name) {
        wchar_t value[64] = {};
        ::SIZE_T written = 0;
        ::QueryActCtxSettingsW(0, context, space, name, value, 64, &written);
        return std::wstring(value);
    };
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
              L"true/pm");

    // Windows 7, 8, 8.1 and 10 (and 11), by their identifiers.
    alignas(8) char buffer[512] = {};
    ::SIZE_T size = 0;
    ASSERT_TRUE(::QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                               buffer, sizeof buffer, &size));
    // A count, then per element an identifier and a type; newer systems add a 64-bit
    // version to each (and align the list for it).
    const auto count = *reinterpret_cast<const ::DWORD*>(buffer);
    ASSERT_GT(count, 0u);
    const std::size_t stride = size >= 8 + count * 32 ? 32 : 20, first = stride == 32 ? 8 : 4;
    std::vector<::GUID> systems;
    for (::DWORD i = 0; i < count; ++i) {
        const char* element = buffer + first + i * stride;
        if (*reinterpret_cast<const ::DWORD*>(element + 16) == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)
            systems.push_back(*reinterpret_cast<const ::GUID*>(element));
    }
    const ::GUID expected[] = {
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}};
    EXPECT_EQ(systems.size(), std::size(expected));
    for (const ::GUID& id : expected)
        EXPECT_NE(std::find(systems.begin(), systems.end(), id), systems.end());

    // The common controls it depends on are found: comctl32.dll means their version 6.
    ::ULONG_PTR cookie = 0;
    ASSERT_TRUE(::ActivateActCtx(context, &cookie));
    ::ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof data;
    EXPECT_TRUE(::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                           L"comctl32.dll", &data));
    ::DeactivateActCtx(0, cookie);
    ::ReleaseActCtx(context);
}

}  // namespace
}  // namespace velk::wintest
