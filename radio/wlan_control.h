// WiFi through the power manager's device power state of the WLAN adapter, with the
// platform's kernel and named-event fallback when powering up fails.
#pragma once

#include "platform/power.h"

namespace velk {

class WlanControl {
  public:
    explicit WlanControl(IPower& power);

    void TurnWiFiOn(INT force);
    void TurnWiFiOff(INT force);
    INT IsWiFiOn();

  private:
    IPower& power_;
};

}  // namespace velk
