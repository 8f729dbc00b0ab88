#include "engine/switch_engine.h"

#include <cstddef>
#include <string_view>

#include "engine/rule_lists.h"
#include "platform/scoped_busy.h"
#include "platform/strings.h"

namespace velk {

namespace {

// The idle timer is reset once this many qualifying ticks have gone by.
constexpr INT kKeepAwakeTicks = 20;

// The folded caption begins with the entry. Entries are never empty after a compile;
// an empty one is treated as matching nothing rather than everything.
bool BeginsWith(const CString& caption, const CString& entry) {
    return !entry.empty() && std::u16string_view(caption).starts_with(entry);
}

// The index of the first entry the caption begins with, or -1.
std::ptrdiff_t FirstPrefixMatch(const CStringArray& list, const CString& caption) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (BeginsWith(caption, list[i]))
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

}  // namespace

SwitchEngine::SwitchEngine(EngineState& state, IWindowSystem& windows, IPower& power,
                           IRadioOperations& radios)
    : state_(state), windows_(windows), power_(power), radios_(radios) {}

void SwitchEngine::Tick(const std::function<void()>& passOn) {
    EngineState& s = state_;
    if (s.EngineBusy != 0) {
        passOn();
        return;
    }
    const ScopedBusy busy(s.EngineBusy);

    // Keep-awake pulse, judged on the states the previous tick left.
    if (s.KeepPDAOn != 0 &&
        (s.BTRadioState == kRadioSwitchedOn || s.WFRadioState == kRadioSwitchedOn)) {
        const INT n = s.KeepOnTicks;
        s.KeepOnTicks = n + 1;
        if (n > kKeepAwakeTicks) {
            s.KeepOnTicks = 0;
            power_.SystemIdleTimerReset();
        }
    }

    ReadFrontCaption();

    const bool changed = StringsDiffer(s.LastCaption, caption_) != 0;
    if (changed)
        s.LastCaption = caption_;

    bool btDecided = false;
    bool wfDecided = false;
    const bool offFirst = s.OffTakesPrecedence != 0;

    if (offFirst) {
        if (changed) {
            if (FirstPrefixMatch(s.Lists.BTOffList, caption_) >= 0) {
                s.BTRadioState = kRadioSwitchedOff;
                btDecided = true;
                radios_.TurnBluetoothOff(kNotForced);
            }
            if (FirstPrefixMatch(s.Lists.WFOffList, caption_) >= 0) {
                s.WFRadioState = kRadioSwitchedOff;
                wfDecided = true;
                radios_.TurnWiFiOff(kNotForced);
            }
        } else {
            // An off the engine made holds against the running list until the caption
            // changes.
            btDecided = s.BTRadioState == kRadioSwitchedOff;
            wfDecided = s.WFRadioState == kRadioSwitchedOff;
        }
    }

    if (!btDecided && AnyRunning(s.Lists.BTOnRunList)) {
        s.BTRadioState = kRadioSwitchedOn;
        btDecided = true;
        radios_.TurnBluetoothOn(kNotForced);
    }
    if (!wfDecided && AnyRunning(s.Lists.WFOnRunList)) {
        s.WFRadioState = kRadioSwitchedOn;
        wfDecided = true;
        radios_.TurnWiFiOn(kNotForced);
    }

    if (changed) {
        if (!btDecided && FirstPrefixMatch(s.Lists.BTOnList, caption_) >= 0) {
            s.BTRadioState = kRadioSwitchedOn;
            radios_.TurnBluetoothOn(kNotForced);
            passOn();
            return;  // a Bluetooth active match settles this caption for both radios
        }
        if (!wfDecided) {
            for (const CString& entry : s.Lists.WFOnList) {
                if (!BeginsWith(caption_, entry))
                    continue;
                s.WFRadioState = kRadioSwitchedOn;
                wfDecided = true;
                radios_.TurnWiFiOn(kNotForced);
            }
        }
        if (!offFirst) {
            if (!btDecided && FirstPrefixMatch(s.Lists.BTOffList, caption_) >= 0) {
                s.BTRadioState = kRadioSwitchedOff;
                btDecided = true;
                radios_.TurnBluetoothOff(kNotForced);
            }
            if (!wfDecided && FirstPrefixMatch(s.Lists.WFOffList, caption_) >= 0) {
                s.WFRadioState = kRadioSwitchedOff;
                wfDecided = true;
                radios_.TurnWiFiOff(kNotForced);
            }
        }
        if (!btDecided) {
            if (s.DefaultAction == kActionTurnOn) {
                radios_.TurnBluetoothOn(kNotForced);
                s.BTRadioState = kRadioSwitchedOn;
            } else if (s.DefaultAction == kActionTurnOff) {
                radios_.TurnBluetoothOff(kNotForced);
                s.BTRadioState = kRadioSwitchedOff;
            }
        }
        if (!wfDecided) {
            if (s.WFDefaultAction == kActionTurnOn) {
                radios_.TurnWiFiOn(kNotForced);
                s.WFRadioState = kRadioSwitchedOn;
            } else if (s.WFDefaultAction == kActionTurnOff) {
                radios_.TurnWiFiOff(kNotForced);
                s.WFRadioState = kRadioSwitchedOff;
            }
        }
    }

    passOn();
}

void SwitchEngine::ReadFrontCaption() {
    caption_.clear();
    const HWND front = windows_.GetForegroundWindow();
    if (!front)
        return;
    ReadWindowText(windows_, front, caption_);
    Fold(caption_);
}

bool SwitchEngine::AnyRunning(const CStringArray& list) {
    for (const CString& entry : list)
        if (!entry.empty() && windows_.FindWindowW(nullptr, entry.c_str()))
            return true;
    return false;
}

}  // namespace velk
