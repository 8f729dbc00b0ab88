#include "platform/linux/x11_desktop.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <langinfo.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/strings.h"

namespace velk {

namespace {

// Owners of the replies and events xcb hands out with malloc.
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbPtr = std::unique_ptr<T, FreeDeleter>;

// Titles longer than this (in 32-bit units) are cut; no real caption comes near.
constexpr std::uint32_t kTitleWords = 16384;

// The program's character locale switched to UTF-8 for one Xlib conversion, where it is
// not UTF-8 already; the program is single-threaded where it reads titles.
class Utf8CharacterLocale {
  public:
    Utf8CharacterLocale() {
        if (IsUtf8())
            return;
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        saved_ = current ? current : "C";
        switched_ = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    }
    ~Utf8CharacterLocale() {
        if (switched_)
            std::setlocale(LC_CTYPE, saved_.c_str());
    }
    Utf8CharacterLocale(const Utf8CharacterLocale&) = delete;
    Utf8CharacterLocale& operator=(const Utf8CharacterLocale&) = delete;

  private:
    static bool IsUtf8() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }
    std::string saved_;
    bool switched_ = false;
};

std::u16string FromLatin1(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.push_back(static_cast<unsigned char>(c));
    return text;
}

std::string_view PropertyBytes(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 8)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(reply)),
            static_cast<std::size_t>(xcb_get_property_value_length(reply))};
}

std::vector<xcb_window_t> PropertyWindows(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 32)
        return {};
    const auto* first = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    return {first, first + xcb_get_property_value_length(reply) / 4};
}

}  // namespace

std::u16string DecodeX11Text(_XDisplay* display, std::uint32_t encoding, std::string_view bytes) {
    if (encoding == XCB_ATOM_STRING)
        return FromLatin1(bytes);
    Utf8CharacterLocale locale;
    std::string copy(bytes);
    XTextProperty property{};
    property.value = reinterpret_cast<unsigned char*>(copy.data());
    property.encoding = encoding;
    property.format = 8;
    property.nitems = copy.size();
    char** list = nullptr;
    int count = 0;
    // A positive answer counts characters the locale cannot show; the rest is still text.
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) < 0 || list == nullptr)
        return FromLatin1(bytes);
    std::string utf8;
    for (int i = 0; i < count; ++i)
        utf8 += list[i];
    XFreeStringList(list);
    return FromUtf8(utf8);
}

// --- the connection -----------------------------------------------------------------------

std::unique_ptr<X11Connection> X11Connection::Open(const char* displayName, std::string& error) {
    if (displayName != nullptr && *displayName == '\0')
        displayName = nullptr;
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) {
        const char* shown = displayName ? displayName : std::getenv("DISPLAY");
        error = std::string("cannot open the X display ") + (shown ? shown : "(DISPLAY unset)");
        return nullptr;
    }
    XSetEventQueueOwner(display, XCBOwnsEventQueue);
    // Xlib ends the whole program when it finds the server gone; the program outlives its
    // desktop session's X server instead.
    XSetIOErrorExitHandler(
        display, [](Display*, void*) {}, nullptr);
    xcb_connection_t* xcb = XGetXCBConnection(display);
    const int screen = DefaultScreen(display);
    auto it = xcb_setup_roots_iterator(xcb_get_setup(xcb));
    for (int i = 0; i < screen && it.rem > 0; ++i)
        xcb_screen_next(&it);
    return std::unique_ptr<X11Connection>(new X11Connection(display, xcb, it.data->root, screen));
}

X11Connection::~X11Connection() {
    // Closing sends Xlib's last requests; on a connection the server has ended, Xlib's
    // default handler would end the program right there.
    const XIOErrorHandler previous =
        broken() ? XSetIOErrorHandler([](Display*) { return 0; }) : nullptr;
    XCloseDisplay(display_);
    if (previous != nullptr)
        XSetIOErrorHandler(previous);
}

int X11Connection::fd() const {
    return xcb_get_file_descriptor(xcb_);
}

bool X11Connection::broken() const {
    return xcb_connection_has_error(xcb_) != 0;
}

// --- the provider ---------------------------------------------------------------------------

