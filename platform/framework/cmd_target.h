// Message maps and command routing: the base of every window class and of the
// application object. A class's map is a static table whose last link points to the
// map of its base class, so a message that a class does not name falls through to
// what its base names.
#pragma once

#include "platform/types.h"

namespace velk {

class CCmdTarget;

// The one shape every map entry is called through; the ON_* macros adapt a member
// function of the class to it.
using AfxHandler = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;  // 0 ends the table
    UINT code;     // WM_COMMAND: the notification code (0 for menus and clicks)
    UINT idFirst;  // WM_COMMAND: the command id range
    UINT idLast;
    AfxHandler handler;
};

struct MessageMap {
    const MessageMap* (*base)();  // null for CCmdTarget's own map
    const MessageMapEntry* entries;
};

class CCmdTarget {
  public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Offers a command to this object's map chain; TRUE when a handler took it.
    virtual BOOL OnCmdMsg(UINT id, UINT code);

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

  protected:
    // The first entry in the chain that names the message (and, for WM_COMMAND, the
    // code and id); null when none does.
    static const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, UINT code,
                                                   UINT id);
};

}  // namespace velk

// --- map declaration and definition ---------------------------------------------------

#define DECLARE_MESSAGE_MAP()                                 \
  public:                                                     \
    static const ::velk::MessageMap* GetThisMessageMap();     \
    const ::velk::MessageMap* GetMessageMap() const override; \
                                                              \
  protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                  \
    const ::velk::MessageMap* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                             \
    }                                                           \
    const ::velk::MessageMap* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;            \
        using TheBaseClass = baseClass;                         \
        static const ::velk::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                           \
    { 0, 0, 0, 0, nullptr }                                                         \
    }                                                                               \
    ;                                                                               \
    static const ::velk::MessageMap map{&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                                    \
    }

// --- entries ----------------------------------------------------------------------------
// Handlers may be private: the adapters are written inside the class's own member
// function, so they have its access.

// void fn(): a menu command or a button click.
#define ON_COMMAND(id, memberFn)                                                          \
    {::velk::WM_COMMAND, 0, static_cast<::velk::UINT>(id), static_cast<::velk::UINT>(id), \
     [](::velk::CCmdTarget& t, ::velk::WPARAM, ::velk::LPARAM) -> ::velk::LRESULT {       \
         static_cast<ThisClass&>(t).memberFn();                                           \
         return 0;                                                                        \
     }},
#define ON_BN_CLICKED(id, memberFn) ON_COMMAND(id, memberFn)

// LRESULT fn(WPARAM, LPARAM): any message, the registered ones included.
#define ON_MESSAGE(msg, memberFn)                                                       \
    {static_cast<::velk::UINT>(msg), 0, 0, 0,                                           \
     [](::velk::CCmdTarget& t, ::velk::WPARAM w, ::velk::LPARAM l) -> ::velk::LRESULT { \
         return static_cast<ThisClass&>(t).memberFn(w, l);                              \
     }},

// int OnCreate(LPARAM createRecord): 0 to go on, -1 to refuse the window.
#define ON_WM_CREATE()                                                                \
    {::velk::WM_CREATE, 0, 0, 0,                                                      \
     [](::velk::CCmdTarget& t, ::velk::WPARAM, ::velk::LPARAM l) -> ::velk::LRESULT { \
         return static_cast<ThisClass&>(t).OnCreate(l);                               \
     }},
// void OnSetFocus(HWND previous)
#define ON_WM_SETFOCUS()                                                              \
    {::velk::WM_SETFOCUS, 0, 0, 0,                                                    \
     [](::velk::CCmdTarget& t, ::velk::WPARAM w, ::velk::LPARAM) -> ::velk::LRESULT { \
         static_cast<ThisClass&>(t).OnSetFocus(::velk::HWND{w});                      \
         return 0;                                                                    \
     }},
// void OnTimer(UINT_PTR id)
#define ON_WM_TIMER()                                                                 \
    {::velk::WM_TIMER, 0, 0, 0,                                                       \
     [](::velk::CCmdTarget& t, ::velk::WPARAM w, ::velk::LPARAM) -> ::velk::LRESULT { \
         static_cast<ThisClass&>(t).OnTimer(static_cast<::velk::UINT_PTR>(w));        \
         return 0;                                                                    \
     }},
// void OnPaint()
#define ON_WM_PAINT()                                                               \
    {::velk::WM_PAINT, 0, 0, 0,                                                     \
     [](::velk::CCmdTarget& t, ::velk::WPARAM, ::velk::LPARAM) -> ::velk::LRESULT { \
         static_cast<ThisClass&>(t).OnPaint();                                      \
         return 0;                                                                  \
     }},
// void OnClose()
#define ON_WM_CLOSE()                                                               \
    {::velk::WM_CLOSE, 0, 0, 0,                                                     \
     [](::velk::CCmdTarget& t, ::velk::WPARAM, ::velk::LPARAM) -> ::velk::LRESULT { \
         static_cast<ThisClass&>(t).OnClose();                                      \
         return 0;                                                                  \
     }},
