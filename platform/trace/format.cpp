#include "platform/trace/format.h"

#include <cstdio>

#include "platform/strings.h"

namespace velk::trace {

namespace {

struct NamedMessage {
    UINT id;
    const char* name;
};

constexpr NamedMessage kMessageNames[] = {
    {WM_NULL, "WM_NULL"},
    {WM_CREATE, "WM_CREATE"},
    {WM_DESTROY, "WM_DESTROY"},
    {WM_ACTIVATE, "WM_ACTIVATE"},
    {WM_SETFOCUS, "WM_SETFOCUS"},
    {WM_PAINT, "WM_PAINT"},
    {WM_CLOSE, "WM_CLOSE"},
    {WM_QUIT, "WM_QUIT"},
    {WM_SETTINGCHANGE, "WM_SETTINGCHANGE"},
    {WM_INITDIALOG, "WM_INITDIALOG"},
    {WM_COMMAND, "WM_COMMAND"},
    {WM_TIMER, "WM_TIMER"},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, "WM_LBUTTONUP"},
    {WM_HOTKEY, "WM_HOTKEY"},
};

}  // namespace

std::string TraceString(const char16_t* s) {
    if (!s)
        return "null";
    return TraceString(std::u16string_view(s));
}

std::string TraceString(std::u16string_view s) {
    return QuotedUtf8(s);
}

std::string TraceHandle(std::uintptr_t value) {
    return HandleText(value);
}

std::string TraceHex(std::uintptr_t value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%0*llX", width, static_cast<unsigned long long>(value));
    return buf;
}

std::string TraceNum(long long value) {
    return std::to_string(value);
}

std::string TraceRect(const RECT& r) {
    std::string out = "{";
    out += TraceNum(r.left) + ", " + TraceNum(r.top) + ", " + TraceNum(r.right) + ", " +
           TraceNum(r.bottom);
    out += '}';
    return out;
}

std::string TraceResult(bool ok) {
    return ok ? " -> TRUE" : " -> FALSE";
}

std::string MessageName(UINT message) {
    for (const NamedMessage& m : kMessageNames)
        if (m.id == message)
            return m.name;
    if (message >= WM_USER && message < 0x8000)
        return "WM_USER+" + std::to_string(message - WM_USER);
    return std::to_string(message);
}

}  // namespace velk::trace
