// Answers every message box this process shows, from a thread of its own, and
// keeps what each box said, so a test can run code that shows modal boxes on
// its own thread.
#pragma once

#include "Driver.h"

#include "framework/Scoped.h"

#include <vector>

class BoxWatcher {
  public:
    BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;
    ~BoxWatcher() { Stop(); }

    // Ends the watch; the boxes answered, in order.
    const std::vector<BoxInfo>& Stop();

  private:
    static DWORD WINAPI Watch(LPVOID self);

    ScopedKernelHandle m_stop;
    ScopedKernelHandle m_thread;
    std::vector<BoxInfo> m_boxes;
};
