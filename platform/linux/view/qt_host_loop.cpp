#include "platform/linux/view/qt_host_loop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>

namespace velk::linux {

QtHostLoop::QtHostLoop()
    : dispatcher_(QAbstractEventDispatcher::instance()), deadline_(std::make_unique<QTimer>()) {
    // The timer's only work is to wake the dispatcher; the loop below reads the clock.
    deadline_->setSingleShot(true);
    deadline_->setTimerType(Qt::PreciseTimer);
}

QtHostLoop::~QtHostLoop() = default;

void QtHostLoop::RunUntil(std::optional<model::SteadyTime> deadline) {
    using namespace std::chrono;
    for (;;) {
        if (interrupted_.exchange(false))
            break;
        if (deadline) {
            const auto now = steady_clock::now();
            if (now >= *deadline)
                break;
            // Rounded up, so that the wake never comes before the deadline and the loop
            // never spins on a timer that has already fired.
            const auto left = ceil<milliseconds>(*deadline - now).count();
            deadline_->start(static_cast<int>(std::min<long long>(left, INT_MAX)));
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        // No event loop runs at a level of its own, so objects whose deletion was deferred
        // are deleted here.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    deadline_->stop();
}

void QtHostLoop::Interrupt() {
    interrupted_ = true;
    // A wake before the dispatcher blocks is kept, so the next wait returns at once.
    if (dispatcher_)
        dispatcher_->wakeUp();
}

}  // namespace velk::linux
