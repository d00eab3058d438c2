// Message maps: each class lists the messages and commands it handles in a
// table at the top of its .cpp; dispatch walks the tables from the most
// derived class to its bases.
#pragma once

#include <windows.h>

#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019 // the 16-bit message that stands for every WM_CTLCOLOR* kind
#endif

class CCmdTarget;
class CWnd;
class CDC;

using AFX_PMSG = void (CCmdTarget::*)();

// How a handler is called.
enum class HandlerSig : unsigned char {
    Void,      // void ()                                  WM_PAINT, commands
    SetCursor, // BOOL (CWnd*, UINT nHitTest, UINT msg)    WM_SETCURSOR
    CtlColor,  // HBRUSH (CDC*, CWnd*, UINT nCtlColor)     WM_CTLCOLOR*
    QueryIcon, // HCURSOR ()                               WM_QUERYDRAGICON
};

// One handler of any of the signatures; each constructor records which.
struct MessageHandler {
    constexpr MessageHandler() : sig(HandlerSig::Void), onVoid(nullptr) {}
    constexpr MessageHandler(void (CCmdTarget::*f)()) : sig(HandlerSig::Void), onVoid(f) {}
    constexpr MessageHandler(BOOL (CWnd::*f)(CWnd*, UINT, UINT))
        : sig(HandlerSig::SetCursor), onSetCursor(f) {}
    constexpr MessageHandler(HBRUSH (CWnd::*f)(CDC*, CWnd*, UINT))
        : sig(HandlerSig::CtlColor), onCtlColor(f) {}
    constexpr MessageHandler(HCURSOR (CWnd::*f)()) : sig(HandlerSig::QueryIcon), onQueryIcon(f) {}

    HandlerSig sig;
    union {
        void (CCmdTarget::*onVoid)();
        BOOL (CWnd::*onSetCursor)(CWnd*, UINT, UINT);
        HBRUSH (CWnd::*onCtlColor)(CDC*, CWnd*, UINT);
        HCURSOR (CWnd::*onQueryIcon)();
    };
};

struct MessageMapEntry {
    UINT message; // WM_COMMAND for commands and control notifications
    UINT code;    // notification code of a command entry
    UINT id;      // command or control id of a command entry
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* (*baseMap)();
    const MessageMapEntry* entries; // ends with an entry whose message is 0
};

#define DECLARE_MESSAGE_MAP()                                                                      \
  protected:                                                                                       \
    static const MessageMap* GetThisMessageMap();                                                  \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const MessageMap* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const MessageMap* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, MessageHandler() }                                                                  \
    }                                                                                              \
    ;                                                                                              \
    static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};                     \
    return &map;                                                                                   \
    }

#define AFX_HANDLER(type, member) MessageHandler(static_cast<type>(member))

#define ON_WM_PAINT() {WM_PAINT, 0, 0, AFX_HANDLER(void(CCmdTarget::*)(), &ThisClass::OnPaint)},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, 0, 0, AFX_HANDLER(BOOL(CWnd::*)(CWnd*, UINT, UINT), &ThisClass::OnSetCursor)},
// Stands for every WM_CTLCOLOR* message; the handler gets the kind as nCtlColor.
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLOR, 0, 0, AFX_HANDLER(HBRUSH(CWnd::*)(CDC*, CWnd*, UINT), &ThisClass::OnCtlColor)},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, AFX_HANDLER(HCURSOR(CWnd::*)(), &ThisClass::OnQueryDragIcon)},
// A command entry matches the notification code as well as the id, so an
// edit's change notification never counts as a click.
#define ON_CONTROL(code, id, member)                                                               \
    {WM_COMMAND, (UINT)(code), (UINT)(id), AFX_HANDLER(void(CCmdTarget::*)(), &ThisClass::member)},
#define ON_BN_CLICKED(id, member) ON_CONTROL(BN_CLICKED, id, member)
#define ON_STN_CLICKED(id, member) ON_CONTROL(STN_CLICKED, id, member)
#define ON_COMMAND(id, member) ON_CONTROL(0, id, member)

class CCmdTarget {
  public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Runs the handler of a command or control notification; false when
    // no entry matches.
    bool OnCmdMsg(UINT id, UINT code);
    bool HandlesCommand(UINT id, UINT code) const {
        return FindEntry(WM_COMMAND, code, id) != nullptr;
    }

  protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
    const MessageMapEntry* FindEntry(UINT message, UINT code, UINT id) const;
};
