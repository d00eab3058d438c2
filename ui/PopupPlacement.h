// Where the popup goes on the screen: rectangle arithmetic only.
#pragma once

#include <windows.h>

// The template puts the popup at the pointer (Windows centres it there, Wine
// puts its corner there) and pushes it back onto the screen. That place
// stays wherever it lies inside the work area and the pointer is on it.
// Otherwise the popup goes where Windows puts a context menu: its corner at
// the pointer, on the side of the pointer where it fits, and never beyond
// the work area of the monitor that holds the pointer.
RECT PlacePopup(const RECT& placed, POINT pointer, const RECT& workArea);
