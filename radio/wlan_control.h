// WiFi through the power manager's device power state of the WLAN adapter, with the
// platform's kernel and named-event fallback when powering up fails.
#pragma once

#include "platform/power.h"

namespace velk {

inline constexpr char16_t kWlanDeviceName[] = u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1";

class WlanControl {
  public:
    explicit WlanControl(IPower& power);

    void TurnWiFiOn(INT force);
    void TurnWiFiOff(INT force);
    INT IsWiFiOn();

  private:
    void RunPowerUpFallback();

    IPower& power_;
};

}  // namespace velk
