#include "OverviewWindow.h"

// The window comes with the overview's own files.
int RunOverviewWindow(const wchar_t* folder) {
    (void)folder;
    return 0;
}
