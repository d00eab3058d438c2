#include "PopupPlacement.h"

#include <algorithm>

namespace {
bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// One axis: after the pointer where it fits, else before it; then inside.
LONG PlaceAlong(LONG pointer, LONG size, LONG low, LONG high) {
    LONG start = pointer + size <= high ? pointer : pointer - size;
    return std::max(low, std::min(start, high - size));
}
} // namespace

RECT PlacePopup(const RECT& placed, POINT pointer, const RECT& workArea) {
    if (Inside(placed, workArea) && PtInRect(&placed, pointer))
        return placed;
    const LONG width = placed.right - placed.left, height = placed.bottom - placed.top;
    const LONG left = PlaceAlong(pointer.x, width, workArea.left, workArea.right);
    const LONG top = PlaceAlong(pointer.y, height, workArea.top, workArea.bottom);
    return {left, top, left + width, top + height};
}

RECT PlaceAtPointer(HWND popup) {
    POINT pointer = {};
    GetCursorPos(&pointer);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT placed = {};
    GetWindowRect(popup, &placed);
    return PlacePopup(placed, pointer, monitor.rcWork);
}
