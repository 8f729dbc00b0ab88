// velk: the program on a Linux desktop. The application is the same as on the handheld
// and on Windows; its windows live in the window model on the real clock, Qt's loop is
// the model's wait, the desktop's windows come from the provider chosen for the session,
// the radios from NetworkManager, BlueZ and rfkill, the settings from a `.reg` file.
//
// Which object answers which role:
//   registry   FileRegistry on $XDG_CONFIG_HOME/velk/settings.reg
//   windows    DesktopModelWindows: the model (ClientWindows) joined to the desktop's table
//   desktop    the same object: the desktop's windows, the program's own among them
//   shell      the model's ClientShell: its notification icons, no Pocket PC shell
//   power      the radios' LinuxPower, with the idle timer of the session (IdleTimer)
//   bluetooth  the radios' LinuxBluetooth
//   process    LinuxProcess: /proc, the lock of one user on one display
// Later starts reach the running copy through ChannelServer (instance_channel.h).
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "apps/velk-linux/file_registry.h"
#include "engine/decision_explainer.h"
#include "mainframe/switcher_app.h"
#include "platform/framework/win_app.h"
#include "platform/linux/desktop_choice.h"
#include "platform/linux/desktop_model_windows.h"
#include "platform/linux/idle_timer.h"
#include "platform/linux/instance_channel.h"
#include "platform/linux/process.h"
#include "platform/linux/radios.h"
#include "platform/linux/session_paths.h"
#include "platform/linux/shell_providers.h"
#include "platform/linux/view/model_view.h"
#include "platform/linux/view/qt_host_loop.h"
#include "platform/linux/x11_services.h"
#include "platform/model/input.h"
#include "platform/model/real_time.h"
#include "platform/model/window_model.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "res/resource_ids.h"

#ifndef VELK_VERSION
#define VELK_VERSION "0.76"
#endif

namespace velk::linux {
namespace {

constexpr UINT kCaptureKey = 0xC1;  // Application Button 1
constexpr int kCancelledStart = 255;

const char kUsage[] =
    "usage: velk [--explain] [INTERVAL]\n"
    "       velk --capture | --settings | --radios | --help | --version\n";

const char kHelp[] =
    "Switches Bluetooth and WiFi by the windows in front or running.\n"
    "  INTERVAL    how often the front window is looked at, in milliseconds (1500)\n"
    "  --explain   print why each radio was switched, with the time, as it happens\n"
    "  --capture   hand the capture key to the running copy (its Find Window mode)\n"
    "  --settings  open the running copy's settings\n"
    "  --radios    print what the program sees of each radio, and exit\n"
    "  --help      this text;  --version  the program's version\n"
    "Settings: $XDG_CONFIG_HOME/velk/settings.reg (~/.config/velk/settings.reg).\n";

// The start's own options; the rest is the application's command line.
struct Options {
    bool explain = false;
    std::string request;  // "capture" or "settings": for the running copy
    bool radios = false;
    std::string commandLine;
};

// "--anything" and "-x" are options; "-5" is a (negative) interval for the application.
bool IsOption(const std::string& arg) {
    if (arg.rfind("--", 0) == 0)
        return true;
    return arg.size() > 1 && arg[0] == '-' &&
           ((arg[1] >= 'a' && arg[1] <= 'z') || (arg[1] >= 'A' && arg[1] <= 'Z'));
}

// The IPower of the radios, with the session's idle timer.
class DesktopPower final : public IPower {
  public:
    DesktopPower(IPower& radios, IdleTimer& idle) : radios_(radios), idle_(idle) {}
    DWORD SetDevicePower(const char16_t* d, DWORD f, DWORD s) override {
        return radios_.SetDevicePower(d, f, s);
    }
    DWORD GetDevicePower(const char16_t* d, DWORD f, DWORD* s) override {
        return radios_.GetDevicePower(d, f, s);
    }
    BOOL KernelIoControl(DWORD c, void* i, DWORD is, void* o, DWORD os, DWORD* n) override {
        return radios_.KernelIoControl(c, i, is, o, os, n);
    }
    HANDLE CreateEventW(BOOL m, BOOL s, const char16_t* n) override {
        return radios_.CreateEventW(m, s, n);
    }
    BOOL EventModify(HANDLE e, DWORD f) override { return radios_.EventModify(e, f); }
    BOOL CloseHandle(HANDLE h) override { return radios_.CloseHandle(h); }
    void Sleep(DWORD ms) override { radios_.Sleep(ms); }
    void SystemIdleTimerReset() override { idle_.Reset(); }

