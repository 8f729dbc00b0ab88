// Velk.exe: the real Windows program. The application is the same as on the simulated
// handheld; only the platform behind it is the desktop's.
#include "mainframe/switcher_app.h"
#include "platform/framework/win_app.h"
#include "platform/platform.h"
#include "platform/resources.h"

#include "platform/win32/library.h"
#include "platform/win32/platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    // Before anything loads a library: only the system's own directory is searched.
    velk::win32::RestrictLibrarySearchToSystem();
    velk::win32::Win32Backend backend([](WORD id) { return velk::FindMenuTemplate(id); });
    const velk::Platform platform = backend.platform();
    velk::CSwitcherApp app(platform);
    // The arguments only, as the framework expects them.
    return velk::AfxWinMain(
        app, commandLine ? velk::CString(velk::win32::Seam(commandLine)) : velk::CString());
}
