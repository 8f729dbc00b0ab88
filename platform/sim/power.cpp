#include "platform/sim/power.h"

#include <cstring>

#include "platform/strings.h"

namespace velk::sim {

SimPower::SimPower(Clock& clock) : clock_(clock) {}

// --- the WLAN adapter -----------------------------------------------------------------

DWORD SimPower::SetDevicePower(const char16_t* device, DWORD flags, DWORD state) {
    Watch({});
    if (device == nullptr || flags != POWER_NAME || state > D4)
        return kPowerInvalidParameter;
    if (!adapterPresent_ || std::u16string_view(device) != kWlanDeviceName)
        return kPowerNotFound;
    if (state == D0 && powerUpFails_)
        return kPowerGenFailure;
    adapterState_ = state;
    return 0;
}

DWORD SimPower::GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) {
    Watch({});
    if (device == nullptr || flags != POWER_NAME || state == nullptr)
        return kPowerInvalidParameter;
    if (!adapterPresent_ || std::u16string_view(device) != kWlanDeviceName)
        return kPowerNotFound;
    *state = adapterState_;
    return 0;
}

// --- the kernel -----------------------------------------------------------------------

BOOL SimPower::KernelIoControl(DWORD code, void* inBuf, DWORD inSize, void* outBuf, DWORD outSize,
                               DWORD* bytesReturned) {
    KernelRequest request;
    request.code = code;
    if (inBuf != nullptr && inSize > 0) {
        const auto* p = static_cast<const BYTE*>(inBuf);
        request.input.assign(p, p + inSize);
    }
    request.outSize = outSize;
    request.hasOutput = outBuf != nullptr;
    request.hasBytesReturned = bytesReturned != nullptr;
    kernelRequests_.push_back(request);

    Call call;
    call.kind = Call::Kernel;
    call.value = code;
    if (code == kIoctlWlanPowerUp) {
        DWORD in = 0;
        if (inBuf != nullptr && inSize == 4)
            std::memcpy(&in, inBuf, 4);
        call.argsAsExpected = inBuf != nullptr && inSize == 4 && in == 1 && outBuf == nullptr &&
                              outSize == 0 && bytesReturned == nullptr;
    } else if (code == kIoctlWlanResume) {
        call.argsAsExpected = inBuf == nullptr && inSize == 0 && outBuf != nullptr &&
                              outSize == 4 && bytesReturned != nullptr;
    }
    Watch(call);
    return code == kIoctlWlanPowerUp || code == kIoctlWlanResume ? 1 : 0;
}

// --- named events ---------------------------------------------------------------------

HANDLE SimPower::CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) {
    std::u16string key = name != nullptr
                             ? std::u16string(name)
                             : u"(unnamed " + FromUtf8(std::to_string(++unnamed_)) + u")";
    Call call;
    call.kind = Call::Open;
    call.name = key;

    const auto fails = openFails_.find(key);
    if (fails != openFails_.end() && fails->second) {
        call.argsAsExpected = false;
        Watch(call);
        return HANDLE{};
    }
    auto [it, created] = events_.try_emplace(key);
    if (created) {
        it->second.signalled = initialState != 0;
        it->second.manualReset = manualReset != 0;
    }
    ++it->second.openHandles;
    nextHandle_ += 4;
    const HANDLE h{nextHandle_};
    handles_[h.value] = key;

    call.handle = h;
    call.argsAsExpected = manualReset == 0 && initialState == 0;
    Watch(call);
    return h;
}

BOOL SimPower::EventModify(HANDLE event, DWORD func) {
    const auto h = handles_.find(event.value);
    Call call;
    call.kind = Call::Modify;
    call.value = func;
    call.handle = event;
    if (h == handles_.end() || func < EVENT_PULSE || func > EVENT_SET) {
        call.argsAsExpected = false;
        Watch(call);
        return 0;
    }
    call.name = h->second;
    Watch(call);
    Event& e = events_[h->second];
    // Nobody waits in the simulation, so a pulse leaves the event as a reset does.
    e.signalled = func == EVENT_SET;
    return 1;
}

BOOL SimPower::CloseHandle(HANDLE handle) {
    const auto h = handles_.find(handle.value);
    Call call;
    call.kind = Call::Close;
    call.handle = handle;
    if (h == handles_.end()) {
        call.argsAsExpected = false;
        Watch(call);
        return 0;
    }
    call.name = h->second;
    --events_[h->second].openHandles;
    handles_.erase(h);
    Watch(call);
    return 1;
}

bool SimPower::EventExists(const std::u16string& name) const {
    return events_.count(name) != 0;
}

bool SimPower::EventSignalled(const std::u16string& name) const {
    const auto it = events_.find(name);
    return it != events_.end() && it->second.signalled;
}

int SimPower::EventOpenHandles(const std::u16string& name) const {
    const auto it = events_.find(name);
    return it == events_.end() ? 0 : it->second.openHandles;
}

void SimPower::SetEventOpenFails(const std::u16string& name, bool fails) {
    openFails_[name] = fails;
}

// --- time and idle timer --------------------------------------------------------------

void SimPower::Sleep(DWORD milliseconds) {
    Call call;
    call.kind = Call::Pause;
    call.value = milliseconds;
    Watch(call);
    clock_.Advance(milliseconds);
}

void SimPower::SystemIdleTimerReset() {
    Watch({});
    ++idleResets_;
}

// --- the WLAN service -----------------------------------------------------------------

// The service follows the calls as they come; any call out of place starts it over.
void SimPower::Watch(const Call& call) {
    if (!Matches(step_, call)) {
        step_ = 0;
        sequenceHandles_.clear();
        if (!Matches(0, call))
            return;
    }
    if (call.kind == Call::Open)
        sequenceHandles_[call.name] = call.handle;
    if (++step_ < kWlanPowerUpSteps)
        return;
    step_ = 0;
    sequenceHandles_.clear();
    ++servicePowerUps_;
    if (adapterPresent_)
        adapterState_ = D0;
}

bool SimPower::Matches(std::size_t step, const Call& c) const {
    if (!c.argsAsExpected || step >= kWlanPowerUpSteps)
        return false;
    const WlanPowerUpStep& want = kWlanPowerUpSequence[step];
    // The handle the service saw opened for the step's event.
    const auto opened = [&] {
        const auto it = sequenceHandles_.find(want.event);
        return it != sequenceHandles_.end() && it->second == c.handle;
    };
    switch (want.call) {
        case WlanPowerUpCall::KernelIoControlIn:
        case WlanPowerUpCall::KernelIoControlOut:
            return c.kind == Call::Kernel && c.value == want.value;
        case WlanPowerUpCall::OpenEvent:
            return c.kind == Call::Open && c.name == want.event;
        case WlanPowerUpCall::EventModify:
            return c.kind == Call::Modify && c.value == want.value && opened();
        case WlanPowerUpCall::CloseHandle:
            return c.kind == Call::Close && opened();
        case WlanPowerUpCall::Sleep:
            return c.kind == Call::Pause && c.value == want.value;
    }
    return false;
}

}  // namespace velk::sim
