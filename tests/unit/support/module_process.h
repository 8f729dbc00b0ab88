// Test helpers for code that only needs the program's module file name: an IProcess
// whose other services answer as a failing platform would, and the UTF-16LE bytes of a
// registry text value.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"
#include "platform/strings.h"

namespace velk::testing_support {

class ModuleName : public IProcess {
  public:
    explicit ModuleName(std::u16string path = u"\\Windows\\Velk.exe") : path_(std::move(path)) {}
    DWORD GetModuleFileNameW(HMODULE, char16_t* buf, DWORD size) override {
        ++calls;
        lastSize = size;
        return static_cast<DWORD>(CopyTruncated(path_, buf, size));
    }
    CString GetProcessFileName(DWORD, DWORD) override { return {}; }
    HANDLE CreateMutexW(BOOL, const char16_t*) override { return HANDLE{}; }
    DWORD GetLastError() override { return 0; }
    INT GetThreadPriority() override { return 0; }
    BOOL SetThreadPriority(INT) override { return 0; }
    void Sleep(DWORD) override {}
    HMODULE LoadLibraryW(const char16_t*) override { return HMODULE{}; }
    FARPROC GetProcAddressW(HMODULE, const char16_t*) override { return FARPROC{}; }
    BOOL FreeLibrary(HMODULE) override { return 0; }
    BOOL CallUnregisterFunc1(FARPROC, UINT, UINT) override { return 0; }

    int calls = 0;
    DWORD lastSize = 0;

  private:
    std::u16string path_;
};

inline std::vector<BYTE> Utf16Bytes(std::u16string_view s, bool terminator) {
    std::vector<BYTE> b;
    for (char16_t c : s) {
        b.push_back(static_cast<BYTE>(c & 0xFF));
        b.push_back(static_cast<BYTE>(c >> 8));
    }
    if (terminator)
        b.insert(b.end(), {0, 0});
    return b;
}

}  // namespace velk::testing_support
