// The benchmark's floor: the least a Win32 program does to show a dialog from
// a template, to compare the popup's start-up with.
#include <windows.h>

#ifndef FLOOR_TEMPLATE
#define FLOOR_TEMPLATE 1
#endif

namespace {
INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(FLOOR_TEMPLATE), nullptr, FloorProc, 0);
}
