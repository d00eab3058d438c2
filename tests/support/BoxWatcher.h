// Answers every message box this process shows, from a thread of its own, and
// keeps what each box said, so a test can run code that shows modal boxes on
// its own thread.
#pragma once

#include "Driver.h"

#include "framework/Scoped.h"

#include <string>
#include <vector>

// A box as "caption|icon|text", icon "!" (exclamation), "i" (information) or
// "?": the framework's boxes carry the application title and "!", the
// system's wording of an error the platform's caption and "i".
std::string DescribeBox(const BoxInfo& box);
inline std::string FrameworkBox(const std::string& text) {
    return "Vorelkin|!|" + text;
}
inline std::string SystemTextBox(const std::string& text) {
    return "エラー|i|" + text;
}

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
