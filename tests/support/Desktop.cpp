#include "Desktop.h"

#include "base/WideText.h"
#include "framework/Scoped.h"
#include "res/resource.h"

#include <atomic>
#include <thread>

namespace {
// The box shows a system icon, whose resource id tells which.
std::string IconPart(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = IconResourceId((HICON)SendMessageA(child, STM_GETICON, 0, 0));
        if (id >= 0)
            return id == 32515 ? "!|" : id == 32516 ? "i|" : "?|";
    }
    return "";
}

// The file-name field: Wine's combo box (cmb13) holds a combo holding the edit.
HWND FileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, 0x47C);
    for (HWND inner = field; inner; inner = GetWindow(inner, GW_CHILD)) {
        char name[8] = "";
        GetClassNameA(inner, name, sizeof(name));
        if (strcmp(name, "Edit") == 0)
            return inner;
    }
    return field;
}

void Send(INPUT first, INPUT second) {
    INPUT inputs[2] = {first, second};
    SendInput(2, inputs, sizeof(INPUT));
}

// A button event at an absolute place, in the 0..65535 range of the screen.
INPUT Mouse(DWORD flags, int x, int y) {
    INPUT input = {INPUT_MOUSE, {}};
    input.mi.dx = (x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

INPUT Key(WORD vk, WORD scan, DWORD flags) {
    INPUT input = {INPUT_KEYBOARD, {}};
    input.ki = {vk, scan, flags, 0, 0};
    return input;
}
} // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); Sleep(20)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
    return true;
}

Process::~Process() {
    Kill();
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

bool Process::Start(const wchar_t* commandLine, const char* currentDir) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring line = commandLine;
    return CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                          currentDir ? (const wchar_t*)WideText(currentDir) : nullptr, &startup,
                          &m_info) != FALSE;
}

DWORD Process::WaitExit(DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(Handle(), timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(Handle(), &code);
    return code;
}

void Process::Kill() {
    if (IsRunning() && TerminateProcess(Handle(), 99))
        WaitForSingleObject(Handle(), 5000);
}

Install::Install(bool withIcons, const char* program) : m_dir("vrk-e2e") {
    CopyFileA(BesideTests(program), m_dir / "Vorelkin.exe", FALSE);
    CreateDirectoryA(Target(), nullptr);
    if (!withIcons)
        return;
    CreateDirectoryA(m_dir / "icons", nullptr);
    for (const char* set : {"icons\\fld0", "icons\\FldXP0"}) {
        for (char slot = '0'; slot <= '7'; ++slot) {
            CString name = set + CString(&slot, 1) + ".ico";
            CopyFileA(BesideTests(name), m_dir / name, FALSE);
        }
    }
}

bool Install::Launch(Process& process, const CString& arguments) const {
    return process.Start(WideText("\"" + (m_dir / "Vorelkin.exe") + "\" " + arguments), Dir());
}

HWND Install::Open(Process& process, const CString& folder) const {
    if (!Launch(process, "\"" + (folder.IsEmpty() ? Target() : folder) + "\""))
        return nullptr;
    return WaitForChooser(process.Id());
}

int IconResourceId(HICON icon) {
    ICONINFOEXA info = {};
    info.cbSize = sizeof(info);
    if (!GetIconInfoExA(icon, &info))
        return -1;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return info.wResID;
}

std::vector<HWND> TopWindows(DWORD pid) {
    std::vector<HWND> windows;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == (pid ? pid : GetCurrentProcessId()) && IsWindowVisible(window))
            windows.push_back(window);
    }
    return windows;
}

CString TextOf(HWND window) {
    char text[4096] = "";
    DWORD_PTR copied = 0; // WM_GETTEXT itself: GetWindowText sees another process's caption only
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, kWaitMs,
                        &copied);
    return CString(text, (int)copied);
}

