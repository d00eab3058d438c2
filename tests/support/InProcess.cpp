#include "InProcess.h"

#include "Driver.h"

#include <atomic>
#include <thread>

void PostClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

INT_PTR RunDriven(CDialog& dialog, const std::function<void()>& drive) {
    std::atomic<bool> done(false);
    std::thread driver([&] {
        drive();
        if (WaitFor([&] { return done.load(); }))
            return;
        // The drive left something open: cancel whatever is, until the
        // modal run has ended.
        WaitFor([&] {
            for (HWND window : TopWindows(0)) {
                if (ClassOf(window) == "#32770")
                    PostClick(window, IDCANCEL);
            }
            return done.load();
        });
    });
    INT_PTR result = dialog.DoModal();
    done = true;
    driver.join();
    return result;
}
