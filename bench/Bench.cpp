// The benchmark, run under Wine: the popup's start-up against a floor
// program, a confirmation's way to the end with many shell windows open, and
// the GUI handles over many repaints. It prints figures and judges nothing
// but the targets it prints.
#include "GuiCounts.h"
#include "OverviewWindowBench.h"
#include "ScanBench.h"
#include "SetBench.h"
#include "base/WideText.h"
#include "framework/Scoped.h"
#include "res/resource.h"
#include "support/Desktop.h"

#include <algorithm>
#include <atomic>
#include <stdlib.h>
#include <string.h>
#include <thread>
#include <vector>

namespace {
const DWORD kRunMs = 15000; // the longest any one launch may take

double NowMs() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// Keeps this thread's windows answering (the shell stand-ins live here) until
// the object is signalled or the time is up.
bool PumpUntilSignalled(HANDLE object, DWORD timeoutMs) {
    double end = NowMs() + timeoutMs;
    for (;;) {
        double left = end - NowMs();
        if (left <= 0)
            return false;
        DWORD woken = MsgWaitForMultipleObjects(1, &object, FALSE, (DWORD)left + 1, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        Pump();
    }
}

struct Spread {
    double median, q1, q3, min, max;
};

double Quantile(const std::vector<double>& sorted, double q) {
    double at = q * (double)(sorted.size() - 1);
    size_t below = (size_t)at;
    if (below + 1 >= sorted.size())
        return sorted.back();
    return sorted[below] + (at - (double)below) * (sorted[below + 1] - sorted[below]);
}

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {Quantile(values, 0.5), Quantile(values, 0.25), Quantile(values, 0.75), values.front(),
            values.back()};
}

void PrintSpread(const char* what, const std::vector<double>& values, const char* unit) {
    Spread s = SpreadOf(values);
    printf("    %-28s median %8.2f %s  IQR %.2f-%.2f  min-max %.2f-%.2f\n", what, s.median, unit,
           s.q1, s.q3, s.min, s.max);
}

// The ratio of the medians against its target, and how the paired ratios of
// the repetitions spread.
void PrintRatio(const char* label, const std::vector<double>& measured,
                const std::vector<double>& base, double target) {
    std::vector<double> paired;
    for (size_t i = 0; i < measured.size(); ++i)
        paired.push_back(measured[i] / base[i]);
    double ratio = SpreadOf(measured).median / SpreadOf(base).median;
    Spread p = SpreadOf(paired);
    printf("    %s ratio of medians %.3f (paired: median %.3f, IQR %.3f-%.3f)", label, ratio,
           p.median, p.q1, p.q3);
    if (target > 0) // else a figure that explains another
        printf("  target <= %.2f  %s", target, ratio <= target ? "MET" : "MISSED");
    printf("\n");
}

// --- (a) process start to visible popup -------------------------------------

// The watched process's windows, as the window manager reports them to this
// thread. Wine 8 reports their creation but not their showing, so the windows
// it names are then polled, which costs the starting program next to nothing.
struct ShowWatch {
    DWORD pid = 0;
    double shownAt = 0; // by EVENT_OBJECT_SHOW
    HWND window = nullptr;
    std::vector<HWND> created;
} g_watch;

CString ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

bool IsTopDialog(HWND window) {
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow() && ClassOf(window) == "#32770";
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
    double at = NowMs();
    if (object != OBJID_WINDOW || child != CHILDID_SELF || g_watch.shownAt)
        return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != g_watch.pid)
        return;
    if (event == EVENT_OBJECT_CREATE) {
        g_watch.created.push_back(window);
    } else if (event == EVENT_OBJECT_SHOW && IsTopDialog(window)) {
        g_watch.shownAt = at;
        g_watch.window = window;
    }
}

enum class Noticed { Nothing, ShowEvent, CreateEventThenPoll, PollOnly };

struct Launch {
    double visibleMs = -1;
    Noticed by = Noticed::Nothing;
};

HWND VisibleDialogOf(DWORD pid) {
    for (HWND window : TopWindows(pid)) {
        if (ClassOf(window) == "#32770")
            return window;
    }
    return nullptr;
}

