// Where the popup goes on the screen.
#pragma once

#include <windows.h>

// Rectangle arithmetic only. The template puts the popup at the pointer:
// Windows centres it there; Wine puts its corner there and, near an edge,
// pushes it back to a dialog frame's width short of the edge, off the
// pointer. That place stays wherever it lies inside the work area with the
// pointer on it. Otherwise the popup goes where Windows puts a context menu:
// its corner at the pointer, on the side of the pointer where it fits, and
// never beyond the work area.
RECT PlacePopup(const RECT& placed, POINT pointer, const RECT& workArea);

// The same for the popup as the template placed it, the pointer as it is
// now and the work area of the monitor that holds the pointer.
RECT PlaceAtPointer(HWND popup);
