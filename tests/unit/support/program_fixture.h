// A program process on the simulated handheld with its application object, and a step
// script that the handheld wakes to act as the user: what the tests of whole windows
// start from.
#pragma once

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/sim/handheld.h"
#include "tests/unit/support/step_script.h"

namespace velk::test {

template <typename App>
class ProgramFixture : public ::testing::Test {
  protected:
    ProgramFixture()
        : pid(hh.CreateProcess(u"\\Windows\\Velk.exe")),
          platform(hh.PlatformFor(pid)),
          app(platform),
          steps(hh.GetClock()) {
        hh.SetDriver(&steps);
    }
    ~ProgramFixture() override { hh.SetDriver(nullptr); }

    mutable sim::SimHandheld hh;
    DWORD pid;
    Platform platform;
    App app;
    StepScript steps;
};

}  // namespace velk::test
