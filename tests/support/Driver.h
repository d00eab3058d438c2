// Drives real windows as a user would: finds a process's windows, moves the
// real pointer, clicks, types, and reads and answers message boxes. Every
// wait polls with a time limit.
#pragma once

#include "framework/String.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

const DWORD kWaitMs = 10000;

// Polls the condition every 20 ms until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// A started program, killed when the test leaves it running.
class Process {
  public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // commandLine is passed as it stands (quote the arguments yourself).
    bool Start(const CString& commandLine, const char* currentDir = nullptr);
    // The exit code, or STILL_ACTIVE when the time ran out.
    DWORD WaitExit(DWORD timeoutMs = kWaitMs);
    bool IsRunning() const;
    void Kill();
    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }

  private:
    PROCESS_INFORMATION m_info = {};
};

// Visible top-level windows of a process (or of this process's other
// threads when pid is 0), in Z-order.
std::vector<HWND> TopWindows(DWORD pid);
CString ClassOf(HWND window);
CString TextOf(HWND window);
// A control's own text, even of another process's edit: GetWindowText sees
// only the caption there.
CString ControlText(HWND control);

// The first visible top-level dialog (#32770) of the process that the
// predicate accepts.
HWND WaitForDialog(DWORD pid, const std::function<bool(HWND)>& accept = nullptr,
                   DWORD timeoutMs = kWaitMs);
// The chooser popup: a caption-less dialog.
HWND WaitForChooser(DWORD pid, DWORD timeoutMs = kWaitMs);

struct BoxInfo {
    HWND window = nullptr;
    CString caption;
    CString text;
    UINT icon = 0; // MB_ICONEXCLAMATION, MB_ICONINFORMATION, ... or 0
};
// A message box: a dialog with the text static 0xFFFF.
bool IsMessageBox(HWND window);
BoxInfo ReadBox(HWND box);
// Waits for the next message box of the process, reads it and presses its
// OK (Enter); false when none came.
bool AnswerBox(DWORD pid, BoxInfo& info, DWORD timeoutMs = kWaitMs);

// Pointer and keyboard, through the system's input queue.
void MovePointer(int x, int y);
POINT PointerPos();
void ClickAt(int x, int y);
void ClickControl(HWND dialog, int id); // at the control's centre
// Clicks a field and waits until typed keys reach it; false when they would not.
bool ClickIntoField(HWND dialog, int id);
void MoveToControl(HWND dialog, int id);
void PressKey(WORD vk);
// Types the characters of a CP932 text, one key press each.
void TypeText(const char* text);
// The window with the keyboard focus in the thread that owns the window.
HWND FocusOf(HWND window);
RECT ScreenRect(HWND dialog, int id);
COLORREF ScreenPixel(int x, int y);

// The full path of a file beside the test executable.
CString BesideTests(const char* name);