HWND WaitForDialog(DWORD pid, const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : TopWindows(pid)) {
                char name[16] = "";
                GetClassNameA(window, name, sizeof(name));
                if (strcmp(name, "#32770") == 0 && (!accept || accept(window)))
                    return (found = window) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND WaitForChooser(DWORD pid) {
    HWND chooser =
        WaitForDialog(pid, [](HWND w) { return !(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION); });
    if (!chooser || !WaitFor([&] { return TextOf(GetDlgItem(chooser, IDC_OTHER)) == "その他"; }))
        return nullptr;
    // The first paint sets the icons, which invalidates them again; a paint
    // still pending would wipe a hover bar drawn meanwhile.
    RedrawWindow(chooser, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return chooser;
}

HWND WaitForPrompt(DWORD pid) {
    return WaitForDialog(pid, [](HWND w) { return TextOf(w) == "フォルダの説明を入力"; });
}

bool ChooseFile(DWORD pid, const char* name) {
    return ChooseFile(pid, name ? (const wchar_t*)WideText(name) : nullptr);
}

bool ChooseFile(DWORD pid, const wchar_t* name) {
    HWND open = WaitForDialog(pid, [](HWND w) { return FileNameField(w) != nullptr; });
    if (!open)
        return false;
    if (name)
        SendMessageW(FileNameField(open), WM_SETTEXT, 0, (LPARAM)name);
    PostClick(open, name ? IDOK : IDCANCEL);
    return true;
}

std::string AnswerBox(DWORD pid, DWORD timeoutMs) {
    // The box's text is the static 0xFFFF.
    HWND box = WaitForDialog(
        pid, [](HWND w) { return GetDlgItem(w, 0xFFFF) != nullptr; }, timeoutMs);
    if (!box)
        return "";
    std::string said = std::string(TextOf(box)) + "|" + IconPart(box) +
                       std::string(TextOf(GetDlgItem(box, 0xFFFF)));
    PostClick(box, IDOK); // posted, so a box of this thread cannot block us
    WaitFor([&] { return !IsWindowVisible(box); });
    return said;
}

std::vector<std::string> AnswerBoxesWhile(const std::function<void()>& run) {
    std::atomic<bool> done(false);
    std::vector<std::string> boxes;
    std::thread answerer([&] {
        while (!done) {
            std::string box = AnswerBox(0, 50);
            if (!box.empty())
                boxes.push_back(box);
        }
    });
    run(); // returns once its boxes have closed
    done = true;
    answerer.join();
    return boxes;
}

void PostClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

INT_PTR RunDriven(CDialog& dialog, const std::function<void()>& drive) {
    std::atomic<bool> done(false);
    std::thread driver([&] {
        drive();
        if (WaitFor([&] { return done.load(); }))
            return;
        WaitFor([&] {
            for (HWND window : TopWindows(0))
                PostClick(window, IDCANCEL);
            return done.load();
        });
    });
    INT_PTR result = dialog.DoModal();
    done = true;
    driver.join();
    return result;
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
            POINT at = {};
            GetCursorPos(&at);
            return at.x == x && at.y == y;
        },
        2000);
    INPUT move = Mouse(0, x, y); // a real move, so the window under it hears of it
    SendInput(1, &move, sizeof(move));
}

void ClickAt(int x, int y) {
    MovePointer(x, y);
    // Each button event carries the place itself, so a late report of an
    // old pointer place cannot send the click elsewhere.
    Send(Mouse(MOUSEEVENTF_LEFTDOWN, x, y), Mouse(MOUSEEVENTF_LEFTUP, x, y));
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

bool WaitForKeyboard(HWND window) {
    int held = 0;
    return WaitFor([&] { return (held = GetForegroundWindow() == window ? held + 1 : 0) >= 10; });
}

void PressKey(WORD vk) {
    Send(Key(vk, 0, 0), Key(vk, 0, KEYEVENTF_KEYUP));
}

void TypeText(const char* text) {
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 1024);
    for (const wchar_t* c = wide; *c; ++c)
        Send(Key(0, *c, KEYEVENTF_UNICODE), Key(0, *c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

std::vector<COLORREF> ScreenImage(const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels(width * height);
    ScopedGetDC screen(nullptr);
    ScopedHandle<HDC, CloseWith<HDC, BOOL, DeleteDC>> memory(CreateCompatibleDC(screen));
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
    {
        ScopedSelectObject select(memory, bitmap); // deselected before GetDIBits
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    }
    BITMAPINFOHEADER header = {sizeof(header), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(memory, (HBITMAP)bitmap.Get(), 0, height, pixels.data(), (BITMAPINFO*)&header,
              DIB_RGB_COLORS);
    for (COLORREF& pixel : pixels) // the bitmap holds blue in its low byte
        pixel = RGB(GetBValue(pixel), GetGValue(pixel), GetRValue(pixel));
    return pixels;
}
