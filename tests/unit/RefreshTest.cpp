// The two refresh passes against windows of the shell's classes made here.
#include "folder/Refresh.h"
#include "support/Driver.h"
#include "support/ShellWindows.h"

#include "framework/Scoped.h"

#include <gtest/gtest.h>

namespace {
const WPARAM kRefreshCommand = 0x0001A220;

// Each window's messages as "K" (F5 down with its key data), "C" (the
// refresh command) or "?" (anything else), in order.
std::string Trace(const std::vector<ReceivedMessage>& received, HWND window) {
    std::string trace;
    for (const ReceivedMessage& m : received) {
        if (m.window != window)
            continue;
        bool f5 = m.message == WM_KEYDOWN && m.wParam == VK_F5 && m.lParam == 0x003F0001;
        bool command = m.message == WM_COMMAND && m.wParam == kRefreshCommand && m.lParam == 0;
        trace += f5 ? "K" : command ? "C" : "?";
    }
    return trace;
}

struct Scene {
    ShellWindows shell;
    HWND cabinet = shell.Top("CabinetWClass", "C:\\elsewhere", true);
    HWND cabinetView = shell.Child(cabinet, "SHELLDLL_DefView");
    HWND cabinetList = shell.Child(cabinetView, "SysListView32"); // a grandchild
    HWND cabinetSecondList = shell.Child(cabinet, "SysListView32");
    HWND hiddenCabinet = shell.Top("CabinetWClass", "hidden", false);
    HWND hiddenCabinetList = shell.Child(hiddenCabinet, "SysListView32");
    HWND untitledCabinet = shell.Top("CabinetWClass", "", true);
    HWND untitledCabinetList = shell.Child(untitledCabinet, "SysListView32");
    HWND bareCabinet = shell.Top("CabinetWClass", "no list", true);
    HWND bareCabinetChild = shell.Child(bareCabinet, "Other");
    HWND explorer = shell.Top("ExploreWClass", "two panes", true);
    HWND explorerList = shell.Child(explorer, "SysListView32");
    HWND desktop = shell.Top("Progman", "Program Manager", true);
    HWND desktopList = shell.Child(shell.Child(desktop, "SHELLDLL_DefView"), "SysListView32");
    HWND loneList = shell.Top("SysListView32", "a list", true);
    HWND otherCase = shell.Top("cabinetwclass", "other case", true);
    HWND otherCaseList = shell.Child(otherCase, "SysListView32");
    HWND other = shell.Top("Other", "other", true);
    HWND otherList = shell.Child(other, "SysListView32");
};

TEST(Refresh, KeyPassPressesF5InTheFirstListViewOfEachFolderWindowAndTwiceOnTheDesktop) {
    Scene s;
    PostRefreshKeys();
    std::vector<ReceivedMessage> received = s.shell.Take();
    EXPECT_EQ("K", Trace(received, s.cabinetList));
    EXPECT_EQ("", Trace(received, s.cabinetSecondList));
    EXPECT_EQ("K", Trace(received, s.hiddenCabinetList));
    EXPECT_EQ("K", Trace(received, s.untitledCabinetList));
    EXPECT_EQ("K", Trace(received, s.explorerList));
    EXPECT_EQ("KK", Trace(received, s.desktopList));
    for (HWND untouched : {s.cabinet, s.hiddenCabinet, s.bareCabinet, s.bareCabinetChild,
                           s.explorer, s.desktop, s.loneList, s.otherCaseList, s.otherList})
        EXPECT_EQ("", Trace(received, untouched));
    size_t ours = 0;
    for (HWND list :
         {s.cabinetList, s.hiddenCabinetList, s.untitledCabinetList, s.explorerList, s.desktopList})
        ours += Trace(received, list).size();
    EXPECT_EQ(ours, received.size()); // nothing else, no key-up
}

TEST(Refresh, CommandPassReachesVisibleTitledFolderWindowsOnly) {
    Scene s;
    SendRefreshCommands();
    std::vector<ReceivedMessage> received = s.shell.Take();
    EXPECT_EQ("C", Trace(received, s.cabinet));
    EXPECT_EQ("C", Trace(received, s.bareCabinet));
    EXPECT_EQ("C", Trace(received, s.explorer));
    EXPECT_EQ("CC", Trace(received, s.loneList)); // once in each walk
    EXPECT_EQ(5u, received.size());
    // The single-pane walk ends before the two-pane walk starts.
    auto at = [&](HWND window) {
        for (size_t i = 0; i < received.size(); ++i) {
            if (received[i].window == window)
                return i;
        }
        return received.size();
    };
    EXPECT_LT(at(s.cabinet), at(s.explorer));
    EXPECT_LT(at(s.bareCabinet), at(s.explorer));
}

// A folder window whose thread takes the refresh command and does not come
// back from it; it keeps answering other sent messages (its title).
struct HungWindow {
    ScopedKernelHandle ready{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ScopedKernelHandle release{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    volatile LONG commands = 0;
    volatile LONG busy = 0;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<HungWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_COMMAND || !self)
            return DefWindowProcA(window, message, wParam, lParam);
        InterlockedIncrement(&self->commands);
        InterlockedExchange(&self->busy, 1);
        HANDLE release = self->release;
        WaitFor(
            [&] {
                MSG sent;
                PeekMessageA(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                return WaitForSingleObject(release, 0) == WAIT_OBJECT_0;
            },
            3 * kWaitMs);
        InterlockedExchange(&self->busy, 0);
        return 0;
    }

    static DWORD WINAPI Thread(LPVOID param) {
        auto* self = static_cast<HungWindow*>(param);
        HWND window = CreateWindowA("CabinetWClass", "hung", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)self);
        SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)Proc);
        SetEvent(self->ready);
        WaitFor(
            [&] {
                MSG message;
                while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&message);
                return WaitForSingleObject(self->release, 0) == WAIT_OBJECT_0;
            },
            4 * kWaitMs);
        DestroyWindow(window);
        return 0;
    }
};

TEST(Refresh, AHungFolderWindowCannotHoldTheCommandPass) {
    ShellWindows shell; // registers the classes
    HungWindow hung;
    ScopedKernelHandle thread(CreateThread(nullptr, 0, HungWindow::Thread, &hung, 0, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hung.ready, kWaitMs));
    SendRefreshCommands();
    // The pass is over while the window is still inside the command.
    EXPECT_EQ(1, hung.commands);
    EXPECT_EQ(1, hung.busy);
    SetEvent(hung.release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5 * kWaitMs));
}
} // namespace
