#include "Driver.h"

#include "app/TextRules.h"
#include "framework/App.h"

namespace {
struct EnumContext {
    DWORD pid;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM lParam) {
    EnumContext* context = reinterpret_cast<EnumContext*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == context->pid && IsWindowVisible(window))
        context->windows->push_back(window);
    return TRUE;
}

BOOL CALLBACK FindIconStatic(HWND child, LPARAM lParam) {
    if (ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(lParam) = child;
        return FALSE;
    }
    return TRUE;
}

UINT IconKind(HWND box) {
    HWND iconStatic = nullptr;
    EnumChildWindows(box, FindIconStatic, (LPARAM)&iconStatic);
    if (!iconStatic)
        return 0;
    HICON icon = (HICON)SendMessageA(iconStatic, STM_GETICON, 0, 0);
    if (!icon)
        return 0;
    // The box loads a system icon; its resource id tells which.
    ICONINFOEXA info = {};
    info.cbSize = sizeof(info);
    if (!GetIconInfoExA(icon, &info))
        return 0;
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    switch (info.wResID) {
    case 32515: // IDI_EXCLAMATION
        return MB_ICONEXCLAMATION;
    case 32516: // IDI_ASTERISK
        return MB_ICONINFORMATION;
    case 32513: // IDI_HAND
        return MB_ICONHAND;
    case 32514: // IDI_QUESTION
        return MB_ICONQUESTION;
    default:
        return 0;
    }
}

void SendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}
} // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

Process::~Process() {
    Kill();
    if (m_info.hThread)
        CloseHandle(m_info.hThread);
    if (m_info.hProcess)
        CloseHandle(m_info.hProcess);
}

bool Process::Start(const CString& commandLine, const char* currentDir) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    CString line = commandLine;
    return CreateProcessA(nullptr, line.GetBuffer(line.GetLength()), nullptr, nullptr, FALSE, 0,
                          nullptr, currentDir, &startup, &m_info) != FALSE;
}

DWORD Process::WaitExit(DWORD timeoutMs) {
    if (!m_info.hProcess)
        return STILL_ACTIVE;
    if (WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

bool Process::IsRunning() const {
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
    if (!IsRunning())
        return;
    TerminateProcess(m_info.hProcess, 99);
    WaitForSingleObject(m_info.hProcess, 5000);
}

std::vector<HWND> TopWindows(DWORD pid) {
    std::vector<HWND> windows;
    EnumContext context = {pid ? pid : GetCurrentProcessId(), &windows};
    EnumWindows(CollectTopWindow, (LPARAM)&context);
    return windows;
}

CString ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

CString TextOf(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

CString ControlText(HWND control) {
    CString text;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &length))
        return text;
    char* buffer = text.GetBuffer((int)length);
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, length + 1, (LPARAM)buffer, SMTO_ABORTIFHUNG, kWaitMs,
                        &copied);
    text.ReleaseBuffer((int)copied);
    return text;
}

HWND WaitForDialog(DWORD pid, const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : TopWindows(pid)) {
                if (ClassOf(window) == "#32770" && (!accept || accept(window))) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND WaitForChooser(DWORD pid, DWORD timeoutMs) {
    return WaitForDialog(
        pid, [](HWND w) { return (GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) != WS_CAPTION; },
        timeoutMs);
}

bool IsMessageBox(HWND window) {
    return ClassOf(window) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr;
}

BoxInfo ReadBox(HWND box) {
    BoxInfo info;
    info.window = box;
    info.caption = TextOf(box);
    info.text = TextOf(GetDlgItem(box, 0xFFFF));
    info.icon = IconKind(box);
    return info;
}

bool AnswerBox(DWORD pid, BoxInfo& info, DWORD timeoutMs) {
    HWND box = WaitForDialog(pid, IsMessageBox, timeoutMs);
    if (!box)
        return false;
    info = ReadBox(box);
    // IDOK of a box whose only button is OK; posting keeps us from blocking.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
    WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs);
    return true;
}

void MovePointer(int x, int y) {
    // The first SetCursorPos of a process can be lost under Wine, and a
    // window that has just appeared under the pointer reports the pointer's
    // old place a moment later, which moves it back: repeat until the
    // pointer stays where it was put.
    WaitFor(
        [&] {
            SetCursorPos(x, y);
            Sleep(30);
            POINT at = PointerPos();
            return at.x == x && at.y == y;
        },
        2000);
    SendMouse(MOUSEEVENTF_MOVE); // a real move, so the window under it hears of it
}

POINT PointerPos() {
    POINT at = {};
    GetCursorPos(&at);
    return at;
}

void ClickAt(int x, int y) {
    MovePointer(x, y);
    // Each button event carries the place itself, so a late report of an
    // old pointer place cannot send the click elsewhere.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = (x * 65536 + width - 1) / width;
        input.mi.dy = (y * 65536 + height - 1) / height;
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

RECT ScreenRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    return rect;
}

void MoveToControl(HWND dialog, int id) {
    RECT rect = ScreenRect(dialog, id);
    MovePointer((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void ClickControl(HWND dialog, int id) {
    RECT rect = ScreenRect(dialog, id);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

bool ClickIntoField(HWND dialog, int id) {
    ClickControl(dialog, id);
    HWND field = GetDlgItem(dialog, id);
    return WaitFor([&] {
        return FocusOf(dialog) == field && GetForegroundWindow() == GetAncestor(field, GA_ROOT);
    });
}

void PressKey(WORD vk) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = vk;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void TypeText(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    for (wchar_t c : wide) {
        if (!c)
            break;
        INPUT inputs[2] = {};
        inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
        inputs[0].ki.wScan = inputs[1].ki.wScan = c;
        inputs[0].ki.dwFlags = KEYEVENTF_UNICODE;
        inputs[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
    }
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

CString BesideTests(const char* name) {
    CString path = AfxGetModulePath();
    return path.Left(FindLastBackslash(path) + 1) + name;
}
