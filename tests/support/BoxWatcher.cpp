#include "BoxWatcher.h"

BoxWatcher::BoxWatcher() : m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    m_thread.Reset(CreateThread(nullptr, 0, Watch, this, 0, nullptr));
}

const std::vector<BoxInfo>& BoxWatcher::Stop() {
    if (!m_thread.IsValid())
        return m_boxes;
    SetEvent(m_stop);
    // The thread ends within one poll and one box's answer.
    if (WaitForSingleObject(m_thread, 2 * kWaitMs) != WAIT_OBJECT_0)
        TerminateThread(m_thread, 1);
    m_thread.Reset();
    return m_boxes;
}

DWORD WINAPI BoxWatcher::Watch(LPVOID self) {
    BoxWatcher* watcher = static_cast<BoxWatcher*>(self);
    while (WaitForSingleObject(watcher->m_stop, 0) == WAIT_TIMEOUT) {
        HWND box = WaitForDialog(0, IsMessageBox, 50);
        if (!box)
            continue;
        watcher->m_boxes.push_back(ReadBox(box));
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
        WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    }
    return 0;
}

std::string DescribeBox(const BoxInfo& box) {
    const char* icon = box.icon == MB_ICONEXCLAMATION   ? "!"
                       : box.icon == MB_ICONINFORMATION ? "i"
                                                        : "?";
    return std::string(box.caption) + "|" + icon + "|" + std::string(box.text);
}