HWND VisibleCreatedDialog() {
    for (HWND window : g_watch.created) {
        if (IsWindowVisible(window) && IsTopDialog(window))
            return window;
    }
    return nullptr;
}

// Starts the program, waits for its dialog to show, and closes it again.
Launch TimeToVisible(const CString& commandLine, const char* dir) {
    Launch result;
    Process process;
    g_watch = ShowWatch();
    double start = NowMs();
    if (!process.Start(WideText(commandLine), dir))
        return result;
    g_watch.pid = process.Id();
    HWND dialog = nullptr;
    double lastFullPoll = start;
    while (!dialog && NowMs() - start < kRunMs) {
        HANDLE handle = process.Handle();
        // Woken at once by a window event; otherwise every 1 ms.
        if (MsgWaitForMultipleObjects(1, &handle, FALSE, 1, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
        Pump();
        double now = NowMs();
        if (g_watch.shownAt) {
            dialog = g_watch.window;
            result.visibleMs = g_watch.shownAt - start;
            result.by = Noticed::ShowEvent;
        } else if ((dialog = VisibleCreatedDialog()) != nullptr) {
            result.visibleMs = now - start;
            result.by = Noticed::CreateEventThenPoll;
        } else if (now - lastFullPoll >= 20) {
            // Without any window events: every window, but seldom, as each
            // look is a round trip to the wineserver the program also needs.
            lastFullPoll = now;
            if ((dialog = VisibleDialogOf(process.Id())) != nullptr) {
                result.visibleMs = now - start;
                result.by = Noticed::PollOnly;
            }
        }
    }
    if (dialog)
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    if (process.WaitExit(kRunMs) == STILL_ACTIVE)
        process.Kill();
    return result;
}

void BenchStartUp(int repetitions) {
    printf("(a) process start to visible popup, %d repetitions, interleaved\n", repetitions);
    Install install(true);
    // The program, the floor, and the floor showing the popup's own template
    // with the program's manifest (what the platform alone costs for it).
    const CString commands[3] = {
        "\"" + install.Dir() + "\\Vorelkin.exe\" \"" + install.Target() + "\"",
        "\"" + BesideTests("FloorDialog.exe") + "\"", "\"" + BesideTests("FloorPopup.exe") + "\""};
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, OnWinEvent, 0, 0,
                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    // Untimed first runs: the settings file is written, the files are cached.
    for (const CString& command : commands)
        TimeToVisible(command, install.Dir());
    std::vector<double> times[3];
    int by[4] = {}, failed = 0;
    for (int i = 0; i < repetitions; ++i) {
        // Rotating the order evens out whatever the first launch of a round pays.
        Launch runs[3];
        for (int k = 0; k < 3; ++k) {
            int program = (i + k) % 3;
            runs[program] = TimeToVisible(commands[program], install.Dir());
        }
        if (runs[0].visibleMs < 0 || runs[1].visibleMs < 0 || runs[2].visibleMs < 0) {
            ++failed;
            continue;
        }
        for (int program = 0; program < 3; ++program) {
            ++by[(int)runs[program].by];
            times[program].push_back(runs[program].visibleMs);
        }
    }
    if (hook)
        UnhookWinEvent(hook);
    printf("    shown noticed in %zu launches: %d by EVENT_OBJECT_SHOW, %d by EVENT_OBJECT_CREATE "
           "then a 1 ms poll of that window, %d by a 20 ms poll of all windows%s\n",
           times[0].size() * 3, by[(int)Noticed::ShowEvent], by[(int)Noticed::CreateEventThenPoll],
           by[(int)Noticed::PollOnly], failed ? "; some launches showed nothing" : "");
    if (times[0].empty())
        return;
    PrintSpread("Vorelkin.exe", times[0], "ms");
    PrintSpread("FloorDialog.exe (floor)", times[1], "ms");
    PrintSpread("FloorPopup.exe (template+manifest)", times[2], "ms");
    PrintRatio("(a)", times[0], times[1], 1.10);
    PrintRatio("(a) against the popup's template and manifest alone:", times[0], times[2], 1.03);
}

// --- (b) confirmation to process exit ---------------------------------------

const WPARAM kRefreshCommand = 0x0001A220;

// A shell stand-in: a window's user data is how long it takes over a refresh
// command, as a network folder or a big folder in details view does.
LRESULT CALLBACK ShellProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && wParam == kRefreshCommand)
        Sleep((DWORD)GetWindowLongPtrA(window, GWLP_USERDATA));
    return DefWindowProcA(window, message, wParam, lParam);
}

