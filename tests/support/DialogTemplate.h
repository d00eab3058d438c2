// Reads a DIALOGEX template from this program's resources, so tests can
// check its exact sizes, styles and ids.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TemplateItem {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::string className; // CP932, or "#0x0080" style atoms as "Button", "Edit", "Static"
    std::string text;      // CP932
};

struct DialogTemplate {
    bool found = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    WORD pointSize = 0;
    std::string typeface;
    std::vector<TemplateItem> items;
};

DialogTemplate LoadDialogTemplate(int id);

// A control as a test expects it, with no extended style.
struct ExpectedItem {
    DWORD id;
    const char* className; // compared without case
    const char* text;
    short x, y, cx, cy;
    DWORD style;
};

// Checks the template's controls against the expected ones, in order.
void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected);