  private:
    IPower& radios_;
    IdleTimer& idle_;
};

// The application as this home starts it: a start the application called off (the Up
// key) ends with the same status as a start that found a running copy.
class DesktopApp final : public CSwitcherApp {
  public:
    using CSwitcherApp::CSwitcherApp;
    BOOL InitInstance() override {
        started = CSwitcherApp::InitInstance() != 0;
        return started ? 1 : 0;
    }
    bool started = false;
};

// The engine's explanations on standard output, each with the wall-clock time.
class ExplanationPrinter final : public IExplanationSink {
  public:
    void Explain(const std::string& line) override { Print("why: " + line); }
    static void Print(const std::string& line) {
        const QString now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
        std::cout << now.toStdString() << " " << line << std::endl;
    }
};

int AskRunningCopyFor(const std::string& request, const std::string& display) {
    std::string answer;
    switch (AskRunningCopy(SessionFile(display, ".sock"), request, answer)) {
        case ChannelResult::Answered:
            if (answer == "ok")
                return 0;
            std::cerr << "velk: the running copy on display " << display << " is not ready"
                      << std::endl;
            return 1;
        case ChannelResult::OtherUser:
            std::cerr << "velk: the copy on display " << display << " belongs to another user"
                      << std::endl;
            return 1;
        case ChannelResult::NoCopy:
            break;
    }
    std::cerr << "velk: no copy of velk runs for this user on display " << display << std::endl;
    return 1;
}

// Ends the program as Exit would: the main window closes (and with it the icon).
int signalPipe[2] = {-1, -1};
void OnSignal(int) {
    const char byte = 1;
    (void)!::write(signalPipe[1], &byte, 1);
}

int Run(int argc, char** argv, const Options& options) {
    const std::string display = SessionDisplay();
    const DesktopEnvironment env = DesktopEnvironment::FromProcess();
    if (display.empty()) {
        std::cerr << "velk: no graphical desktop: neither WAYLAND_DISPLAY nor DISPLAY is set"
                  << std::endl;
        return 2;
    }
    if (!options.request.empty())
        return AskRunningCopyFor(options.request, display);

    QApplication qt(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    // The settings first: a file that cannot be read stops the start before anything.
    const std::string settings = DefaultSettingsPath();
    if (settings.empty()) {
        std::cerr << "velk: neither XDG_CONFIG_HOME nor HOME is set: no place for the settings"
                  << std::endl;
        return 2;
    }
    FileRegistry registry(settings, [](std::function<void()> save) {
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(save));
    });
    try {
        registry.Load();
    } catch (const regfile::RegFileError& e) {
        std::cerr << "velk: " << e.file;
        if (e.line > 0)
            std::cerr << ":" << e.line;
        std::cerr << ": " << e.what() << " (the file is left as it is)" << std::endl;
        return 2;
    }

    DesktopTable table;
    DesktopChoice choice = ChooseDesktopProvider(table, env, LinuxDesktopCandidates());
    if (!choice.provider) {
        std::cerr << "velk: " << choice.error << std::endl;
        return 2;
    }
    if (!choice.notice.empty())
        std::cerr << "velk: " << choice.notice << std::endl;
    // Which of the desktop's interfaces the decisions rest on, for whoever asks why.
    if (options.explain)
        ExplanationPrinter::Print("windows seen through: " + std::string(choice.provider->Name()));

    // X11's key state, screen saver and capture key, where there is an X server.
    std::string why;
    std::unique_ptr<X11Connection> x11 =
        env.display.empty() ? nullptr : X11Connection::Open(env.display.c_str(), why);
    std::unique_ptr<X11Keyboard> keyboard = x11 ? std::make_unique<X11Keyboard>(*x11) : nullptr;
    std::unique_ptr<X11HotKey> hotKey;
    if (x11)
        if (auto own = X11Connection::Open(env.display.c_str(), why))
            hotKey = std::make_unique<X11HotKey>(std::move(own));

    const DWORD pid = static_cast<DWORD>(::getpid());
    QtHostLoop hostLoop;
    model::RealTimeSource time(hostLoop);
    model::WindowModel model(time);
    model::UserInput input(model);
    model.AddClient(pid);
    ModelView view(model);
    view.OnNoTray([] {
        std::cerr << "velk: this desktop shows no tray icons; velk runs on without one "
                     "(velk --settings opens its settings)"
                  << std::endl;
    });
    const auto workArea = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect r = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    };
    model.SetWorkArea(workArea());
    // The input panel's preference control is the handheld's alone.
    model.SetControlClassPresent(u"SIPPREF", false);

    LinuxProcess process(SessionFile(display, ".lock"));
    const std::string channelPath = SessionFile(display, ".sock");

    LinuxRadios::Options radioOptions;
    radioOptions.sessionBus = {};  // the idle timer below has its own
    LinuxRadios radios(radioOptions);
    IdleTimer idle(QDBusConnection::sessionBus(), [&] {
        if (keyboard)
            keyboard->ResetScreenSaver();
    });
    DesktopPower power(radios.Power(), idle);

