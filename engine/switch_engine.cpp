#include "engine/switch_engine.h"

#include <string_view>

#include "engine/rule_lists.h"
#include "platform/scoped_busy.h"
#include "platform/strings.h"

namespace velk {

namespace {

// The count of qualifying ticks before the current one must exceed this for the idle
// timer to be reset: the reset comes at the 22nd qualifying tick, and the count then
// starts over (the 44th, the 66th, ...).
constexpr INT kKeepAwakeTicks = 20;

// The folded caption begins with the entry. Entries are never empty after a compile;
// an empty one is treated as matching nothing rather than everything.
bool BeginsWith(const CString& caption, const CString& entry) {
    return !entry.empty() && std::u16string_view(caption).starts_with(entry);
}

// The first entry the caption begins with, or null.
const CString* FirstPrefixMatch(const CStringArray& list, const CString& caption) {
    for (const CString& entry : list)
        if (BeginsWith(caption, entry))
            return &entry;
    return nullptr;
}

EngineDecision ListDecision(DecisionSource source, EngineRadio radio, bool turnOn,
                            const CString* entry) {
    return {.source = source,
            .radio = radio,
            .turnOn = turnOn,
            .entry = entry,
            .action = kActionLeave,
            .endsTick = false};
}

EngineDecision DefaultDecision(EngineRadio radio, INT action) {
    return {.source = radio == EngineRadio::Bluetooth ? DecisionSource::DefaultAction
                                                      : DecisionSource::WFDefaultAction,
            .radio = radio,
            .turnOn = action == kActionTurnOn,
            .entry = nullptr,
            .action = action,
            .endsTick = false};
}

}  // namespace

SwitchEngine::SwitchEngine(EngineState& state, IDesktopWindows& desktop, IIdleTimer& idle,
                           IRadioOperations& radios)
    : state_(state), desktop_(desktop), idle_(idle), radios_(radios) {}

void SwitchEngine::Tick(const std::function<void()>& passOn) {
    EngineState& s = state_;
    if (s.EngineBusy != 0) {
        passOn();
        return;
    }
    const ScopedBusy busy(s.EngineBusy);
    if (observer_ != nullptr)
        observer_->TickBegins();

    // Keep-awake pulse, judged on the states the previous tick left.
    if (s.KeepPDAOn != 0 &&
        (s.BTRadioState == kRadioSwitchedOn || s.WFRadioState == kRadioSwitchedOn)) {
        const INT n = s.KeepOnTicks;
        s.KeepOnTicks = n + 1;
        if (n > kKeepAwakeTicks) {
            s.KeepOnTicks = 0;
            idle_.SystemIdleTimerReset();
        }
    }

    ReadFrontCaption();

    const bool changed = StringsDiffer(s.LastCaption, caption_) != 0;
    if (changed)
        s.LastCaption = caption_;

    bool btDecided = false;
    bool wfDecided = false;
    const bool offFirst = s.OffTakesPrecedence != 0;

    constexpr auto kBT = EngineRadio::Bluetooth;
    constexpr auto kWF = EngineRadio::WiFi;
    if (offFirst) {
        if (changed) {
            if (const CString* entry = FirstPrefixMatch(s.Lists.BTOffList, caption_)) {
                s.BTRadioState = kRadioSwitchedOff;
                btDecided = true;
                Switch(ListDecision(DecisionSource::OffList, kBT, false, entry));
            }
            if (const CString* entry = FirstPrefixMatch(s.Lists.WFOffList, caption_)) {
                s.WFRadioState = kRadioSwitchedOff;
                wfDecided = true;
                Switch(ListDecision(DecisionSource::OffList, kWF, false, entry));
            }
        } else {
            // An off the engine made holds against the running list until the caption
            // changes.
            btDecided = s.BTRadioState == kRadioSwitchedOff;
            wfDecided = s.WFRadioState == kRadioSwitchedOff;
            if (observer_ != nullptr && btDecided)
                observer_->HeldOff(kBT);
            if (observer_ != nullptr && wfDecided)
                observer_->HeldOff(kWF);
        }
    }

    if (!btDecided) {
        if (const CString* entry = FirstRunning(s.Lists.BTOnRunList)) {
            s.BTRadioState = kRadioSwitchedOn;
            btDecided = true;
            Switch(ListDecision(DecisionSource::OnRunList, kBT, true, entry));
        }
    }
    if (!wfDecided) {
        if (const CString* entry = FirstRunning(s.Lists.WFOnRunList)) {
            s.WFRadioState = kRadioSwitchedOn;
            wfDecided = true;
            Switch(ListDecision(DecisionSource::OnRunList, kWF, true, entry));
        }
    }

    if (changed) {
        if (!btDecided) {
            if (const CString* entry = FirstPrefixMatch(s.Lists.BTOnList, caption_)) {
                s.BTRadioState = kRadioSwitchedOn;
                EngineDecision decision = ListDecision(DecisionSource::OnList, kBT, true, entry);
                decision.endsTick = true;
                Switch(decision);
                passOn();
                return;  // a Bluetooth active match settles this caption for both radios
            }
        }
        if (!wfDecided) {
            for (const CString& entry : s.Lists.WFOnList) {
                if (!BeginsWith(caption_, entry))
                    continue;
                s.WFRadioState = kRadioSwitchedOn;
                wfDecided = true;
                Switch(ListDecision(DecisionSource::OnList, kWF, true, &entry));
            }
        }
        if (!offFirst) {
            if (!btDecided) {
                if (const CString* entry = FirstPrefixMatch(s.Lists.BTOffList, caption_)) {
                    s.BTRadioState = kRadioSwitchedOff;
                    btDecided = true;
                    Switch(ListDecision(DecisionSource::OffList, kBT, false, entry));
                }
            }
            if (!wfDecided) {
                if (const CString* entry = FirstPrefixMatch(s.Lists.WFOffList, caption_)) {
                    s.WFRadioState = kRadioSwitchedOff;
                    wfDecided = true;
                    Switch(ListDecision(DecisionSource::OffList, kWF, false, entry));
                }
            }
        }
        // A default action sets the state after its call; any code but on and off leaves.
        if (!btDecided && (s.DefaultAction == kActionTurnOn || s.DefaultAction == kActionTurnOff)) {
            Switch(DefaultDecision(kBT, s.DefaultAction));
            s.BTRadioState =
                s.DefaultAction == kActionTurnOn ? kRadioSwitchedOn : kRadioSwitchedOff;
        }
        if (!wfDecided &&
            (s.WFDefaultAction == kActionTurnOn || s.WFDefaultAction == kActionTurnOff)) {
            Switch(DefaultDecision(kWF, s.WFDefaultAction));
            s.WFRadioState =
                s.WFDefaultAction == kActionTurnOn ? kRadioSwitchedOn : kRadioSwitchedOff;
        }
    }

    passOn();
}

void SwitchEngine::ReadFrontCaption() {
    caption_.clear();
    const HWND front = desktop_.GetForegroundWindow();
    if (!front)
        return;
    ReadWindowText(desktop_, front, caption_);
    Fold(caption_);
}

const CString* SwitchEngine::FirstRunning(const CStringArray& list) {
    for (const CString& entry : list)
        if (!entry.empty() && desktop_.FindWindowW(nullptr, entry.c_str()))
            return &entry;
    return nullptr;
}

void SwitchEngine::Switch(const EngineDecision& decision) {
    if (observer_ != nullptr)
        observer_->Deciding(decision);
    if (decision.radio == EngineRadio::Bluetooth) {
        if (decision.turnOn)
            radios_.TurnBluetoothOn(kNotForced);
        else
            radios_.TurnBluetoothOff(kNotForced);
    } else {
        if (decision.turnOn)
            radios_.TurnWiFiOn(kNotForced);
        else
            radios_.TurnWiFiOff(kNotForced);
    }
    if (observer_ != nullptr)
        observer_->Decided(decision);
}

}  // namespace velk
