// Linked only into the benchmark's counting build of Vorelkin: at start-up it
// redirects the executable's own imports of the calls that make and free GUI
// handles, and keeps the live counts in a mapping named after the process.
#include "GuiCounts.h"

#include <shellapi.h>
#include <string.h>

namespace {
enum Kind { kIcon, kGdiObject, kDc };

GuiCounts g_unmapped;
GuiCounts* g_counts = &g_unmapped;

// The handles made through the counters and not yet freed, so a free of
// something we never saw made (a stock object, a system icon) counts apart.
const int kMaxLive = 8192;
struct Live {
    void* handle;
    Kind kind;
} g_live[kMaxLive];
int g_liveCount = 0;

LONG* CounterOf(Kind kind) {
    return kind == kIcon ? &g_counts->icons : kind == kDc ? &g_counts->dcs : &g_counts->gdiObjects;
}

void Made(void* handle, Kind kind) {
    if (!handle || g_liveCount == kMaxLive)
        return;
    g_live[g_liveCount++] = {handle, kind};
    InterlockedIncrement(CounterOf(kind));
    InterlockedIncrement(&g_counts->made[kind]);
}

void Freed(void* handle) {
    for (int i = g_liveCount - 1; i >= 0; --i) {
        if (g_live[i].handle == handle) {
            InterlockedDecrement(CounterOf(g_live[i].kind));
            g_live[i] = g_live[--g_liveCount];
            return;
        }
    }
    if (handle)
        InterlockedIncrement(&g_counts->unknownFrees);
}

// The real functions, filled in when the imports are redirected.
UINT(WINAPI* RealExtractIconExA)(LPCSTR, int, HICON*, HICON*, UINT);
HICON(WINAPI* RealExtractIconA)(HINSTANCE, LPCSTR, UINT);
HICON(WINAPI* RealCopyIcon)(HICON);
HICON(WINAPI* RealCreateIconIndirect)(PICONINFO);
HANDLE(WINAPI* RealLoadImageA)(HINSTANCE, LPCSTR, UINT, int, int, UINT);
BOOL(WINAPI* RealDestroyIcon)(HICON);
HDC(WINAPI* RealGetDC)(HWND);
HDC(WINAPI* RealGetWindowDC)(HWND);
HDC(WINAPI* RealGetDCEx)(HWND, HRGN, DWORD);
int(WINAPI* RealReleaseDC)(HWND, HDC);
HDC(WINAPI* RealCreateCompatibleDC)(HDC);
BOOL(WINAPI* RealDeleteDC)(HDC);
HBRUSH(WINAPI* RealCreateSolidBrush)(COLORREF);
HBRUSH(WINAPI* RealCreateBrushIndirect)(const LOGBRUSH*);
HPEN(WINAPI* RealCreatePen)(int, int, COLORREF);
HRGN(WINAPI* RealCreateRectRgn)(int, int, int, int);
HRGN(WINAPI* RealCreateRectRgnIndirect)(const RECT*);
HFONT(WINAPI* RealCreateFontIndirectA)(const LOGFONTA*);
HBITMAP(WINAPI* RealCreateCompatibleBitmap)(HDC, int, int);
BOOL(WINAPI* RealDeleteObject)(HGDIOBJ);

UINT WINAPI CountExtractIconExA(LPCSTR file, int index, HICON* large, HICON* small, UINT count) {
    InterlockedIncrement(&g_counts->extractCalls);
    if (index == -1) // asks only how many icons there are
        return RealExtractIconExA(file, index, large, small, count);
    for (UINT i = 0; i < count; ++i) {
        if (large)
            large[i] = nullptr;
        if (small)
            small[i] = nullptr;
    }
    UINT result = RealExtractIconExA(file, index, large, small, count);
    for (UINT i = 0; i < count; ++i) {
        if (large)
            Made(large[i], kIcon);
        if (small)
            Made(small[i], kIcon);
    }
    return result;
}
HICON WINAPI CountExtractIconA(HINSTANCE instance, LPCSTR file, UINT index) {
    HICON icon = RealExtractIconA(instance, file, index);
    if (icon != (HICON)1) // 1: the file is no icon source
        Made(icon, kIcon);
    return icon;
}
HICON WINAPI CountCopyIcon(HICON icon) {
    HICON copy = RealCopyIcon(icon);
    Made(copy, kIcon);
    return copy;
}
HICON WINAPI CountCreateIconIndirect(PICONINFO info) {
    HICON icon = RealCreateIconIndirect(info);
    Made(icon, kIcon);
    return icon;
}
HANDLE WINAPI CountLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy,
                              UINT flags) {
    HANDLE image = RealLoadImageA(instance, name, type, cx, cy, flags);
    if (!(flags & LR_SHARED)) // shared images belong to the system
        Made(image, type == IMAGE_BITMAP ? kGdiObject : kIcon);
    return image;
}
BOOL WINAPI CountDestroyIcon(HICON icon) {
    BOOL done = RealDestroyIcon(icon);
    if (done)
        Freed(icon);
    return done;
}
HDC WINAPI CountGetDC(HWND window) {
    HDC dc = RealGetDC(window);
    Made(dc, kDc);
    return dc;
}
HDC WINAPI CountGetWindowDC(HWND window) {
    HDC dc = RealGetWindowDC(window);
    Made(dc, kDc);
    return dc;
}
HDC WINAPI CountGetDCEx(HWND window, HRGN clip, DWORD flags) {
    HDC dc = RealGetDCEx(window, clip, flags);
    Made(dc, kDc);
    return dc;
}
int WINAPI CountReleaseDC(HWND window, HDC dc) {
    int done = RealReleaseDC(window, dc);
    if (done)
        Freed(dc);
    return done;
}
HDC WINAPI CountCreateCompatibleDC(HDC dc) {
    HDC made = RealCreateCompatibleDC(dc);
    Made(made, kDc);
    return made;
}
BOOL WINAPI CountDeleteDC(HDC dc) {
    BOOL done = RealDeleteDC(dc);
    if (done)
        Freed(dc);
    return done;
}
template <class H> H GdiMade(H handle) {
    Made(handle, kGdiObject);
    return handle;
}
HBRUSH WINAPI CountCreateSolidBrush(COLORREF color) {
    return GdiMade(RealCreateSolidBrush(color));
}
HBRUSH WINAPI CountCreateBrushIndirect(const LOGBRUSH* brush) {
    return GdiMade(RealCreateBrushIndirect(brush));
}
HPEN WINAPI CountCreatePen(int style, int width, COLORREF color) {
    return GdiMade(RealCreatePen(style, width, color));
}
HRGN WINAPI CountCreateRectRgn(int left, int top, int right, int bottom) {
    return GdiMade(RealCreateRectRgn(left, top, right, bottom));
}
HRGN WINAPI CountCreateRectRgnIndirect(const RECT* rect) {
    return GdiMade(RealCreateRectRgnIndirect(rect));
}
HFONT WINAPI CountCreateFontIndirectA(const LOGFONTA* font) {
    return GdiMade(RealCreateFontIndirectA(font));
}
HBITMAP WINAPI CountCreateCompatibleBitmap(HDC dc, int width, int height) {
    return GdiMade(RealCreateCompatibleBitmap(dc, width, height));
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
    BOOL done = RealDeleteObject(object);
    if (done)
        Freed(object);
    return done;
}