    DesktopModelWindows::Hooks hooks;
    if (keyboard)
        hooks.upHeld = [&] { return keyboard->IsUpHeld(); };
    if (hotKey)
        hooks.captureKey = [&](bool take) {
            if (take && !hotKey->Grab())
                std::cerr << "velk: another program holds the capture key (Super+F12); "
                             "velk --capture captures instead"
                          << std::endl;
            else if (!take)
                hotKey->Release();
        };
    hooks.runningCopy = [&]() -> std::optional<DWORD> {
        if (!process.HeldElsewhere())
            return std::nullopt;
        std::string answer;
        if (AskRunningCopy(channelPath, "pid", answer) != ChannelResult::Answered)
            return std::nullopt;
        const long copy = std::strtol(answer.c_str(), nullptr, 10);
        return copy > 0 ? std::optional<DWORD>(static_cast<DWORD>(copy)) : std::nullopt;
    };
    hooks.frontRunningCopy = [&] {
        std::string answer;
        return AskRunningCopy(channelPath, "front", answer) == ChannelResult::Answered &&
               answer == "ok";
    };
    DesktopModelWindows windows(model, pid, table, *choice.provider, std::move(hooks));
    model::ClientShell shell(model, pid);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        QObject::connect(screen, &QScreen::availableGeometryChanged,
                         [&] { model.SetWorkArea(workArea()); });

    const Platform platform{registry, windows, windows, shell, power, radios.Bluetooth(), process};
    ExplanationPrinter explanations;
    DesktopApp app(platform, options.explain ? &explanations : nullptr);

    // What reaches the running copy, once it holds the lock and its loop runs.
    ChannelServer channel;
    std::unique_ptr<QSocketNotifier> channelNotifier;
    const auto serve = [&] {
        while (auto request = channel.Take()) {
            CMainFrame* frame = app.MainFrame();
            std::string reply = "ok";
            if (request->command == "pid") {
                reply = std::to_string(pid);
            } else if (!frame) {
                reply = "not ready";
            } else if (request->command == "settings") {
                model.Post(pid, frame->m_hWnd, WM_COMMAND, ID_SETTINGS, 0);
                time.Wake();
            } else if (request->command == "capture") {
                input.PressKey(kCaptureKey);
            } else if (request->command == "front") {
                // The program's frontmost open window comes forward, as the low bit of
                // the handle asks on the handheld.
                for (HWND h : model.ZOrder())
                    if (model.Get(h).pid == pid && model.IsVisible(h)) {
                        windows.SetForegroundWindow(h);
                        break;
                    }
                time.Wake();
            } else {
                reply = "unknown request";
            }
            ChannelServer::Answer(*request, reply);
        }
    };
    QTimer::singleShot(0, &qt, [&] {
        if (!process.HoldsLock())
            return;
        std::string error;
        if (!channel.Listen(channelPath, error)) {
            std::cerr << "velk: later starts cannot reach this copy: " << error << std::endl;
            return;
        }
        channelNotifier = std::make_unique<QSocketNotifier>(channel.Fd(), QSocketNotifier::Read);
        QObject::connect(channelNotifier.get(), &QSocketNotifier::activated, serve);
    });

    std::unique_ptr<QSocketNotifier> keyNotifier;
    if (hotKey) {
        keyNotifier = std::make_unique<QSocketNotifier>(hotKey->EventFd(), QSocketNotifier::Read);
        QObject::connect(keyNotifier.get(), &QSocketNotifier::activated, [&] {
            if (hotKey->TakePress())
                input.PressKey(kCaptureKey);
        });
    }

    // TERM and INT end the program as Exit does.
    UniqueFd signalRead, signalWrite;
    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        signalRead = UniqueFd(signalPipe[0]);
        signalWrite = UniqueFd(signalPipe[1]);
        signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [&] {
            char byte;
            while (::read(signalPipe[0], &byte, 1) > 0) {
            }
            if (CMainFrame* frame = app.MainFrame())
                model.Post(pid, frame->m_hWnd, WM_CLOSE, 0, 0);
            time.Wake();
        });
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    }

    const int status = AfxWinMain(app, FromUtf8(options.commandLine));
    registry.Flush();
    if (status == 0 && !app.started)
        return kCancelledStart;
    return status & 0xFF;
}

}  // namespace
}  // namespace velk::linux

int main(int argc, char** argv) {
    using namespace velk::linux;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << kHelp << std::flush;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "velk " << VELK_VERSION << std::endl;
            return 0;
        }
        if (arg == "--explain") {
            options.explain = true;
        } else if (arg == "--capture" || arg == "--settings") {
            options.request = arg.substr(2);
        } else if (arg == "--radios") {
            options.radios = true;
        } else if (IsOption(arg)) {
            std::cerr << "velk: unknown option " << arg << "\n" << kUsage << std::flush;
            return 2;
        } else {
            options.commandLine += (options.commandLine.empty() ? "" : " ") + arg;
        }
    }
    if (options.radios) {
        QCoreApplication qt(argc, argv);
        LinuxRadios radios;
        for (const std::string& line : radios.Report())
            std::cout << line << std::endl;
        return 0;
    }
    return Run(argc, argv, options);
}