// Stand-ins for the shell's windows, made on the thread that makes this
// object, which answers them while it waits.
class ShellWindows {
  public:
    ShellWindows() {
        for (const char* name :
             {"CabinetWClass", "ExploreWClass", "SHELLDLL_DefView", "SysListView32"}) {
            WNDCLASSA windowClass = {
                0,       ShellProc, 0,       0,       GetModuleHandleA(nullptr),
                nullptr, nullptr,   nullptr, nullptr, nullptr};
            windowClass.lpszClassName = name;
            RegisterClassA(&windowClass); // fails harmlessly the second time
        }
    }
    ShellWindows(const ShellWindows&) = delete;
    ShellWindows& operator=(const ShellWindows&) = delete;
    ~ShellWindows() {
        for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
            DestroyWindow(*it);
        Take();
    }
    HWND Add(const char* className, HWND parent, const char* title) {
        DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        m_windows.push_back(CreateWindowA(className, title, style, 10, 10, 200, 150, parent,
                                          nullptr, GetModuleHandleA(nullptr), nullptr));
        return m_windows.back();
    }
    // Handles what was posted to them.
    void Take() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }

  private:
    std::vector<HWND> m_windows;
};

// Folder windows of both refresh classes, each with the shell's view and its
// list view inside, visible and titled: every refresh pass reaches them.
void OpenShellWindows(ShellWindows& shell, int count, int first = 0, DWORD commandMs = 0) {
    char title[64];
    for (int i = first; i < first + count; ++i) {
        snprintf(title, sizeof(title), "Folder %d", i);
        HWND top = shell.Add(i % 2 ? "ExploreWClass" : "CabinetWClass", nullptr, title);
        SetWindowLongPtrA(top, GWLP_USERDATA, (LONG_PTR)commandMs);
        shell.Add("SysListView32", shell.Add("SHELLDLL_DefView", top, ""), "");
    }
}

// Folder windows on threads of their own, as Explorer gives each window its
// thread. Each thread's windows take commandMs over each refresh command;
// hung threads answer nothing until the object ends.
class ShellThreads {
  public:
    ShellThreads(int threads, int windowsEach, DWORD commandMs, bool hung)
        : m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        for (int i = 0; i < threads; ++i) {
            m_threads.emplace_back([this, i, windowsEach, commandMs, hung] {
                ShellWindows shell;
                OpenShellWindows(shell, windowsEach, i * windowsEach, commandMs);
                ++m_ready;
                if (hung)
                    WaitForSingleObject(m_stop, kStopMs);
                else
                    PumpUntilSignalled(m_stop, kStopMs);
            });
            // One thread making windows at a time: Wine 8 once aborted with a
            // corrupt heap while twenty made theirs together.
            WaitFor([&] { return m_ready == i + 1; });
        }
    }
    ShellThreads(const ShellThreads&) = delete;
    ShellThreads& operator=(const ShellThreads&) = delete;
    ~ShellThreads() {
        SetEvent(m_stop);
        for (std::thread& thread : m_threads)
            thread.join();
    }

  private:
    static const DWORD kStopMs = 4 * kRunMs; // longer than any run they serve
    ScopedKernelHandle m_stop;
    std::atomic<int> m_ready{0};
    std::vector<std::thread> m_threads;
};

// The shell windows open during one run.
enum class Shells { None, OnThisThread, SlowThreads, HungThreads, Count };
const char* const kShellsLabels[] = {"no shell windows", "200 shell windows",
                                     "200 over 20 threads, 20 ms", "6 hung on 6 threads"};

