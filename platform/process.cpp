#include "platform/process.h"

#include <vector>

namespace velk {

namespace {

constexpr DWORD kFirstBufferChars = 260;
constexpr DWORD kLongestPathChars = 32768;  // the longest path the platform knows

}  // namespace

CString GetModulePath(IProcess& process, DWORD maxChars) {
    std::vector<char16_t> buf(static_cast<std::size_t>(maxChars) + 1, u'\0');
    DWORD n = process.GetModuleFileNameW(HMODULE{}, buf.data(), maxChars);
    if (n > maxChars)
        n = maxChars;  // never trust a count past the buffer
    CString path(buf.data(), n);
    const std::size_t nul = path.find(u'\0');
    if (nul != CString::npos)
        path.resize(nul);
    return path;
}

CString GetFullModulePath(IProcess& process) {
    for (DWORD size = kFirstBufferChars;; size *= 2) {
        CString path = GetModulePath(process, size);
        // A path that filled the buffer may have been cut: look again with more room.
        if (path.size() + 1 < size || size >= kLongestPathChars)
            return path;
    }
}

}  // namespace velk
