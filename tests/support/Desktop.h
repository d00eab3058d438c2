// Drives real windows as a user would: starts the program, finds its
// windows, moves the real pointer, clicks, types, and reads and answers
// message boxes. Every wait polls with a time limit.
#pragma once

#include "Files.h"

#include "framework/Dialog.h"

#include <functional>

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

    // Wide, as a folder's name may be one CP932 cannot spell.
    bool Start(const wchar_t* commandLine, const char* currentDir = nullptr);
    // The exit code, or STILL_ACTIVE when the time ran out.
    DWORD WaitExit(DWORD timeoutMs = kWaitMs);
    bool IsRunning() const { return WaitForSingleObject(Handle(), 0) == WAIT_TIMEOUT; }
    void Kill();
    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }

  private:
    PROCESS_INFORMATION m_info = {};
};

// A copy of the program (Vorelkin.exe beside the tests, or another build)
// in a temporary folder, with its own vrkcfg.ini and a folder "target".
class Install {
  public:
    explicit Install(bool withIcons = false, const char* program = "Vorelkin.exe");

    CString Dir() const { return m_dir.Path(); }
    CString Ini() const { return m_dir / "vrkcfg.ini"; }
    CString Target() const { return m_dir / "target"; }

    // Starts the copy with the arguments as they stand.
    bool Launch(Process& process, const CString& arguments) const;
    // Starts it on the folder, quoted (the target by default), and waits for
    // the popup.
    HWND Open(Process& process, const CString& folder = CString()) const;

  private:
    TempDir m_dir;
};

// Visible top-level windows of a process (0: this one), in Z-order.
std::vector<HWND> TopWindows(DWORD pid);
// A window's own text, even of another process's edit.
CString TextOf(HWND window);
// The resource id of an icon of this process (0: none); -1 when it is no icon.
int IconResourceId(HICON icon);

// The first visible dialog of the process that the predicate accepts.
HWND WaitForDialog(DWORD pid, const std::function<bool(HWND)>& accept = nullptr,
                   DWORD timeoutMs = kWaitMs);
HWND WaitForChooser(DWORD pid); // the caption-less popup, once it has painted
HWND WaitForPrompt(DWORD pid);  // "フォルダの説明を入力"
// Waits for the process's Open dialog, puts the name into its file-name field
// and presses Open; without a name presses Cancel.
bool ChooseFile(DWORD pid, const char* name);
bool ChooseFile(DWORD pid, const wchar_t* name);

// Waits for the process's next message box, presses its OK and tells what it
// said as "caption|icon|text" (icon "!" exclamation, "i" information), or
// "caption|text" for another process's box; "" when none came.
std::string AnswerBox(DWORD pid, DWORD timeoutMs = kWaitMs);
// Runs code that shows message boxes on this thread; another thread
// answers them. What they said, in order.
std::vector<std::string> AnswerBoxesWhile(const std::function<void()>& run);

// Presses a dialog's button without waiting for what it opens.
void PostClick(HWND dialog, int id);
// Runs one of the program's dialogs modally here while drive runs on
// another thread; what drive leaves open is cancelled, so the call returns.
INT_PTR RunDriven(CDialog& dialog, const std::function<void()>& drive);

// Pointer and keyboard, through the system's input queue.
void MovePointer(int x, int y);
void ClickAt(int x, int y);
void MoveToControl(HWND dialog, int id); // to the control's centre
void ClickControl(HWND dialog, int id);  // at the control's centre
// Waits until the window has held the foreground for a while: Wine without a
// window manager takes it away for a moment whenever the X input focus
// moves, and keys sent meanwhile are lost.
bool WaitForKeyboard(HWND window);
void PressKey(WORD vk);
void TypeText(const char* text); // CP932, one key press per character
// The window with the keyboard focus in the thread that owns the window.
HWND FocusOf(HWND window);
RECT ScreenRect(HWND dialog, int id);
// The screen's pixels inside the rectangle, row by row.
std::vector<COLORREF> ScreenImage(const RECT& rect);
inline COLORREF ScreenPixel(int x, int y) {
    return ScreenImage({x, y, x + 1, y + 1})[0];
}
