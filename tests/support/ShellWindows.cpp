#include "ShellWindows.h"

#include <shlobj.h>
#include <string.h>

namespace {
const UINT kNoticeMessage = WM_APP + 1;
std::vector<ReceivedMessage> g_received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_COMMAND) {
        g_received.push_back({window, message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Class names are unique per module whatever their letter case, so the
// differently spelt one belongs to another module.
HINSTANCE ModuleFor(const char* className) {
    if (strcmp(className, "cabinetwclass") == 0)
        return GetModuleHandleA("kernel32.dll");
    return GetModuleHandleA(nullptr);
}

void RegisterOnce() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const char* name : {"CabinetWClass", "ExploreWClass", "Progman", "SysListView32",
                             "SHELLDLL_DefView", "cabinetwclass", "Other"}) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = ModuleFor(name);
        windowClass.lpszClassName = name;
        RegisterClassA(&windowClass);
    }
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}
} // namespace

ShellWindows::ShellWindows() {
    RegisterOnce();
    g_received.clear();
}

ShellWindows::~ShellWindows() {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        DestroyWindow(*it);
    Pump();
    g_received.clear();
}

HWND ShellWindows::Top(const char* className, const char* title, bool visible) {
    HWND window = CreateWindowA(className, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                                10, 10, 200, 150, nullptr, nullptr, ModuleFor(className), nullptr);
    m_windows.push_back(window);
    return window;
}

HWND ShellWindows::Child(HWND parent, const char* className) {
    HWND window = CreateWindowA(className, "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, nullptr,
                                ModuleFor(className), nullptr);
    m_windows.push_back(window);
    return window;
}

std::vector<ReceivedMessage> ShellWindows::Take() {
    Pump();
    std::vector<ReceivedMessage> received;
    received.swap(g_received);
    return received;
}

ChangeNotices::ChangeNotices(const char* folder) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ChangeNotices";
    RegisterClassA(&windowClass); // fails harmlessly when already there
    m_window = CreateWindowA("ChangeNotices", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, (LONG_PTR)this);
    PIDLIST_ABSOLUTE item = ILCreateFromPathA(folder);
    if (!item)
        return; // a folder that does not exist hears nothing
    SHChangeNotifyEntry entry = {item, FALSE};
    m_registration = SHChangeNotifyRegister(
        m_window, SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery, SHCNE_UPDATEITEM,
        kNoticeMessage, 1, &entry);
    ILFree(item);
}

ChangeNotices::~ChangeNotices() {
    if (m_registration)
        SHChangeNotifyDeregister(m_registration);
    DestroyWindow(m_window);
}

int ChangeNotices::Updates() {
    Pump();
    return m_updates;
}

LRESULT CALLBACK ChangeNotices::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kNoticeMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    auto* self = reinterpret_cast<ChangeNotices*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    PIDLIST_ABSOLUTE* items = nullptr;
    LONG event = 0;
    HANDLE lock = SHChangeNotification_Lock((HANDLE)wParam, (DWORD)lParam, &items, &event);
    if (!lock)
        return 0;
    if (self && (event & SHCNE_UPDATEITEM))
        ++self->m_updates;
    SHChangeNotification_Unlock(lock);
    return 0;
}
