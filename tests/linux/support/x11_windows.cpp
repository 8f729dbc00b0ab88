// A small X client whose windows the desktop tests watch. Reads commands on stdin, one a
// line, and answers each on stdout once the server has it:
//   new NAME TITLE       a window titled through _NET_WM_NAME (WM_NAME says otherwise)
//   compound NAME TITLE  a window with only WM_NAME, as COMPOUND_TEXT
//   latin1 NAME TITLE    a window with only WM_NAME, as STRING (Latin-1)
//   retitle NAME TITLE   a new title in the window's own kind of property
//   close NAME           destroys the window
//   many PREFIX COUNT    COUNT windows titled PREFIX1, PREFIX2, ...
// Answers "NAME 0xID" for a new window, "ok" otherwise. Every window carries _NET_WM_PID.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

enum class Kind { Net, Compound, Latin1 };

struct Win {
    Window id;
    Kind kind;
};

Display* g_display;
std::map<std::string, Win> g_windows;

Atom Intern(const char* name) {
    return XInternAtom(g_display, name, False);
}

std::string ToLatin1(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            out += static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F));
        }
    }
    return out;
}

void SetTitle(const Win& w, const std::string& title) {
    if (w.kind == Kind::Net) {
        XChangeProperty(g_display, w.id, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                        static_cast<int>(title.size()));
        XStoreName(g_display, w.id, "not this one");
    } else if (w.kind == Kind::Latin1) {
        const std::string latin1 = ToLatin1(title);
        XChangeProperty(g_display, w.id, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(latin1.data()),
                        static_cast<int>(latin1.size()));
    } else {
        char* list[] = {const_cast<char*>(title.c_str())};
        XTextProperty text{};
        if (Xutf8TextListToTextProperty(g_display, list, 1, XCompoundTextStyle, &text) >= 0) {
            XSetWMName(g_display, w.id, &text);
            XFree(text.value);
        }
    }
}

Window Create(const std::string& name, Kind kind, const std::string& title) {
    const int screen = DefaultScreen(g_display);
    const Window id =
        XCreateSimpleWindow(g_display, RootWindow(g_display, screen), 10, 10, 200, 100, 1,
                            BlackPixel(g_display, screen), WhitePixel(g_display, screen));
    const long pid = getpid();
    XChangeProperty(g_display, id, Intern("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    g_windows[name] = {id, kind};
    SetTitle(g_windows[name], title);
    XMapWindow(g_display, id);
    return id;
}

}  // namespace

int main() {
    std::setlocale(LC_ALL, "C.UTF-8");
    g_display = XOpenDisplay(nullptr);
    if (!g_display) {
        std::fprintf(stderr, "x11_windows: no display\n");
        return 2;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command, name, title;
        in >> command >> name;
        std::getline(in >> std::ws, title);
        std::ostringstream answer;
        answer << "ok";
        if (command == "new" || command == "compound" || command == "latin1") {
            const Kind kind = command == "new"        ? Kind::Net
                              : command == "compound" ? Kind::Compound
                                                      : Kind::Latin1;
            answer.str("");
            answer << name << " 0x" << std::hex << Create(name, kind, title);
        } else if (command == "retitle" && g_windows.count(name)) {
            SetTitle(g_windows[name], title);
        } else if (command == "close" && g_windows.count(name)) {
            XDestroyWindow(g_display, g_windows[name].id);
            g_windows.erase(name);
        } else if (command == "many") {
            for (int i = 1; i <= std::stoi(title); ++i)
                Create(name + std::to_string(i), Kind::Net, name + std::to_string(i));
        }
        XSync(g_display, False);
        std::cout << answer.str() << std::endl;
    }
    XCloseDisplay(g_display);
    return 0;
}