// From OK in the description prompt of slot 1 to the end of the process; -1
// when the run did not get there.
double TimeConfirmToExit(const Install& install, Shells shells) {
    ShellWindows shell;
    if (shells == Shells::OnThisThread)
        OpenShellWindows(shell, 200);
    ShellThreads threads(shells == Shells::SlowThreads   ? 20
                         : shells == Shells::HungThreads ? 6
                                                         : 0,
                         shells == Shells::SlowThreads ? 10 : 1,
                         shells == Shells::SlowThreads ? 20 : 0, shells == Shells::HungThreads);
    Process process;
    HWND chooser = install.Open(process);
    if (!chooser)
        return -1;
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_SLOT1, STN_CLICKED),
                 (LPARAM)GetDlgItem(chooser, IDC_SLOT1));
    HWND prompt = WaitForPrompt(process.Id());
    if (!prompt)
        return -1;
    // The stand-ins on this thread have not painted since they were made:
    // that is no part of the program's time.
    shell.Take();
    double start = NowMs();
    PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 (LPARAM)GetDlgItem(prompt, IDOK));
    // Room for a refresh that waits for hung windows one after another.
    if (!PumpUntilSignalled(process.Handle(), 2 * kRunMs))
        return -1;
    double end = NowMs();
    shell.Take();
    return end - start;
}

void PrintLimit(const char* label, double measured, double limitMs) {
    printf("    %s %.1f ms  target <= %.0f ms  %s\n", label, measured, limitMs,
           measured <= limitMs ? "MET" : "MISSED");
}

void BenchConfirm(int repetitions) {
    const int kKinds = (int)Shells::Count;
    printf("(b) confirmation (OK in the description prompt) to process exit, %d repetitions, "
           "interleaved\n",
           repetitions);
    Install install(true);
    for (int kind = 0; kind < kKinds; ++kind)
        TimeConfirmToExit(install, (Shells)kind);
    std::vector<double> times[kKinds];
    int failed = 0;
    for (int i = 0; i < repetitions; ++i) {
        // Rotating the order evens out whatever the first run of a round pays.
        double runs[kKinds];
        for (int k = 0; k < kKinds; ++k) {
            int kind = (i + k) % kKinds;
            runs[kind] = TimeConfirmToExit(install, (Shells)kind);
        }
        if (*std::min_element(runs, runs + kKinds) < 0) {
            ++failed;
            continue;
        }
        for (int kind = 0; kind < kKinds; ++kind)
            times[kind].push_back(runs[kind]);
    }
    if (failed)
        printf("    %d repetitions did not finish\n", failed);
    if (times[0].empty())
        return;
    for (int kind = 0; kind < kKinds; ++kind)
        PrintSpread(kShellsLabels[kind], times[kind], "ms");
    const std::vector<double>& none = times[(int)Shells::None];
    PrintRatio("(b) 200 shell windows against none:", times[(int)Shells::OnThisThread], none, 2.0);
    PrintRatio("(b) 200 over 20 slow threads against none:", times[(int)Shells::SlowThreads], none,
               0);
    PrintLimit("(b) 200 over 20 slow threads, median",
               SpreadOf(times[(int)Shells::SlowThreads]).median, 300);
    PrintLimit("(b) 6 hung on 6 threads, slowest", SpreadOf(times[(int)Shells::HungThreads]).max,
               3500);
    // The undo journal's share: the same confirmation with it turned off
    // (VORELKIN_DATA=off, the benchmark's switch).
    wchar_t journal[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"VORELKIN_DATA", journal, MAX_PATH);
    std::vector<double> recorded[2];
    for (int i = 0; i < repetitions; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int off = (i + k) % 2;
            SetEnvironmentVariableW(L"VORELKIN_DATA", off ? L"off" : journal);
            const double ms = TimeConfirmToExit(install, Shells::None);
            SetEnvironmentVariableW(L"VORELKIN_DATA", journal);
            if (ms >= 0)
                recorded[off].push_back(ms);
        }
    }
    if (!recorded[0].empty() && !recorded[1].empty())
        PrintRatio("(b) no shell windows, the undo journal on against off:", recorded[0],
                   recorded[1], 0);
}

// --- (c) GUI handles over repaints --------------------------------------------

class CountsView {
  public:
    explicit CountsView(DWORD pid) {
        char name[64];
        GuiCountsName(pid, name, sizeof(name));
        m_mapping.Reset(OpenFileMappingA(FILE_MAP_READ, FALSE, name));
        if (m_mapping.IsValid())
            m_view =
                (const GuiCounts*)MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, sizeof(GuiCounts));
    }
    CountsView(const CountsView&) = delete;
    CountsView& operator=(const CountsView&) = delete;
    ~CountsView() {
        if (m_view)
            UnmapViewOfFile(m_view);
    }
    const GuiCounts* operator->() const { return m_view; }
    bool IsValid() const { return m_view != nullptr; }

  private:
    ScopedKernelHandle m_mapping;
    const GuiCounts* m_view = nullptr;
};

