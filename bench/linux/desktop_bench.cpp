// One tick's questions about the desktop's windows (the front window, its caption and a
// FindWindowW per running-list entry) answered from the provider's table, against the
// same answers fetched from the X server at each question (the client list and every
// window's title per search). 50 windows under Xvfb and openbox; 10, 100 and 1,000 entries.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdio>
#include <cstdlib>

#include "platform/linux/table_desktop_windows.h"
#include "platform/linux/x11_desktop.h"
#include "platform/strings.h"
#include "tests/linux/support/desktop_session.h"

namespace velk {
namespace {

constexpr int kWindows = 50;

// The desktop, its windows and both ways of asking, set up once for every benchmark.
struct Bench {
    Bench() : x(true) {
        std::string error;
        provider = std::make_unique<X11DesktopProvider>(
            table, X11Connection::Open(x.display.c_str(), error));
        role = std::make_unique<TableDesktopWindows>(table, *provider);
        test::PumpUntil(*provider, [&] { return provider->ManagerPresent(); });
        // A window mapped while openbox starts stays unmanaged: start over until all are.
        for (int attempt = 0; attempt < 10 && table.size() != kWindows; ++attempt) {
            windows = x.Windows();
            windows->Ask("many Window " + std::to_string(kWindows));
            test::PumpUntil(
                *provider, [&] { return table.size() == kWindows; }, 2000);
        }
        if (table.size() != kWindows) {
            std::fprintf(stderr, "desktop_bench: %zu of %d windows managed\n", table.size(),
                         kWindows);
            std::exit(1);
        }
        c = xcb_connect(x.display.c_str(), &screen);
        xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr);
    }
    ~Bench() {
        xcb_ewmh_connection_wipe(&ewmh);
        xcb_disconnect(c);
    }

    // Running-list entries: every tenth names an open window, the rest nothing open.
    static CStringArray Entries(int count) {
        CStringArray entries;
        for (int i = 0; i < count; ++i)
            entries.push_back(i % 10 == 0 ? u"window" + FromUtf8(std::to_string(i % kWindows + 1))
                                          : u"Absent application " + FromUtf8(std::to_string(i)));
        return entries;
    }

    std::u16string Title(xcb_get_property_reply_t* reply) {
        if (!reply)
            return {};
        const std::u16string title =
            FromUtf8({static_cast<const char*>(xcb_get_property_value(reply)),
                      static_cast<std::size_t>(xcb_get_property_value_length(reply))});
        std::free(reply);
        return title;
    }

    // The front window's caption by asking the server.
    std::u16string FrontCaptionByRoundTrips() {
        xcb_window_t active = XCB_WINDOW_NONE;
        xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, screen), &active,
                                         nullptr);
        return Title(xcb_get_property_reply(
            c, xcb_get_property(c, 0, active, ewmh._NET_WM_NAME, ewmh.UTF8_STRING, 0, 16384),
            nullptr));
    }

    // FindWindowW by asking the server: the client list, then every title (pipelined).
    bool FindByRoundTrips(const std::u16string& caption) {
        xcb_ewmh_get_windows_reply_t list;
        if (!xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, screen), &list,
                                            nullptr))
            return false;
        std::vector<xcb_get_property_cookie_t> cookies;
        for (std::uint32_t i = 0; i < list.windows_len; ++i)
            cookies.push_back(xcb_get_property(c, 0, list.windows[i], ewmh._NET_WM_NAME,
                                               ewmh.UTF8_STRING, 0, 16384));
        xcb_ewmh_get_windows_reply_wipe(&list);
        bool found = false;
        for (const auto& cookie : cookies)
            found =
                FoldedEquals(Title(xcb_get_property_reply(c, cookie, nullptr)), caption) || found;
        return found;
    }

    test::XSession x;
    DesktopTable table;
    std::unique_ptr<X11DesktopProvider> provider;
    std::unique_ptr<TableDesktopWindows> role;
    std::unique_ptr<test::Child> windows;
    xcb_connection_t* c = nullptr;
    int screen = 0;
    xcb_ewmh_connection_t ewmh{};
};

Bench& Desktop() {
    static Bench bench;
    return bench;
}

void BM_TickFromTable(benchmark::State& state) {
    Bench& b = Desktop();
    const CStringArray entries = Bench::Entries(static_cast<int>(state.range(0)));
    int found = 0;
    for (auto _ : state) {
        char16_t caption[256];
        b.role->GetWindowTextW(b.role->GetForegroundWindow(), caption, 256);
        found = 0;
        for (const auto& entry : entries)
            found += b.role->FindWindowW(nullptr, entry.c_str()) ? 1 : 0;
        benchmark::DoNotOptimize(caption);
    }
    state.counters["found"] = found;
}

void BM_TickByRoundTrips(benchmark::State& state) {
    Bench& b = Desktop();
    const CStringArray entries = Bench::Entries(static_cast<int>(state.range(0)));
    int found = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.FrontCaptionByRoundTrips());
        found = 0;
        for (const auto& entry : entries)
            found += b.FindByRoundTrips(entry) ? 1 : 0;
    }
    state.counters["found"] = found;
}

BENCHMARK(BM_TickFromTable)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_TickByRoundTrips)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velk

BENCHMARK_MAIN();
