#include "harness.h"

#include <filesystem>
#include <fstream>

// The desktop's predefined roots, named where its macros mean its own types.
static ::HKEY NativeRoot(bool machine) {
    return machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

namespace velk::wintest {
namespace {

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring Quote(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            backslashes = backslashes * 2 + 1;
        out.append(backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, L'\\');
    out.push_back(L'"');
    return out;
}

std::wstring Env(const wchar_t* name) {
    wchar_t buf[MAX_PATH * 2];
    const ::DWORD n = ::GetEnvironmentVariableW(name, buf, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

bool ChildProcess::Start(const std::wstring& exe, const std::vector<std::wstring>& args,
                         const std::wstring& directory) {
    Stop();
    std::wstring commandLine = Quote(exe);
    for (const std::wstring& arg : args)
        commandLine += L" " + Quote(arg);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &si, &pi)) {
        return false;
    }
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    return true;
}

bool ChildProcess::Running() const {
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD milliseconds, DWORD* exitCode) {
    if (!process_)
        return true;
    if (::WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0)
        return false;
    ::DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    if (exitCode)
        *exitCode = code;
    return true;
}

void ChildProcess::Stop() {
    if (!process_)
        return;
    if (Running()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 10000);
    }
    process_.reset();
    pid_ = 0;
}

std::wstring TestDirectory() {
    wchar_t path[MAX_PATH];
    const ::DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::wstring PeerPath() {
    std::wstring path = Env(L"VELK_PEER");
    return path.empty() ? TestDirectory() + L"velk_peer.exe" : path;
}

std::wstring ProgramPath() {
    std::wstring path = Env(L"VELK_EXE");
    return path.empty() ? TestDirectory() + L"..\\..\\apps\\velk\\Velk.exe" : path;
}

bool StartConsolePeer(ChildProcess& child, const std::wstring& log) {
    return child.Start(PeerPath(), {L"console", log}) && WaitForWindow(L"Bluetooth Console");
}

bool StartWindowPeer(ChildProcess& child, const std::wstring& caption) {
    return child.Start(PeerPath(), {L"window", caption}) && WaitForWindow(caption) &&
           WaitUntil([&] { return ForegroundCaption() == caption; });
}

bool StartEventsPeer(ChildProcess& child, const std::wstring& log) {
    if (!child.Start(PeerPath(), {L"events", log}))
        return false;
    return WaitUntil([&] {
        std::ifstream in{std::filesystem::path(log)};
        std::string line;
        return std::getline(in, line) && line == "ready";
    });
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
}

::HWND WaitForWindow(const std::wstring& caption, DWORD milliseconds) {
    ::HWND found = nullptr;
    WaitUntil([&] { return (found = ::FindWindowW(nullptr, caption.c_str())) != nullptr; },
              milliseconds);
    return found;
}

::HWND WaitForProcessWindow(DWORD pid, const std::wstring& caption, DWORD milliseconds) {
    struct Search {
        ::DWORD pid;
        const std::wstring* caption;
        ::HWND found;
    } search{pid, &caption, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(
                [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
                    auto* s = reinterpret_cast<Search*>(lParam);
                    ::DWORD owner = 0;
                    ::GetWindowThreadProcessId(hwnd, &owner);
                    wchar_t buf[256];
                    const int n = ::GetWindowTextW(hwnd, buf, 256);
                    if (owner != s->pid || std::wstring(buf, n > 0 ? n : 0) != *s->caption) {
                        return TRUE;
                    }
                    s->found = hwnd;
                    return FALSE;
                },
                reinterpret_cast<::LPARAM>(&search));
            return search.found != nullptr;
        },
        milliseconds);
    return search.found;
}

std::wstring ForegroundCaption() {
    ::HWND hwnd = ::GetForegroundWindow();
    if (!hwnd)
        return {};
    wchar_t buf[512];
    const int n = ::GetWindowTextW(hwnd, buf, 512);
    return std::wstring(buf, n > 0 ? n : 0);
}

TempFile::TempFile(const std::wstring& stem) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    path_ = std::wstring(dir) + L"velk-" + stem + L"-" + std::to_wstring(::GetCurrentProcessId()) +
            L"-" + std::to_wstring(::GetTickCount64()) + L".log";
    ::DeleteFileW(path_.c_str());
}

TempFile::~TempFile() {
    ::DeleteFileW(path_.c_str());
}

std::vector<std::string> TempFile::Lines() const {
    std::vector<std::string> lines;
    std::ifstream in{std::filesystem::path(path_)};
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

namespace reg {

static ::HKEY Native(Root root) {
    return NativeRoot(root == Root::LocalMachine);
}

void DeleteTree(Root root, const std::wstring& path) {
    ::RegDeleteTreeW(Native(root), path.c_str());
}

bool KeyExists(Root root, const std::wstring& path) {
    ::HKEY key = nullptr;
    if (::RegOpenKeyExW(Native(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool Counts(Root root, const std::wstring& path, ::DWORD* values, ::DWORD* subKeys) {
    win32::UniqueKey key;
    ::HKEY raw = nullptr;
    if (::RegOpenKeyExW(Native(root), path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return false;
    key.reset(raw);
    ::DWORD v = 0, k = 0;
    if (::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &k, nullptr, nullptr, &v, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    *values = v;
    *subKeys = k;
    return true;
}

bool SetValue(Root root, const std::wstring& path, const std::wstring& name, ::DWORD type,
              const void* data, ::DWORD size) {
    ::HKEY raw = nullptr;
    if (::RegCreateKeyExW(Native(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    win32::UniqueKey key(raw);
    return ::RegSetValueExW(raw, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool GetValue(Root root, const std::wstring& path, const std::wstring& name, ::DWORD* type,
              std::vector<BYTE>* data) {
    ::HKEY raw = nullptr;
    if (::RegOpenKeyExW(Native(root), path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return false;
    win32::UniqueKey key(raw);
    ::DWORD t = 0, size = 0;
    if (::RegQueryValueExW(raw, name.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    data->assign(size, 0);
    if (::RegQueryValueExW(raw, name.c_str(), nullptr, &t, data->data(), &size) != ERROR_SUCCESS) {
        return false;
    }
    data->resize(size);
    *type = t;
    return true;
}

}  // namespace reg
}  // namespace velk::wintest