struct Snapshot {
    GuiCounts counted;
    DWORD gdi, user;
};

Snapshot Take(const CountsView& counts, HANDLE process) {
    return {*counts.operator->(), GetGuiResources(process, GR_GDIOBJECTS),
            GetGuiResources(process, GR_USEROBJECTS)};
}

void PrintGrowth(const char* what, const Snapshot& before, const Snapshot& after) {
    long userBefore = before.counted.icons, userAfter = after.counted.icons;
    long gdiBefore = before.counted.gdiObjects + before.counted.dcs;
    long gdiAfter = after.counted.gdiObjects + after.counted.dcs;
    printf("    %s\n", what);
    printf("      GetGuiResources: GDI %lu -> %lu, USER %lu -> %lu%s\n", before.gdi, after.gdi,
           before.user, after.user,
           before.gdi + after.gdi + before.user + after.user == 0 ? " (Wine reports 0)" : "");
    printf("      counted:         GDI %ld -> %ld (objects %ld -> %ld, DCs %ld -> %ld), "
           "USER icons %ld -> %ld\n",
           gdiBefore, gdiAfter, before.counted.gdiObjects, after.counted.gdiObjects,
           before.counted.dcs, after.counted.dcs, userBefore, userAfter);
    printf("      made meanwhile:  %ld icons, %ld GDI objects, %ld DCs; %ld frees of unknown "
           "handles\n",
           after.counted.made[0] - before.counted.made[0],
           after.counted.made[1] - before.counted.made[1],
           after.counted.made[2] - before.counted.made[2],
           after.counted.unknownFrees - before.counted.unknownFrees);
    long growth = (gdiAfter - gdiBefore) + (userAfter - userBefore);
    printf("      growth GDI %+ld, USER %+ld  target 0  %s\n", gdiAfter - gdiBefore,
           userAfter - userBefore, growth == 0 ? "MET" : "MISSED");
}

// Repaints a window of the process now and waits until its paint has
// extracted its seven icons.
bool Repaint(HWND window, const CountsView& counts) {
    LONG before = counts->extractCalls;
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return WaitFor([&] { return counts->extractCalls >= before + 7; }, 5000);
}

const int kRows[] = {IDC_STANDARD, IDC_SLOT1, IDC_SLOT2, IDC_SLOT3,    IDC_SLOT4,      IDC_SLOT5,
                     IDC_SLOT6,    IDC_SLOT7, IDC_OTHER, IDC_SETTINGS, IDC_CANCEL_ITEM};

HWND WaitForSheet(DWORD pid, DWORD timeoutMs) {
    return WaitForDialog(
        pid, [](HWND w) { return TextOf(w) == "Vorelkinのプロパティ"; }, timeoutMs);
}

BOOL CALLBACK FindPage(HWND child, LPARAM lParam) {
    if (ClassOf(child) == "#32770" && IsWindowVisible(child)) {
        *(HWND*)lParam = child;
        return FALSE;
    }
    return TRUE;
}

