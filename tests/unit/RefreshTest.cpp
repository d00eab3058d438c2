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

// Folder windows of every kind, the desktop, and look-alikes.
struct Scene {
    HWND Add(const char* name, HWND window) {
        named.push_back({name, window});
        return window;
    }
    HWND Top(const char* name, const char* className, const char* title, bool visible) {
        return Add(name, shell.Top(className, title, visible));
    }
    HWND Child(const char* name, HWND parent, const char* className) {
        return Add(name, shell.Child(parent, className));
    }

    // "name=trace" of every window that received something, in creation order.
    std::string Summary(const std::vector<ReceivedMessage>& received) const {
        std::string summary;
        for (const auto& [name, window] : named) {
            std::string trace = Trace(received, window);
            if (!trace.empty())
                summary += (summary.empty() ? "" : " ") + name + "=" + trace;
        }
        return summary;
    }

    ShellWindows shell;
    std::vector<std::pair<std::string, HWND>> named;

    HWND cabinet = Top("cabinet", "CabinetWClass", "C:\\elsewhere", true);
    HWND cabinetView = Child("cabinetView", cabinet, "SHELLDLL_DefView");
    HWND cabinetList = Child("cabinetList", cabinetView, "SysListView32"); // a grandchild
    HWND cabinetSecondList = Child("cabinetSecondList", cabinet, "SysListView32");
    HWND hidden = Top("hidden", "CabinetWClass", "hidden", false);
    HWND hiddenList = Child("hiddenList", hidden, "SysListView32");
    HWND untitled = Top("untitled", "CabinetWClass", "", true);
    HWND untitledList = Child("untitledList", untitled, "SysListView32");
    HWND bare = Top("bare", "CabinetWClass", "no list view", true);
    HWND bareChild = Child("bareChild", bare, "Other");
    HWND explorer = Top("explorer", "ExploreWClass", "two panes", true);
    HWND explorerList = Child("explorerList", explorer, "SysListView32");
    HWND desktop = Top("desktop", "Progman", "Program Manager", true);
    HWND desktopView = Child("desktopView", desktop, "SHELLDLL_DefView");
    HWND desktopList = Child("desktopList", desktopView, "SysListView32");
    HWND loneList = Top("loneList", "SysListView32", "a list", true);
    // Wine reports each class's own spelling.
    HWND otherCase = Top("otherCase", "cabinetwclass", "other case", true);
    HWND otherCaseList = Child("otherCaseList", otherCase, "SysListView32");
    HWND other = Top("other", "Other", "other", true);
    HWND otherList = Child("otherList", other, "SysListView32");
};

TEST(Refresh, KeyPassPressesF5InTheFirstListViewOfEachFolderWindowAndTwiceOnTheDesktop) {
    Scene scene;
    PostRefreshKeys();
    std::vector<ReceivedMessage> received = scene.shell.Take();
    EXPECT_EQ("cabinetList=K hiddenList=K untitledList=K explorerList=K desktopList=KK",
              scene.Summary(received));
    EXPECT_EQ(6u, received.size()); // nothing else, no key-up
}

TEST(Refresh, CommandPassReachesVisibleTitledFolderWindowsOnly) {
    Scene scene;
    SendRefreshCommands();
    std::vector<ReceivedMessage> received = scene.shell.Take();
    EXPECT_EQ("cabinet=C bare=C explorer=C loneList=CC", scene.Summary(received));
    ASSERT_EQ(5u, received.size());
    // The single-pane walk is over before the two-pane walk starts.
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NE(scene.explorer, received[i].window);
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
