// Qt's event loop as the window model's wait (see model_view.h for how a program puts the
// pieces together).
#pragma once

#include <atomic>
#include <memory>
#include <optional>

#include "platform/model/real_time.h"

class QAbstractEventDispatcher;
class QTimer;

namespace velk::linux {

// Handles Qt's events until the deadline or an interrupt, blocked in the event dispatcher
// in between (no polling). Made after the QApplication, on its thread, which is the thread
// that runs the model.
//
// It runs no QEventLoop::exec of its own: it never depends on QCoreApplication::quit, and
// objects deleted later (deleteLater) go at the end of each round.
class QtHostLoop : public model::IHostLoop {
  public:
    QtHostLoop();
    ~QtHostLoop() override;
    QtHostLoop(const QtHostLoop&) = delete;
    QtHostLoop& operator=(const QtHostLoop&) = delete;

    void RunUntil(std::optional<model::SteadyTime> deadline) override;
    // Safe from any thread and from Qt's handlers.
    void Interrupt() override;

  private:
    QAbstractEventDispatcher* dispatcher_;
    std::unique_ptr<QTimer> deadline_;
    std::atomic<bool> interrupted_{false};
};

}  // namespace velk::linux