struct X11DesktopProvider::State {
    struct Client {
        std::u16string title;
        DWORD pid = 0;
    };

    State(DesktopTable& t, std::unique_ptr<X11Connection> c) : table(t), conn(std::move(c)) {
        c_ = conn->xcb();
        root = conn->root();
        ewmhReady = xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c_, &ewmh), nullptr);
        WatchRoot();
        xcb_flush(c_);
    }
    ~State() {
        if (ewmhReady)
            xcb_ewmh_connection_wipe(&ewmh);
    }

    void DrainEvents();
    void ApplyChanges();
    bool ReadManager();
    std::vector<xcb_window_t> ReadClients();
    void SyncClients(const std::vector<xcb_window_t>& now);
    void ReadTitles();
    void ReadActive();
    std::u16string TitleFrom(xcb_get_property_reply_t* netName, xcb_get_property_reply_t* name);
    void Publish(xcb_window_t window);
    void Watch(xcb_window_t window, bool on);
    void WatchRoot();
    xcb_window_t TopLevelOf(xcb_window_t window);

    DesktopTable& table;
    std::unique_ptr<X11Connection> conn;
    xcb_connection_t* c_;
    xcb_window_t root;
    xcb_ewmh_connection_t ewmh{};
    bool ewmhReady = false;

    bool managed = false;
    bool broken = false;
    // What the next Pump must read again; all of it at the start.
    bool managerDirty = true;
    bool listDirty = true;
    bool activeDirty = true;
    std::unordered_set<xcb_window_t> titlesDirty;

    std::unordered_map<xcb_window_t, Client> clients;
    xcb_window_t active = XCB_WINDOW_NONE;
};

void X11DesktopProvider::State::DrainEvents() {
    while (xcb_generic_event_t* raw = xcb_poll_for_event(c_)) {
        XcbPtr<xcb_generic_event_t> event(raw);
        switch (event->response_type & 0x7F) {
            case XCB_PROPERTY_NOTIFY: {
                const auto* e = reinterpret_cast<xcb_property_notify_event_t*>(raw);
                if (e->window == root) {
                    if (e->atom == ewmh._NET_CLIENT_LIST)
                        listDirty = true;
                    else if (e->atom == ewmh._NET_ACTIVE_WINDOW)
                        activeDirty = true;
                    else if (e->atom == ewmh._NET_SUPPORTING_WM_CHECK ||
                             e->atom == ewmh._NET_SUPPORTED)
                        managerDirty = true;
                } else if ((e->atom == ewmh._NET_WM_NAME || e->atom == XCB_ATOM_WM_NAME) &&
                           clients.count(e->window)) {
                    titlesDirty.insert(e->window);
                }
                break;
            }
            case XCB_CREATE_NOTIFY:
            case XCB_DESTROY_NOTIFY:
            case XCB_MAP_NOTIFY:
            case XCB_UNMAP_NOTIFY:
            case XCB_REPARENT_NOTIFY:
                if (!managed) {
                    listDirty = true;
                    activeDirty = true;
                }
                break;
            case XCB_FOCUS_IN:
            case XCB_FOCUS_OUT:
                if (!managed)
                    activeDirty = true;
                break;
            default:  // errors of requests about windows that were gone already
                break;
        }
    }
}

bool X11DesktopProvider::State::ReadManager() {
    // A window manager names a child window that names itself (EWMH), and supports both
    // properties this provider reads.
    if (!ewmhReady)
        return false;
    xcb_window_t check = XCB_WINDOW_NONE;
    if (!xcb_ewmh_get_supporting_wm_check_reply(
            &ewmh, xcb_ewmh_get_supporting_wm_check(&ewmh, root), &check, nullptr))
        return false;
    xcb_window_t self = XCB_WINDOW_NONE;
    if (!xcb_ewmh_get_supporting_wm_check_reply(
            &ewmh, xcb_ewmh_get_supporting_wm_check(&ewmh, check), &self, nullptr) ||
        self != check)
        return false;
    xcb_ewmh_get_atoms_reply_t supported;
    if (!xcb_ewmh_get_supported_reply(&ewmh, xcb_ewmh_get_supported(&ewmh, conn->screen()),
                                      &supported, nullptr))
        return false;
    const xcb_atom_t* first = supported.atoms;
    const xcb_atom_t* end = first + supported.atoms_len;
    const bool both = std::find(first, end, ewmh._NET_CLIENT_LIST) != end &&
                      std::find(first, end, ewmh._NET_ACTIVE_WINDOW) != end;
    xcb_ewmh_get_atoms_reply_wipe(&supported);
    return both;
}

