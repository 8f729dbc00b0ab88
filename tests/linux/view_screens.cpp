// The view on a desktop someone else started (scripts/screenshots-linux.sh): shows one
// thing and keeps running until ended, saying on standard output what is on screen.
//   velk_view_screens settings|found|about   the dialog of that template
//   velk_view_screens menu                   the icon; prints "menu" once a click on it
//                                             opened the menu
//   velk_view_screens message                a message box
//   velk_view_screens idle SECONDS           the icon and a 1500 ms timer; prints the CPU
//                                             seconds used meanwhile and ends
#include <sys/resource.h>

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/linux/view/model_view.h"
#include "platform/linux/view/qt_host_loop.h"
#include "platform/model/real_time.h"
#include "tests/linux/view_support.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velk;
    const std::string mode = argc > 1 ? argv[1] : "";
    QApplication app(argc, argv);
    linux::QtHostLoop loop;
    model::RealTimeSource time(loop);
    model::WindowModel model(time);
    linux::ModelView view(model);
    view.OnNoTray([] { std::puts("no notification area"); });
    test::DemoClient client(model);
    const auto never = [] { return false; };

    if (mode == "settings" || mode == "found" || mode == "about") {
        client.Open(mode == "settings" ? IDD_SETTINGS
                    : mode == "found"  ? IDD_WINDOW_FOUND
                                       : IDD_ABOUTBOX);
        std::puts("shown");
        std::fflush(stdout);
        client.RunUntil(never, 0x7FFFFFFF);
        return 0;
    }
    if (mode == "menu") {
        QTimer watch;
        bool told = false;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!told && view.OpenMenu() && view.OpenMenu()->isVisible()) {
                told = true;
                std::puts("menu");
                std::fflush(stdout);
            }
        });
        watch.start(100);
        client.RunUntil(never, 0x7FFFFFFF);
        return 0;
    }
    if (mode == "message") {
        model.Post(test::DemoClient::kPid, client.frame, test::DemoClient::kShowMessageBox, 0, 0);
        std::puts("shown");
        std::fflush(stdout);
        client.RunUntil(never, 0x7FFFFFFF);
        return 0;
    }
    if (mode == "idle" && argc > 2) {
        const unsigned seconds = static_cast<unsigned>(std::atoi(argv[2]));
        model.SetTimer(client.frame, 1, 1500);
        const double before = CpuSeconds();
        client.RunUntil(never, seconds * 1000);
        std::printf("cpu %.3f s over %u s\n", CpuSeconds() - before, seconds);
        return 0;
    }
    std::fprintf(stderr, "usage: %s settings|found|about|menu|message|idle SECONDS\n", argv[0]);
    return 2;
}
