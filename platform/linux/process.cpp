#include "platform/linux/process.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/strings.h"

namespace velk::linux {

namespace {

constexpr INT kIdleLevel = THREAD_PRIORITY_IDLE_CE;
constexpr int kIdleNice = 19;
constexpr DWORD kModuleNotFound = 126;  // ERROR_MOD_NOT_FOUND

// Whether this thread may go back to nice after going to idle: raising priority again
// needs the privilege, or a nice limit that reaches that far.
bool MayReturnTo(int nice) {
    if (::geteuid() == 0)
        return true;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NICE, &limit) != 0)
        return false;
    return limit.rlim_cur == RLIM_INFINITY || nice >= 20 - static_cast<int>(limit.rlim_cur);
}

int ThreadId() {
    return static_cast<int>(::syscall(SYS_gettid));
}

}  // namespace

std::string ProcessExecutable(long pid) {
    const std::string link =
        pid == 0 ? std::string("/proc/self/exe") : "/proc/" + std::to_string(pid) + "/exe";
    std::string path(4096, '\0');
    const ssize_t n = ::readlink(link.c_str(), path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
}

LinuxProcess::LinuxProcess(std::string lockFile) : lockFile_(std::move(lockFile)) {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(ThreadId()));
    startNice_ = errno == 0 ? nice : 0;
}

LinuxProcess::~LinuxProcess() {
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

DWORD LinuxProcess::GetModuleFileNameW(HMODULE, char16_t* buf, DWORD size) {
    if (buf == nullptr || size == 0)
        return 0;
    const std::u16string path = FromUtf8(ProcessExecutable(0));
    // As the platform does: a path that does not fit is cut, and the count is the size.
    const std::size_t n = std::min<std::size_t>(path.size(), size - 1);
    path.copy(buf, n);
    buf[n] = u'\0';
    lastError_ = 0;
    return path.size() >= size ? size : static_cast<DWORD>(n);
}

CString LinuxProcess::GetProcessFileName(DWORD pid, DWORD maxChars) {
    if (pid == 0)
        return {};
    CString path = FromUtf8(ProcessExecutable(static_cast<long>(pid)));
    if (path.size() > maxChars)
        path.resize(maxChars);
    return path;
}

HANDLE LinuxProcess::CreateMutexW(BOOL, const char16_t*) {
    if (lockFd_ >= 0) {
        lastError_ = ERROR_ALREADY_EXISTS;  // asked again by the copy that holds it
        return HANDLE{static_cast<std::uintptr_t>(lockFd_) + 1};
    }
    const int fd =
        ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0) {
        lastError_ = static_cast<DWORD>(ERROR_ACCESS_DENIED);
        return HANDLE{};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lockFd_ = fd;
        heldElsewhere_ = false;
        lastError_ = 0;
        return HANDLE{static_cast<std::uintptr_t>(fd) + 1};
    }
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    heldElsewhere_ = busy;
    lastError_ =
        busy ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : static_cast<DWORD>(ERROR_ACCESS_DENIED);
    // The platform hands out a handle to a mutex that exists already; this one stands for
    // nothing that needs closing.
    return busy ? HANDLE{0x7FFF0000} : HANDLE{};
}

BOOL LinuxProcess::SetThreadPriority(INT priority) {
    if (priority < 0 || priority > kIdleLevel)
        return 0;
    const int nice = priority == kIdleLevel ? kIdleNice : startNice_;
    if (priority == kIdleLevel && !MayReturnTo(startNice_))
        return 0;
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(ThreadId()), nice) != 0)
        return 0;
    level_ = priority;
    return 1;
}

void LinuxProcess::Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

HMODULE LinuxProcess::LoadLibraryW(const char16_t*) {
    lastError_ = kModuleNotFound;
    return HMODULE{};
}

FARPROC LinuxProcess::GetProcAddressW(HMODULE, const char16_t*) {
    return FARPROC{};
}

BOOL LinuxProcess::FreeLibrary(HMODULE) {
    return 0;
}

BOOL LinuxProcess::CallUnregisterFunc1(FARPROC, UINT, UINT) {
    return 0;
}

}  // namespace velk::linux
