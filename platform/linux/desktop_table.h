// The desktop's windows as the Linux desktop last reported them. A provider (X11, a
// Wayland compositor's protocol, a desktop's own script or extension) keeps the table
// current from the desktop's events; a tick then answers the front window, its caption and
// every search from memory, with no round trip per running-list entry.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/types.h"

namespace velk {

class DesktopTable {
  public:
    // The provider's own id of a window: an X11 window, a toplevel's serial, a desktop's
    // window id mapped to a number by the provider.
    using Key = std::uint64_t;
    // Handles the table issues carry this bit, so that a home that also has windows of its
    // own (the window model's small numbers) can tell the two apart.
    static constexpr std::uintptr_t kHandleBit = std::uintptr_t{1} << 62;

    // Adds the window, or gives it a new title. Returns its handle, stable while it lives.
    HWND SetWindow(Key key, std::u16string_view title);
    void RemoveWindow(Key key);
    // The window in front; nullopt when none is (the desktop itself, a screen locker).
    void SetActive(std::optional<Key> key);
    void Clear();

    HWND Front() const;
    HWND HandleOf(Key key) const;                  // null when unknown
    std::optional<Key> KeyOf(HWND hwnd) const;     // nullopt when not one of the table's
    const std::u16string* Title(HWND hwnd) const;  // null when unknown
    // The first window, oldest first, whose whole title equals caption with case folded.
    HWND Find(std::u16string_view caption) const;
    void ForEach(const std::function<bool(HWND, const std::u16string&)>& visit) const;
    std::size_t size() const;

    // Counts every change applied, so tests and benchmarks can tell when a report landed.
    std::uint64_t generation() const { return generation_; }

  private:
    struct Entry {
        HWND handle;
        std::u16string title;
        std::u16string folded;
        std::uint64_t order;
    };
    std::unordered_map<Key, Entry> entries_;
    std::unordered_map<std::uintptr_t, Key> keys_;
    std::unordered_multimap<std::u16string, Key> byFolded_;
    std::optional<Key> active_;
    std::uintptr_t nextHandle_ = 1;
    std::uint64_t nextOrder_ = 1;
    std::uint64_t generation_ = 0;
};

// One kind of desktop's source of window reports.
class IDesktopProvider {
  public:
    virtual ~IDesktopProvider() = default;
    // A short name for messages and --radios style reports: "x11", "wlroots", "kwin", "gnome".
    virtual std::string_view Name() const = 0;
    // Applies to the table everything the desktop reported so far, without waiting.
    virtual void Pump() = 0;
    // A descriptor that turns readable when the desktop has news, for the host's event loop;
    // -1 where the reports arrive through the host loop already (the session bus).
    virtual int EventFd() const = 0;
    // Asks the desktop to bring the window to the front; false where it offers no way (no
    // seat known, a desktop that refuses requests from other programs).
    virtual bool Activate(DesktopTable::Key key) {
        (void)key;
        return false;
    }
    // The process that shows the window where the desktop says (0 where it does not).
    virtual DWORD ProcessId(DesktopTable::Key key) const {
        (void)key;
        return 0;
    }
};

}  // namespace velk
