#include "platform/linux/rfkill.h"

#include <fcntl.h>
#include <linux/rfkill.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>

namespace velk::linux {
namespace {

constexpr char kDevice[] = "/dev/rfkill";
constexpr std::size_t kV1 = RFKILL_EVENT_SIZE_V1;
#ifdef RFKILL_IOCTL_MAX_SIZE
constexpr std::size_t kLargest = sizeof(rfkill_event_ext);
#else
constexpr std::size_t kLargest = kV1;
#endif
static_assert(kV1 == 8, "the kernel's first event layout is 8 bytes");

std::string ErrnoText(int error) {
    return std::strerror(error);
}

}  // namespace

std::string Describe(const RfkillSwitch& s) {
    std::string text = "switch " + std::to_string(s.index);
    if (!s.name.empty())
        text += " (" + s.name + ")";
    text += s.soft && s.hard ? ": blocked by software and by hardware"
            : s.hard         ? ": blocked by hardware"
            : s.soft         ? ": blocked by software"
                             : ": unblocked";
    return text;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0)
        ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

UniqueFd KernelRfkillDevice::Open(bool forWriting) {
    return UniqueFd(::open(kDevice, (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC));
}

bool KernelRfkillDevice::RequestEventSize(int fd, std::uint32_t size) {
#ifdef RFKILL_IOCTL_MAX_SIZE
    return ::ioctl(fd, RFKILL_IOCTL_MAX_SIZE, &size) == 0;
#else
    (void)fd;
    (void)size;
    errno = ENOTTY;
    return false;
#endif
}

ssize_t KernelRfkillDevice::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

std::string KernelRfkillDevice::Name(std::uint32_t index) {
    std::ifstream file("/sys/class/rfkill/rfkill" + std::to_string(index) + "/name");
    std::string name;
    std::getline(file, name);
    return name;
}

bool Rfkill::Fail(std::string reason, int error) {
    lastFailure_ = std::move(reason);
    denied_ = error == EACCES || error == EPERM;
    return false;
}

UniqueFd Rfkill::Open(bool forWriting) {
    errno = 0;
    UniqueFd fd = device_.Open(forWriting);
    if (!fd) {
        const int error = errno;
        Fail(std::string("cannot open ") + kDevice + (forWriting ? " for writing: " : ": ") +
                 ErrnoText(error),
             error);
        errno = error;
        return fd;
    }
    // The kernel sends the larger events only to a reader that asked for them, on each
    // descriptor; whether it knows them is learnt once.
    if (eventSize_ == 0) {
        eventSize_ =
            kLargest > kV1 && device_.RequestEventSize(fd.get(), kLargest) ? kLargest : kV1;
    } else if (eventSize_ > kV1 && !device_.RequestEventSize(fd.get(), kLargest)) {
        Fail(std::string(kDevice) + " refused the event size it took before: " + ErrnoText(errno),
             errno);
        errno = EPROTO;
        return UniqueFd();
    }
    return fd;
}

std::optional<std::vector<RfkillSwitch>> Rfkill::Switches(std::uint8_t type) {
    UniqueFd fd = Open(false);
    if (!fd) {
        if (errno == ENOENT) {
            lastFailure_.clear();
            denied_ = false;
            return std::vector<RfkillSwitch>{};
        }
        return std::nullopt;
    }
    std::map<std::uint32_t, RfkillSwitch> all;
    std::vector<std::uint32_t> order;
    unsigned char event[kLargest > kV1 ? kLargest : kV1];
    for (;;) {
        const ssize_t n = ::read(fd.get(), event, eventSize_);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;  // every queued event read
        if (n < 0) {
            Fail(std::string("cannot read ") + kDevice + ": " + ErrnoText(errno), errno);
            return std::nullopt;
        }
        if (n == 0)
            break;
        // An older kernel may send fewer bytes than asked; never fewer than its first layout.
        if (static_cast<std::size_t>(n) < kV1) {
            Fail(std::string(kDevice) + " sent an event of " + std::to_string(n) + " bytes");
            return std::nullopt;
        }
        rfkill_event ev;
        std::memcpy(&ev, event, sizeof ev);
        if (ev.op == RFKILL_OP_DEL) {
            all.erase(ev.idx);
            continue;
        }
        if (ev.op != RFKILL_OP_ADD && ev.op != RFKILL_OP_CHANGE)
            continue;
        auto [it, added] = all.try_emplace(ev.idx);
        if (added)
            order.push_back(ev.idx);
        it->second.index = ev.idx;
        it->second.type = ev.type;
        it->second.soft = ev.soft != 0;
        it->second.hard = ev.hard != 0;
    }
    std::vector<RfkillSwitch> switches;
    for (std::uint32_t index : order) {
        const auto it = all.find(index);
        if (it == all.end() || it->second.type != type)
            continue;
        it->second.name = device_.Name(index);
        switches.push_back(it->second);
    }
    lastFailure_.clear();
    denied_ = false;
    return switches;
}

bool Rfkill::WriteEvent(std::uint8_t op, std::uint32_t index, std::uint8_t type, bool block) {
    UniqueFd fd = Open(true);
    if (!fd)
        return false;
    unsigned char event[kLargest > kV1 ? kLargest : kV1] = {};
    rfkill_event ev{};
    ev.idx = index;
    ev.type = type;
    ev.op = op;
    ev.soft = block ? 1 : 0;
    std::memcpy(event, &ev, sizeof ev);
    ssize_t n;
    do
        n = device_.Write(fd.get(), event, eventSize_);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return Fail(std::string("cannot write to ") + kDevice + ": " + ErrnoText(errno), errno);
    // A kernel that takes fewer bytes than a whole event has taken nothing usable.
    if (static_cast<std::size_t>(n) < kV1)
        return Fail(std::string(kDevice) + " took " + std::to_string(n) + " of " +
                    std::to_string(eventSize_) + " bytes");
    lastFailure_.clear();
    denied_ = false;
    return true;
}

bool Rfkill::SetSoftAll(std::uint8_t type, bool block) {
    return WriteEvent(RFKILL_OP_CHANGE_ALL, 0, type, block);
}

bool Rfkill::SetSoft(std::uint32_t index, bool block) {
    return WriteEvent(RFKILL_OP_CHANGE, index, 0, block);
}

std::optional<std::string> Rfkill::WriteRefusal() {
    const std::string kept = lastFailure_;
    const bool keptDenied = denied_;
    UniqueFd fd = Open(true);
    std::optional<std::string> refusal;
    if (!fd)
        refusal = lastFailure_;
    lastFailure_ = kept;
    denied_ = keptDenied;
    return refusal;
}

}  // namespace velk::linux