std::vector<xcb_window_t> X11DesktopProvider::State::ReadClients() {
    if (managed) {
        XcbPtr<xcb_get_property_reply_t> list(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, root, ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW, 0, 1u << 16),
            nullptr));
        return PropertyWindows(list.get());
    }
    // No window manager: the root's mapped children that are not menus or tooltips.
    XcbPtr<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c_, xcb_query_tree(c_, root), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(count);
    for (int i = 0; i < count; ++i)
        cookies.push_back(xcb_get_window_attributes(c_, children[i]));
    std::vector<xcb_window_t> viewable;
    for (int i = 0; i < count; ++i) {
        XcbPtr<xcb_get_window_attributes_reply_t> a(
            xcb_get_window_attributes_reply(c_, cookies[i], nullptr));
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && !a->override_redirect)
            viewable.push_back(children[i]);
    }
    return viewable;
}

void X11DesktopProvider::State::Watch(xcb_window_t window, bool on) {
    std::uint32_t mask = 0;
    if (on)
        mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    if (on && !managed)
        mask |= XCB_EVENT_MASK_FOCUS_CHANGE;
    xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
}

void X11DesktopProvider::State::WatchRoot() {
    // The root's structure and focus matter only without a manager; with one, they would
    // wake the program at every move of a window.
    std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    if (!managed)
        mask |= XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE;
    xcb_change_window_attributes(c_, root, XCB_CW_EVENT_MASK, &mask);
}

void X11DesktopProvider::State::SyncClients(const std::vector<xcb_window_t>& now) {
    const std::unordered_set<xcb_window_t> present(now.begin(), now.end());
    for (auto it = clients.begin(); it != clients.end();) {
        if (present.count(it->first)) {
            ++it;
            continue;
        }
        Watch(it->first, false);
        table.RemoveWindow(it->first);
        titlesDirty.erase(it->first);
        it = clients.erase(it);
    }
    // Watched before its title is read, so that no retitling falls between the two.
    std::vector<std::pair<xcb_window_t, xcb_get_property_cookie_t>> pids;
    for (const xcb_window_t window : now) {
        if (clients.count(window))
            continue;
        clients.emplace(window, Client{});
        Watch(window, true);
        titlesDirty.insert(window);
        pids.emplace_back(
            window, xcb_get_property(c_, 0, window, ewmh._NET_WM_PID, XCB_ATOM_CARDINAL, 0, 1));
    }
    for (auto& [window, cookie] : pids) {
        XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(c_, cookie, nullptr));
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 4)
            clients[window].pid =
                *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    }
}

std::u16string X11DesktopProvider::State::TitleFrom(xcb_get_property_reply_t* netName,
                                                    xcb_get_property_reply_t* name) {
    if (netName && netName->type == ewmh.UTF8_STRING)
        return FromUtf8(PropertyBytes(netName));
    if (!name || name->type == XCB_ATOM_NONE)
        return {};
    const std::string_view bytes = PropertyBytes(name);
    if (name->type == ewmh.UTF8_STRING)
        return FromUtf8(bytes);
    return DecodeX11Text(conn->display(), name->type, bytes);
}

void X11DesktopProvider::State::Publish(xcb_window_t window) {
    const Client& client = clients.at(window);
    // Without a window manager an untitled child is no application window (yet).
    if (client.title.empty() && !managed)
        table.RemoveWindow(window);
    else
        table.SetWindow(window, client.title);
}

