// Libraries planted under the device libraries' names beside Velk.exe and in its current
// directory are never loaded: the program looks its run-time libraries up in the system
// directory only, while it runs its rules, its settings dialog and its Find Window mode.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/resources.h"

#include "platform/win32/bluetooth.h"
#include "platform/win32/process.h"

#include "device_fixture.h"
#include "program.h"

namespace velk::wintest {
namespace {

namespace fs = std::filesystem;

// A fresh folder in the temporary directory, removed with what it holds when this goes.
class TempFolder {
  public:
    explicit TempFolder(const std::wstring& stem) {
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        path_ = fs::path(dir) / (L"velk-" + stem + L"-" + std::to_wstring(::GetTickCount64()));
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

class PlantedLibraries : public DrivenProgram {
  protected:
    void SetUp() override {
        DrivenProgram::SetUp();
        const fs::path marker = fs::path(DeviceLibraryDirectory()) / L"marker.dll";
        for (const fs::path* folder : {&programFolder_.Path(), &currentFolder_.Path()}) {
            for (const wchar_t* name : kDeviceLibraries)
                ASSERT_TRUE(fs::copy_file(marker, *folder / name));
        }
        ASSERT_TRUE(fs::copy_file(fs::path(ProgramPath()), program_));
    }

    // The planted copies that were loaded (each leaves "<name>.loaded" beside itself).
    std::vector<std::wstring> Loaded() const {
        std::vector<std::wstring> loaded;
        for (const fs::path* folder : {&programFolder_.Path(), &currentFolder_.Path()}) {
            for (const wchar_t* name : kDeviceLibraries) {
                const fs::path markerFile = *folder / (std::wstring(name) + L".loaded");
                if (fs::exists(markerFile))
                    loaded.push_back(markerFile.wstring());
            }
        }
        return loaded;
    }

    TempFolder programFolder_{L"program"};
    TempFolder currentFolder_{L"current"};
    fs::path program_ = programFolder_.Path() / L"Velk.exe";
};

TEST_F(PlantedLibraries, ThePlantedCopiesWouldBeFoundByAPlainLookup) {
    // The check below means something only if a careless lookup does find them.
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(currentFolder_.Path().c_str()));
    ::HMODULE careless = ::LoadLibraryW(L"bthutil.dll");
    ::SetCurrentDirectoryW(previous);
    ASSERT_TRUE(careless);
    ::FreeLibrary(careless);
    EXPECT_EQ(
        Loaded(),
        (std::vector<std::wstring>{(currentFolder_.Path() / L"bthutil.dll.loaded").wstring()}));
}

TEST_F(PlantedLibraries, TheBackendsLookupsPassThemByAndStillFindTheSystemsOwn) {
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(currentFolder_.Path().c_str()));
    {
        win32::Win32Process process;
        EXPECT_FALSE(process.LoadLibraryW(u"coredll.dll"));
        win32::Win32Bluetooth bluetooth;  // looks its library up when made
        DWORD mode = 7;
        EXPECT_NE(bluetooth.BthGetMode(&mode), 0);
        EXPECT_TRUE(process.LoadLibraryW(u"msimg32.dll")) << "a library of the system's";
    }
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(Loaded(), std::vector<std::wstring>{});
}

TEST_F(PlantedLibraries, AreNeverLoadedByTheRulesTheSettingsDialogOrFindWindow) {
    StoreInt(L"BTControl", 1);  // the Microsoft stack: its library is asked at every tick
    StoreText(L"OnList", L"#wInternet explorer;");
    ASSERT_TRUE(velk_.Start(program_.wstring(), {L"100"}, currentFolder_.Path().wstring()));
    frame_ = WaitForProcessWindow(velk_.Id(), L"Velk");
    ASSERT_TRUE(frame_);
    ChildProcess browser;
    ASSERT_TRUE(StartSettledWindowPeer(browser, L"Internet explorer"));
    ::Sleep(500);  // rules at five ticks

    ::PostMessageW(frame_, WM_COMMAND, ID_SETTINGS, 0);
    ::HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (dialog = VisibleWindowOf(velk_.Id(), L"Velk Settings", L"#32770")) != nullptr;
    }));
    ASSERT_TRUE(StartFindWindow(dialog));
    ::Sleep(1200);  // the mode's timer takes the hot key again twice
    ::PostMessageW(dialog, WM_HOTKEY, 0, 0);
    const ::HWND found = WaitForWindowFound();
    ASSERT_TRUE(found);
    Click(found, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; }));
    Click(dialog, IDOK);
    ASSERT_TRUE(WaitForSettingsClosed(dialog));
    ::PostMessageW(frame_, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_TRUE(velk_.WaitForExit(5000));

    EXPECT_EQ(Loaded(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace velk::wintest
