// The live GUI handles of a counting build of Vorelkin, shared with the
// benchmark through a named mapping: Wine's GetGuiResources reports 0.
#pragma once

#include <windows.h>

#include <stdio.h>

struct GuiCounts {
    LONG patched;      // imports redirected to the counters
    LONG icons;        // USER: icons made and not yet destroyed
    LONG gdiObjects;   // GDI: brushes, regions, fonts, pens, bitmaps not yet deleted
    LONG dcs;          // GDI: device contexts taken and not yet given back
    LONG extractCalls; // ExtractIconExA calls: seven per paint of the popup or page
    LONG unknownFrees; // deletes of handles the counters never saw made
    LONG made[3];      // handles made so far, by kind: icons, GDI objects, DCs
};

inline void GuiCountsName(DWORD pid, char* name, size_t size) {
    snprintf(name, size, "VorelkinGuiCounts.%lu", (unsigned long)pid);
}
