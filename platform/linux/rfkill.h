// The kernel's radio switches (rfkill) through its switch device. Each question opens the
// device, reads the one event per switch that the kernel queues for a new reader, and
// closes it again, so a switch added or removed since is seen at the next question.
// Events are read and written whole, at the size learnt from the kernel once.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velk::linux {

// A file descriptor, closed with its owner.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release();

  private:
    int fd_ = -1;
};

// The switch types this program uses, as the kernel numbers them.
constexpr std::uint8_t kRfkillWlan = 1;
constexpr std::uint8_t kRfkillBluetooth = 2;

struct RfkillSwitch {
    std::uint32_t index = 0;
    std::uint8_t type = 0;
    bool soft = false;  // blocked by software
    bool hard = false;  // blocked by a hardware switch or the firmware
    std::string name;   // "phy0", "hci0", a platform driver's name; empty when unknown
};

// "switch 3 (hci0): blocked by software", for a person.
std::string Describe(const RfkillSwitch& s);

// The switch device; tests put a socket pair that plays the kernel in its place.
class IRfkillDevice {
  public:
    virtual ~IRfkillDevice() = default;
    // Opened non-blocking, for reading only or for reading and writing; an empty
    // descriptor with errno set when it cannot be opened.
    virtual UniqueFd Open(bool forWriting) = 0;
    // Asks for events of this size; false (errno set) where the kernel keeps 8 bytes.
    virtual bool RequestEventSize(int fd, std::uint32_t size) = 0;
    virtual ssize_t Write(int fd, const void* data, std::size_t size) = 0;
    virtual std::string Name(std::uint32_t index) = 0;
};

// /dev/rfkill, with the switches' names from sysfs.
class KernelRfkillDevice final : public IRfkillDevice {
  public:
    UniqueFd Open(bool forWriting) override;
    bool RequestEventSize(int fd, std::uint32_t size) override;
    ssize_t Write(int fd, const void* data, std::size_t size) override;
    std::string Name(std::uint32_t index) override;
};

class Rfkill {
  public:
    explicit Rfkill(IRfkillDevice& device) : device_(device) {}

    // Every switch of the type, in the kernel's order; nullopt when the device cannot be
    // read (the reason in LastFailure). No device at all means no switch.
    std::optional<std::vector<RfkillSwitch>> Switches(std::uint8_t type);
    // Blocks or unblocks every switch of the type by software, and the kernel's default
    // for switches of the type yet to come.
    bool SetSoftAll(std::uint8_t type, bool block);
    // Blocks or unblocks one switch by software.
    bool SetSoft(std::uint32_t index, bool block);

    // Why the last operation failed; empty after one that succeeded.
    const std::string& LastFailure() const { return lastFailure_; }
    // Whether the last failure was a refusal (the device's permissions).
    bool Denied() const { return denied_; }
    // Why the device cannot be opened for writing; nullopt when it can.
    std::optional<std::string> WriteRefusal();
    // The event size in use; 0 until the device was first opened.
    std::size_t EventSize() const { return eventSize_; }

  private:
    UniqueFd Open(bool forWriting);
    bool WriteEvent(std::uint8_t op, std::uint32_t index, std::uint8_t type, bool block);
    bool Fail(std::string reason, int error = 0);

    IRfkillDevice& device_;
    std::size_t eventSize_ = 0;
    std::string lastFailure_;
    bool denied_ = false;
};

}  // namespace velk::linux