void BenchHandles(int popupRepaints, int sheetRepaints) {
    printf("(c) GUI handles of a counting build (VorelkinCounted.exe) before and after repaints\n");
    Install install(true, "VorelkinCounted.exe");
    Process process;
    HWND chooser = install.Open(process);
    if (!chooser) {
        printf("    the counting build showed no popup\n");
        return;
    }
    CountsView counts(process.Id());
    if (!counts.IsValid() || !WaitFor([&] { return counts->extractCalls >= 7; })) {
        printf("    the counting build shared no counts\n");
        return;
    }
    printf("    %ld imports counted\n", counts->patched);

    // One round first, so what a paint keeps (the icons on the controls)
    // is there before counting starts.
    int failed = 0;
    Repaint(chooser, counts);
    Snapshot before = Take(counts, process.Handle());
    LONG extractsByRepaint = 0, extractsByHover = 0;
    for (int i = 0; i < popupRepaints; ++i) {
        LONG extracts = counts->extractCalls;
        failed += !Repaint(chooser, counts);
        extractsByRepaint += counts->extractCalls - extracts;
        extracts = counts->extractCalls;
        // The hover bar moves on a row: the rows are redrawn and the bar is
        // drawn onto the new one.
        HWND row = GetDlgItem(chooser, kRows[i % 11]);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(chooser, WM_SETCURSOR, (WPARAM)row, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE),
                            SMTO_ABORTIFHUNG, 5000, &ignored);
        extractsByHover += counts->extractCalls - extracts;
    }
    double paintsPerRepaint = extractsByRepaint / 7.0 / popupRepaints;
    printf("    popup paints (7 icon extractions each): %.2f per repaint, %.2f per hover move\n",
           paintsPerRepaint, extractsByHover / 7.0 / popupRepaints);
    printf("    (c) paints per repaint %.2f  target 1.00  %s\n", paintsPerRepaint,
           extractsByRepaint == 7 * popupRepaints ? "MET" : "MISSED");
    Snapshot after = Take(counts, process.Handle());
    char what[160];
    snprintf(what, sizeof(what), "popup: %d repaints, each moving the hover bar on a row%s",
             popupRepaints, failed ? " (some repaints not seen)" : "");
    PrintGrowth(what, before, after);

    // "設定..." is disabled in the popup's layout; enabled from outside, a
    // click opens the sheet.
    EnableWindow(GetDlgItem(chooser, IDC_SETTINGS), TRUE);
    ClickControl(chooser, IDC_SETTINGS);
    HWND sheet = WaitForSheet(process.Id(), 5000);
    HWND page = nullptr;
    if (sheet)
        EnumChildWindows(sheet, FindPage, (LPARAM)&page);
    if (!page) {
        printf("    settings sheet: did not open; its repaints not measured\n");
    } else {
        failed = 0;
        Repaint(page, counts);
        before = Take(counts, process.Handle());
        for (int i = 0; i < sheetRepaints; ++i)
            failed += !Repaint(page, counts);
        after = Take(counts, process.Handle());
        snprintf(what, sizeof(what), "settings sheet, first page: %d repaints%s", sheetRepaints,
                 failed ? " (some repaints not seen)" : "");
        PrintGrowth(what, before, after);
        PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        WaitFor([&] { return !IsWindow(sheet); }, 5000);
    }
    PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    if (process.WaitExit(kRunMs) == STILL_ACTIVE)
        process.Kill();
}
} // namespace

// bench.exe [repetitions] [parts, e.g. "ac"; all by default] [tree for "e", "w" and "l"]
int main(int argc, char** argv) {
    int repetitions = argc > 1 ? atoi(argv[1]) : 15;
    if (repetitions < 1)
        repetitions = 15;
    const char* parts = argc > 2 ? argv[2] : "abc";
    printf("Vorelkin benchmark: %s build under Wine, %d repetitions\n",
           sizeof(void*) == 4 ? "i686 (32-bit)" : "x86_64 (64-bit)", repetitions);
    fflush(stdout);
    MovePointer(300, 200);
    if (strchr(parts, 'a'))
        BenchStartUp(repetitions);
    fflush(stdout);
    if (strchr(parts, 'b'))
        BenchConfirm(repetitions);
    fflush(stdout);
    if (strchr(parts, 'c'))
        BenchHandles(1000, 100);
    fflush(stdout);
    if (strchr(parts, 'e') && argc > 3)
        BenchScan(argv[3], repetitions < 3 ? repetitions : 3);
    fflush(stdout);
    if (strchr(parts, 'w'))
        BenchOverviewWindow(argc > 3 ? argv[3] : nullptr, repetitions < 3 ? repetitions : 3);
    fflush(stdout);
    if (strchr(parts, 'l'))
        BenchOverviewLive(argc > 3 ? argv[3] : nullptr);
    fflush(stdout);
    if (strchr(parts, 's'))
        BenchSet(repetitions < 5 ? repetitions : 5);
    fflush(stdout);
    if (strchr(parts, 'u'))
        BenchUndo(repetitions < 5 ? repetitions : 5);
    fflush(stdout);
    return 0;
}
