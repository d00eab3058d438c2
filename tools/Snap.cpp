// Takes the README pictures from the real program, driven as a user would:
// the popup with the pointer on "重要", the description prompt that row
// opens (pre-filled from the folder's earlier description), and the
// desktop.ini written once the prompt is confirmed.
//   Snap.exe <output folder>
// writes popup.bmp, prompt.bmp and desktop.ini (as the program wrote it)
// there. scripts/screenshots.sh runs it and turns the results into PNGs.
#include "framework/Scoped.h"
#include "res/resource.h"
#include "support/Desktop.h"

#include <stdio.h>

namespace {
// Fixed, short paths, so the pictures and desktop.ini read like a real
// installation rather than a temporary one.
const char kInstallDir[] = "C:\\Tools\\Vorelkin";
const char kTarget[] = "C:\\Projects\\報告書";
const char kDescription[] = "第3四半期の報告書（レビュー待ち）";
const int kMargin = 16;
// Where the popup opens: clear of the screen's edges.
const POINT kOpenAt = {320, 260};

struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
using ScopedMemoryDC = ScopedHandle<HDC, MemoryDcTraits>;

bool Fail(const char* what) {
    fprintf(stderr, "Snap: %s\n", what);
    return false;
}

// A plain desktop-coloured window under everything, so the margin around
// a picture shows a desktop rather than the bare X root. It lives on a
// thread of its own that keeps it painted.
class Backdrop {
  public:
    Backdrop() {
        m_ready.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        m_thread.Reset(CreateThread(nullptr, 0, Run, this, 0, &m_threadId));
        WaitForSingleObject(m_ready, kWaitMs);
    }
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;
    ~Backdrop() {
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(m_thread, kWaitMs);
    }

  private:
    static DWORD WINAPI Run(LPVOID self) {
        Backdrop& backdrop = *static_cast<Backdrop*>(self);
        ScopedGdiObject brush(CreateSolidBrush(RGB(58, 110, 165)));
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = (HBRUSH)brush.Get();
        windowClass.lpszClassName = "VorelkinSnapBackdrop";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
                                      windowClass.lpszClassName, "", WS_POPUP, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        SetEvent(backdrop.m_ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        DestroyWindow(window);
        UnregisterClassA(windowClass.lpszClassName, windowClass.hInstance);
        return 0;
    }

    ScopedKernelHandle m_ready;
    ScopedKernelHandle m_thread;
    DWORD m_threadId = 0;
};

// The screen inside the rectangle as a 24-bit BMP file, with the arrow
// pointer drawn in when withPointer is set (a screen copy never holds it).
bool SaveScreen(RECT rect, bool withPointer, const CString& path) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    ScopedGetDC screen(nullptr);
    ScopedMemoryDC memory(CreateCompatibleDC(screen));
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
    if (!memory.IsValid() || !bitmap.IsValid())
        return Fail("no bitmap");
    {
        ScopedSelectObject select(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        if (withPointer) {
            HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW); // shared: not destroyed
            ICONINFO info = {};
            GetIconInfo(arrow, &info);
            ScopedGdiObject mask(info.hbmMask), color(info.hbmColor);
            POINT at = PointerPos();
            DrawIconEx(memory, at.x - rect.left - (int)info.xHotspot,
                       at.y - rect.top - (int)info.yHotspot, arrow, 0, 0, 0, nullptr, DI_NORMAL);
        }
    }

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as BMP files hold their rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    std::string pixels(stride * height, '\0');
    if (!GetDIBits(memory, (HBITMAP)bitmap.Get(), 0, height, &pixels[0],
                   reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS))
        return Fail("no pixels");

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes += pixels;
    return WriteBytes(path, bytes) || Fail("cannot write a picture");
}

RECT WithMargin(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    InflateRect(&rect, kMargin, kMargin);
    return rect;
}

// The program and its default icons in kInstallDir, and a folder that
// already carries a description from an earlier run.
bool Prepare() {
    RemoveTree(kInstallDir);
    RemoveTree(kTarget);
    CreateDirectoryA("C:\\Tools", nullptr);
    CreateDirectoryA("C:\\Projects", nullptr);
    CString icons = CString(kInstallDir) + "\\icons";
    if (!CreateDirectoryA(kInstallDir, nullptr) || !CreateDirectoryA(icons, nullptr) ||
        !CreateDirectoryA(kTarget, nullptr))
        return Fail("cannot create the folders");
    if (!CopyFileA(BesideTests("Vorelkin.exe"), CString(kInstallDir) + "\\Vorelkin.exe", FALSE))
        return Fail("no Vorelkin.exe beside Snap.exe");
    for (char slot = '0'; slot <= '7'; ++slot) {
        CString name = "fld0";
        name += slot;
        name += ".ico";
        if (!CopyFileA(BesideTests("icons\\" + name), icons + "\\" + name, FALSE))
            return Fail("no default icons beside Snap.exe");
    }
    return WriteBytes(CString(kTarget) + "\\desktop.ini",
                      std::string("[.ShellClassInfo]\r\nInfoTip=") + kDescription + "\r\n") ||
           Fail("cannot write the folder's desktop.ini");
}

bool TakePictures(const CString& out) {
    Backdrop backdrop;
    MovePointer(kOpenAt.x, kOpenAt.y);
    Process program;
    CString exe = CString(kInstallDir) + "\\Vorelkin.exe";
    if (!program.Start("\"" + exe + "\" \"" + kTarget + "\"", kInstallDir))
        return Fail("cannot start Vorelkin.exe");
    HWND chooser = WaitForChooser(program.Id());
    // The labels take their final texts at the first paint.
    if (!chooser || !WaitFor([&] { return TextOf(GetDlgItem(chooser, IDC_OTHER)) == "その他"; }))
        return Fail("no popup");

    MoveToControl(chooser, IDC_SLOT2);
    POINT at = PointerPos();
    if (!WaitFor([&] { return ScreenPixel(at.x, at.y) == GetSysColor(COLOR_HIGHLIGHT); }))
        return Fail("no hover bar on the row");
    Sleep(300); // let the X server settle the last drawing
    if (!SaveScreen(WithMargin(chooser), true, out + "\\popup.bmp"))
        return false;

    ClickControl(chooser, IDC_SLOT2);
    HWND prompt =
        WaitForDialog(program.Id(), [](HWND w) { return TextOf(w) == "フォルダの説明を入力"; });
    if (!prompt || ControlText(GetDlgItem(prompt, IDC_COMMENT)) != kDescription)
        return Fail("no prompt with the folder's description");
    Sleep(300);
    // The prompt opens over the popup, which it partly covers: both are shown.
    RECT scene, popupRect = WithMargin(chooser), promptRect = WithMargin(prompt);
    UnionRect(&scene, &popupRect, &promptRect);
    if (!SaveScreen(scene, false, out + "\\prompt.bmp"))
        return false;

    ClickControl(prompt, IDOK);
    if (program.WaitExit() != 0)
        return Fail("the program did not end after the prompt");
    std::string ini = ReadBytes(CString(kTarget) + "\\desktop.ini");
    return WriteBytes(out + "\\desktop.ini", ini) || Fail("cannot copy desktop.ini");
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: Snap.exe <output folder>"), 2;
    bool done = Prepare() && TakePictures(argv[1]);
    RemoveTree(kTarget);
    RemoveTree(kInstallDir);
    return done ? 0 : 1;
}
