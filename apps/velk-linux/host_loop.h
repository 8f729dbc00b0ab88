// Qt's event loop as the window model's wait: the model's message loops hand control to
// Qt until the next timer is due or the user (or a later start, or the desktop) did
// something.
#pragma once

#include <QEventLoop>
#include <atomic>
#include <vector>

#include "platform/model/real_time.h"

namespace velk::linux {

class QtHostLoop final : public model::IHostLoop {
  public:
    void RunUntil(std::optional<model::SteadyTime> deadline) override;
    void Interrupt() override;

  private:
    std::vector<QEventLoop*> running_;  // innermost last
    std::atomic<bool> interrupted_{false};
};

}  // namespace velk::linux
