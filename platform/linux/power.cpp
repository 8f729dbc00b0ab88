#include "platform/linux/power.h"

#include <QDBusMessage>
#include <chrono>
#include <thread>

namespace velk::linux {
namespace {

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

}  // namespace

bool LinuxPower::IsWlanDevice(const char16_t* device) {
    if (!device)
        return false;
    const char16_t* p = device;
    for (const char16_t* c = kWlanDeviceName; *c; ++c, ++p)
        if (Upper(*p) != Upper(*c))
            return false;
    return *p == u'\0';
}

DWORD LinuxPower::SetDevicePower(const char16_t* device, DWORD flags, DWORD state) {
    if (!IsWlanDevice(device))
        return kErrorCallNotImplemented;
    // A radio is on or off: the low-power states between have no meaning here.
    if (!(flags & POWER_NAME) || (state != D0 && state != D4))
        return kErrorInvalidParameter;
    return wifi_.SetDevicePower(state);
}

DWORD LinuxPower::GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) {
    if (!IsWlanDevice(device))
        return kErrorCallNotImplemented;
    if (!(flags & POWER_NAME) || !state)
        return kErrorInvalidParameter;
    return wifi_.GetDevicePower(state);
}

BOOL LinuxPower::KernelIoControl(DWORD, void*, DWORD, void*, DWORD, DWORD*) {
    return 0;
}

HANDLE LinuxPower::CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) {
    std::shared_ptr<Event> event;
    if (name && *name) {
        for (const auto& [handle, open] : handles_)
            if (open->name == name) {
                event = open;
                break;
            }
    }
    if (!event)
        event = std::make_shared<Event>(Event{manualReset != 0, initialState != 0,
                                              name ? std::u16string(name) : std::u16string()});
    const std::uintptr_t handle = nextHandle_++;
    handles_.emplace(handle, std::move(event));
    return HANDLE(handle);
}

BOOL LinuxPower::EventModify(HANDLE event, DWORD func) {
    const auto it = handles_.find(event.value);
    if (it == handles_.end())
        return 0;
    switch (func) {
        case EVENT_SET:
            it->second->signalled = true;
            return 1;
        case EVENT_RESET:
            it->second->signalled = false;
            return 1;
        case EVENT_PULSE:
            // Nobody waits on the program's own events: a pulse leaves it reset.
            it->second->signalled = false;
            return 1;
        default:
            return 0;
    }
}

BOOL LinuxPower::CloseHandle(HANDLE handle) {
    return handles_.erase(handle.value) ? 1 : 0;
}

bool LinuxPower::EventSignalled(const std::u16string& name) const {
    for (const auto& [handle, event] : handles_)
        if (event->name == name)
            return event->signalled;
    return false;
}

void LinuxPower::Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void LinuxPower::SystemIdleTimerReset() {
    if (!session_)
        return;
    QDBusConnection bus = session_->Get();
    if (!bus.isConnected())
        return;
    // The desktop's screen saver restarts its idle timers; sent without waiting for an
    // answer, so a desktop without one costs nothing.
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("SimulateUserActivity"));
    message.setAutoStartService(false);
    bus.send(message);
}

}  // namespace velk::linux
