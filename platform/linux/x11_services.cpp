#include "platform/linux/x11_services.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace velk {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// The modifier bit that the key with this symbol sets, 0 when none does.
std::uint16_t ModifierOf(Display* display, KeySym symbol) {
    const KeyCode code = XKeysymToKeycode(display, symbol);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (code == 0 || map == nullptr) {
        if (map)
            XFreeModifiermap(map);
        return 0;
    }
    std::uint16_t bit = 0;
    for (int mod = 0; mod < 8 && bit == 0; ++mod)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[mod * map->max_keypermod + k] == code) {
                bit = static_cast<std::uint16_t>(1u << mod);
                break;
            }
    XFreeModifiermap(map);
    return bit;
}

}  // namespace

X11HotKey::X11HotKey(std::unique_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {
    Display* display = connection_->display();
    keycode_ = XKeysymToKeycode(display, XK_F12);
    modifiers_ = ModifierOf(display, XK_Super_L);
    if (modifiers_ == 0)
        modifiers_ = XCB_MOD_MASK_4;
    numLock_ = ModifierOf(display, XK_Num_Lock);
}

X11HotKey::~X11HotKey() {
    Release();
}

bool X11HotKey::Grab() {
    if (grabbed_)
        return true;
    if (keycode_ == 0 || connection_->broken())
        return false;
    xcb_connection_t* c = connection_->xcb();
    const std::uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLock_,
                                   static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock_)};
    xcb_void_cookie_t cookies[4];
    for (int i = 0; i < 4; ++i)
        cookies[i] = xcb_grab_key_checked(c, 1, connection_->root(), modifiers_ | locks[i],
                                          keycode_, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool all = true;
    for (const auto& cookie : cookies) {
        std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(c, cookie));
        all = all && !error;
    }
    grabbed_ = true;
    if (!all) {
        Release();
        return false;
    }
    return true;
}

void X11HotKey::Release() {
    if (!grabbed_)
        return;
    grabbed_ = false;
    if (connection_->broken())
        return;
    // Every lock combination at once; a key someone else holds stays theirs.
    xcb_ungrab_key(connection_->xcb(), keycode_, connection_->root(), XCB_MOD_MASK_ANY);
    xcb_flush(connection_->xcb());
}

bool X11HotKey::TakePress() {
    bool pressed = false;
    while (xcb_generic_event_t* raw = xcb_poll_for_event(connection_->xcb())) {
        std::unique_ptr<xcb_generic_event_t, FreeDeleter> event(raw);
        if ((event->response_type & 0x7F) == XCB_KEY_PRESS &&
            reinterpret_cast<xcb_key_press_event_t*>(raw)->detail == keycode_)
            pressed = true;
    }
    return pressed;
}

bool X11Keyboard::IsUpHeld() {
    if (connection_.broken())
        return false;
    const KeyCode code = XKeysymToKeycode(connection_.display(), XK_Up);
    if (code == 0)
        return false;
    xcb_connection_t* c = connection_.xcb();
    std::unique_ptr<xcb_query_keymap_reply_t, FreeDeleter> keys(
        xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    return keys && (keys->keys[code / 8] & (1u << (code % 8))) != 0;
}

void X11Keyboard::ResetScreenSaver() {
    if (connection_.broken())
        return;
    xcb_force_screen_saver(connection_.xcb(), XCB_SCREEN_SAVER_RESET);
    xcb_flush(connection_.xcb());
}

}  // namespace velk
