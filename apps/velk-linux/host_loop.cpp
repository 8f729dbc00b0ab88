#include "apps/velk-linux/host_loop.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace velk::linux {

void QtHostLoop::RunUntil(std::optional<model::SteadyTime> deadline) {
    if (interrupted_.exchange(false))
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    if (deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            *deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(std::min<long long>(left.count() + 1, 0x7FFFFFFF)));
    }
    running_.push_back(&loop);
    loop.exec();
    running_.pop_back();
    interrupted_ = false;
}

void QtHostLoop::Interrupt() {
    interrupted_ = true;
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    if (QThread::currentThread() == app->thread()) {
        if (!running_.empty())
            running_.back()->quit();
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [this] {
            if (!running_.empty())
                running_.back()->quit();
        },
        Qt::QueuedConnection);
}

}  // namespace velk::linux
