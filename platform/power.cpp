#include "platform/power.h"

#include <map>
#include <string_view>

namespace velk {

void RunWlanPowerUpSequence(IPower& power, const std::function<void(std::size_t step)>& afterStep) {
    std::map<std::u16string_view, HANDLE> opened;
    const auto handle = [&](const WlanPowerUpStep& step) {
        const auto it = opened.find(step.event);
        return it == opened.end() ? HANDLE{} : it->second;
    };
    for (std::size_t i = 0; i < kWlanPowerUpSteps; ++i) {
        const WlanPowerUpStep& step = kWlanPowerUpSequence[i];
        switch (step.call) {
            case WlanPowerUpCall::KernelIoControlIn: {
                DWORD one = 1;
                power.KernelIoControl(step.value, &one, sizeof one, nullptr, 0, nullptr);
                break;
            }
            case WlanPowerUpCall::OpenEvent:
                opened[step.event] =
                    power.CreateEventW(/*manualReset=*/0, /*initialState=*/0, step.event);
                break;
            case WlanPowerUpCall::EventModify:
                if (const HANDLE event = handle(step))
                    power.EventModify(event, step.value);
                break;
            case WlanPowerUpCall::CloseHandle:
                if (const HANDLE event = handle(step))
                    power.CloseHandle(event);
                break;
            case WlanPowerUpCall::Sleep:
                power.Sleep(step.value);
                break;
            case WlanPowerUpCall::KernelIoControlOut: {
                DWORD out = 1;
                DWORD returned = 0;
                power.KernelIoControl(step.value, nullptr, 0, &out, sizeof out, &returned);
                break;
            }
        }
        if (afterStep)
            afterStep(i);
    }
}

}  // namespace velk
