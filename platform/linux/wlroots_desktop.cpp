#include "platform/linux/wlroots_desktop.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "platform/strings.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace velk {

namespace {

using Manager = zwlr_foreign_toplevel_manager_v1;
using Toplevel = zwlr_foreign_toplevel_handle_v1;

// The versions whose events the listeners below know.
constexpr std::uint32_t kManagerVersion = 3;
constexpr std::uint32_t kSeatVersion = 1;

}  // namespace

struct WlrootsDesktopProvider::State {
    // What the compositor said of one toplevel since its last "done".
    struct Window {
        DesktopTable::Key key;
        std::string title;
        bool activated = false;
    };

    explicit State(DesktopTable& t) : table(t) {}
    ~State() {
        for (auto& [handle, window] : windows)
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
        if (manager)
            zwlr_foreign_toplevel_manager_v1_destroy(manager);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void Done(Toplevel* handle) {
        const Window& w = windows.at(handle);
        table.SetWindow(w.key, FromUtf8(w.title));
        if (w.activated)
            table.SetActive(w.key);
        else if (table.Front() == table.HandleOf(w.key))
            table.SetActive(std::nullopt);
    }
    void Closed(Toplevel* handle) {
        table.RemoveWindow(windows.at(handle).key);
        windows.erase(handle);
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
    void Lost() {
        // The compositor is gone or broke the connection: none of its windows is left.
        if (!lost)
            table.Clear();
        lost = true;
    }

    DesktopTable& table;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    Manager* manager = nullptr;
    wl_seat* seat = nullptr;
    std::unordered_map<Toplevel*, Window> windows;
    DesktopTable::Key nextKey = 1;
    bool lost = false;
};

namespace {

using State = WlrootsDesktopProvider::State;

void OnTitle(void* data, Toplevel* handle, const char* title) {
    static_cast<State*>(data)->windows.at(handle).title = title ? title : "";
}
void OnAppId(void*, Toplevel*, const char*) {}
void OnOutput(void*, Toplevel*, wl_output*) {}
void OnState(void* data, Toplevel* handle, wl_array* states) {
    bool activated = false;
    const auto* state = static_cast<const std::uint32_t*>(states->data);
    for (std::size_t i = 0; i < states->size / sizeof *state; ++i)
        activated = activated || state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
    static_cast<State*>(data)->windows.at(handle).activated = activated;
}
void OnDone(void* data, Toplevel* handle) {
    static_cast<State*>(data)->Done(handle);
}
void OnClosed(void* data, Toplevel* handle) {
    static_cast<State*>(data)->Closed(handle);
}
void OnParent(void*, Toplevel*, Toplevel*) {}

const zwlr_foreign_toplevel_handle_v1_listener kToplevelListener = {
    OnTitle, OnAppId, OnOutput, OnOutput, OnState, OnDone, OnClosed, OnParent,
};

void OnToplevel(void* data, Manager*, Toplevel* handle) {
    auto* s = static_cast<State*>(data);
    s->windows.emplace(handle, State::Window{s->nextKey++, {}, false});
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kToplevelListener, s);
}
void OnFinished(void* data, Manager* manager) {
    auto* s = static_cast<State*>(data);
    zwlr_foreign_toplevel_manager_v1_destroy(manager);
    s->manager = nullptr;
}

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {OnToplevel, OnFinished};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto* s = static_cast<State*>(data);
    if (!s->manager &&
        std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
        s->manager = static_cast<Manager*>(
            wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                             version < kManagerVersion ? version : kManagerVersion));
        zwlr_foreign_toplevel_manager_v1_add_listener(s->manager, &kManagerListener, s);
    } else if (!s->seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        s->seat = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, kSeatVersion));
    }
}
void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

std::unique_ptr<WlrootsDesktopProvider> WlrootsDesktopProvider::Connect(DesktopTable& table,
                                                                        const char* displayName,
                                                                        std::string& why) {
    auto s = std::make_unique<State>(table);
    s->display = wl_display_connect(displayName);
    if (!s->display) {
        why = std::string("cannot connect to the Wayland compositor: ") + std::strerror(errno);
        return nullptr;
    }
    s->registry = wl_display_get_registry(s->display);
    wl_registry_add_listener(s->registry, &kRegistryListener, s.get());
    // The first round trip brings the globals, the second the windows already open.
    if (wl_display_roundtrip(s->display) < 0) {
        why = "the Wayland compositor broke the connection";
        return nullptr;
    }
    if (!s->manager) {
        why = "the Wayland compositor does not tell other programs about its windows";
        return nullptr;
    }
    if (wl_display_roundtrip(s->display) < 0) {
        why = "the Wayland compositor broke the connection";
        return nullptr;
    }
    return std::unique_ptr<WlrootsDesktopProvider>(new WlrootsDesktopProvider(std::move(s)));
}

WlrootsDesktopProvider::WlrootsDesktopProvider(std::unique_ptr<State> state)
    : s_(std::move(state)) {}

WlrootsDesktopProvider::~WlrootsDesktopProvider() = default;

void WlrootsDesktopProvider::Pump() {
    wl_display* d = s_->display;
    if (s_->lost)
        return;
    while (wl_display_prepare_read(d) != 0) {
        if (wl_display_dispatch_pending(d) < 0)
            return s_->Lost();
    }
    wl_display_flush(d);
    pollfd readable{wl_display_get_fd(d), POLLIN, 0};
    if (poll(&readable, 1, 0) > 0 && (readable.revents & POLLIN)) {
        if (wl_display_read_events(d) < 0)
            return s_->Lost();
    } else {
        wl_display_cancel_read(d);
    }
    if (wl_display_dispatch_pending(d) < 0 || (readable.revents & (POLLHUP | POLLERR)))
        return s_->Lost();
    wl_display_flush(d);
}

int WlrootsDesktopProvider::EventFd() const {
    return wl_display_get_fd(s_->display);
}

bool WlrootsDesktopProvider::Activate(DesktopTable::Key key) {
    if (!s_->seat || s_->lost)
        return false;
    for (auto& [handle, window] : s_->windows) {
        if (window.key == key) {
            zwlr_foreign_toplevel_handle_v1_activate(handle, s_->seat);
            wl_display_flush(s_->display);
            return true;
        }
    }
    return false;
}

}  // namespace velk