struct Hook {
    const char* name;
    void* replacement;
    void** real;
};
#define HOOK(name)                                                                                 \
    { #name, (void*)Count##name, (void**)&Real##name }
const Hook kHooks[] = {
    HOOK(ExtractIconExA),
    HOOK(ExtractIconA),
    HOOK(CopyIcon),
    HOOK(CreateIconIndirect),
    HOOK(LoadImageA),
    HOOK(DestroyIcon),
    HOOK(GetDC),
    HOOK(GetWindowDC),
    HOOK(GetDCEx),
    HOOK(ReleaseDC),
    HOOK(CreateCompatibleDC),
    HOOK(DeleteDC),
    HOOK(CreateSolidBrush),
    HOOK(CreateBrushIndirect),
    HOOK(CreatePen),
    HOOK(CreateRectRgn),
    HOOK(CreateRectRgnIndirect),
    HOOK(CreateFontIndirectA),
    HOOK(CreateCompatibleBitmap),
    HOOK(DeleteObject),
};
#undef HOOK

// MinGW calls imported functions through the import address table, so
// replacing its entries catches every call the program itself makes (not
// those the system libraries make inside themselves).
void RedirectImports() {
    BYTE* base = (BYTE*)GetModuleHandleA(nullptr);
    auto* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress); dll->Name; ++dll) {
        auto* names = (IMAGE_THUNK_DATA*)(base + (dll->OriginalFirstThunk ? dll->OriginalFirstThunk
                                                                          : dll->FirstThunk));
        auto* slots = (IMAGE_THUNK_DATA*)(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char* name =
                (const char*)((IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData))->Name;
            for (const Hook& hook : kHooks) {
                if (strcmp(hook.name, name) != 0)
                    continue;
                DWORD protection = 0;
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                               &protection);
                *hook.real = (void*)slots->u1.Function;
                slots->u1.Function = (ULONG_PTR)hook.replacement;
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection,
                               &protection);
                InterlockedIncrement(&g_counts->patched);
            }
        }
    }
}

struct StartCounting {
    StartCounting() {
        char name[64];
        GuiCountsName(GetCurrentProcessId(), name, sizeof(name));
        // Lives until the process ends; the benchmark reads it meanwhile.
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(GuiCounts), name);
        void* view =
            mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(GuiCounts)) : nullptr;
        if (view)
            g_counts = (GuiCounts*)view;
        RedirectImports();
    }
} g_startCounting;
} // namespace