void X11DesktopProvider::State::ReadTitles() {
    struct Pending {
        xcb_window_t window;
        xcb_get_property_cookie_t netName;
        xcb_get_property_cookie_t name;
    };
    std::vector<Pending> pending;
    pending.reserve(titlesDirty.size());
    for (const xcb_window_t window : titlesDirty)
        pending.push_back(
            {window,
             xcb_get_property(c_, 0, window, ewmh._NET_WM_NAME, ewmh.UTF8_STRING, 0, kTitleWords),
             xcb_get_property(c_, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                              kTitleWords)});
    titlesDirty.clear();
    for (const Pending& p : pending) {
        XcbPtr<xcb_get_property_reply_t> netName(xcb_get_property_reply(c_, p.netName, nullptr));
        XcbPtr<xcb_get_property_reply_t> name(xcb_get_property_reply(c_, p.name, nullptr));
        auto it = clients.find(p.window);
        if (it == clients.end())
            continue;
        it->second.title = TitleFrom(netName.get(), name.get());
        Publish(p.window);
    }
}

xcb_window_t X11DesktopProvider::State::TopLevelOf(xcb_window_t window) {
    while (window != XCB_WINDOW_NONE && window != root) {
        XcbPtr<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == root)
            return window;
        window = tree->parent;
    }
    return XCB_WINDOW_NONE;
}

void X11DesktopProvider::State::ReadActive() {
    xcb_window_t window = XCB_WINDOW_NONE;
    if (managed) {
        if (!xcb_ewmh_get_active_window_reply(
                &ewmh, xcb_ewmh_get_active_window(&ewmh, conn->screen()), &window, nullptr))
            window = XCB_WINDOW_NONE;
    } else {
        XcbPtr<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
        // None and PointerRoot (1) name no window of an application.
        if (focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT)
            window = TopLevelOf(focus->focus);
    }
    active = window;
    if (table.HandleOf(window))
        table.SetActive(window);
    else
        table.SetActive(std::nullopt);
}

void X11DesktopProvider::State::ApplyChanges() {
    if (managerDirty) {
        managerDirty = false;
        const bool now = ReadManager();
        if (now != managed) {
            // Another source of truth: forget what the old one said.
            for (const auto& [window, client] : clients) {
                Watch(window, false);
                table.RemoveWindow(window);
            }
            clients.clear();
            titlesDirty.clear();
            managed = now;
            WatchRoot();
            listDirty = true;
            activeDirty = true;
        }
    }
    if (listDirty) {
        listDirty = false;
        SyncClients(ReadClients());
        activeDirty = true;
    }
    if (!titlesDirty.empty())
        ReadTitles();
    if (activeDirty) {
        activeDirty = false;
        ReadActive();
    }
    xcb_flush(c_);
}

X11DesktopProvider::X11DesktopProvider(DesktopTable& table,
                                       std::unique_ptr<X11Connection> connection)
    : s_(std::make_unique<State>(table, std::move(connection))) {}

X11DesktopProvider::~X11DesktopProvider() = default;

void X11DesktopProvider::Pump() {
    // Reading may bring events that ask for more reading (a window retitled meanwhile);
    // a few rounds at most, what is left waits for the next call.
    for (int round = 0; round < 4 && !s_->broken; ++round) {
        if (s_->conn->broken()) {
            // The X server is gone, and with it every window it showed.
            s_->broken = true;
            s_->clients.clear();
            s_->table.Clear();
            return;
        }
        s_->DrainEvents();
        if (!s_->managerDirty && !s_->listDirty && !s_->activeDirty && s_->titlesDirty.empty())
            return;
        s_->ApplyChanges();
    }
}

int X11DesktopProvider::EventFd() const {
    return s_->conn->fd();
}

bool X11DesktopProvider::Activate(DesktopTable::Key key) {
    const auto window = static_cast<xcb_window_t>(key);
    if (s_->broken || !s_->clients.count(window))
        return false;
    if (s_->managed) {
        // Source 2: a pager or taskbar acting for the user, which managers obey.
        xcb_ewmh_request_change_active_window(&s_->ewmh, s_->conn->screen(), window,
                                              XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                              s_->active);
    } else {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(s_->c_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(s_->c_, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(s_->c_);
    return true;
}

DWORD X11DesktopProvider::ProcessId(DesktopTable::Key key) const {
    const auto it = s_->clients.find(static_cast<xcb_window_t>(key));
    return it == s_->clients.end() ? 0 : it->second.pid;
}

bool X11DesktopProvider::ManagerPresent() const {
    return s_->managed;
}

}  // namespace velk
