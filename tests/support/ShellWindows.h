// Stand-ins for the shell's windows, made in this process: each records the
// key and command messages it receives, so a test counts only its own
// windows (the session has others).
#pragma once

#include <windows.h>

#include <vector>

struct ReceivedMessage {
    HWND window;
    UINT message; // WM_KEYDOWN, WM_KEYUP or WM_COMMAND
    WPARAM wParam;
    LPARAM lParam;
};

class ShellWindows {
  public:
    ShellWindows();
    ShellWindows(const ShellWindows&) = delete;
    ShellWindows& operator=(const ShellWindows&) = delete;
    ~ShellWindows();

    // className: "CabinetWClass", "ExploreWClass", "Progman",
    // "SysListView32", "SHELLDLL_DefView", "cabinetwclass" or "Other".
    HWND Top(const char* className, const char* title, bool visible);
    HWND Child(HWND parent, const char* className);

    // Handles what was posted to this thread, then the messages received
    // since the last call, in order.
    std::vector<ReceivedMessage> Take();

  private:
    std::vector<HWND> m_windows;
};

// Counts the shell's SHCNE_UPDATEITEM notices about one folder that reach
// this process.
class ChangeNotices {
  public:
    explicit ChangeNotices(const char* folder);
    ChangeNotices(const ChangeNotices&) = delete;
    ChangeNotices& operator=(const ChangeNotices&) = delete;
    ~ChangeNotices();

    // Handles what was posted to this thread, then the count so far.
    int Updates();

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    ULONG m_registration = 0;
    int m_updates = 0;
};
