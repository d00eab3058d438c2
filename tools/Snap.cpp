// Drives the real program as a user would and takes pictures of it:
//   Snap.exe <output folder>
//     the README pictures: the popup with the pointer on "重要", the
//     description prompt that row opens (pre-filled from the folder's earlier
//     description), and the desktop.ini written once the prompt is confirmed;
//     popup.bmp, prompt.bmp and desktop.ini (as the program wrote it) go to
//     the output folder, and scripts/screenshots.sh turns them into PNGs.
//     Then the overview of the folder's parent, with a few more folders
//     marked, goes to overview.bmp.
//   Snap.exe --demo <folder> <output folder>
//     the run command's demo where nobody can click: the program beside
//     Snap.exe marks the folder "重要" with a typed description; popup.bmp and
//     prompt.bmp go to the output folder, and the attributes the folder and
//     its desktop.ini then have are printed.
#include "base/TextRules.h"
#include "base/WideText.h"
#include "framework/Scoped.h"
#include "res/resource.h"
#include "support/Desktop.h"

#include <stdio.h>

namespace {
// Fixed, short paths, so the pictures and desktop.ini read like a real
// installation rather than a temporary one.
const char kInstallDir[] = "C:\\Tools\\Vorelkin";
const char kOverviewRoot[] = "C:\\Projects";
const char kTarget[] = "C:\\Projects\\報告書";
const char kDescription[] = "第3四半期の報告書（レビュー待ち）";
const char kDemoDescription[] = "デモ: run.sh が入力した説明";
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
            POINT at = {};
            GetCursorPos(&at);
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

// Tabs to a field, which selects its text, as the keys that follow replace it.
bool TabIntoField(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    SetForegroundWindow(dialog);
    for (int press = 0; press < 8 && FocusOf(dialog) != field; ++press) {
        HWND before = FocusOf(dialog);
        PressKey(VK_TAB);
        WaitFor([&] { return FocusOf(dialog) != before; }, 2000);
    }
    return FocusOf(dialog) == field;
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
    RemoveTree(kOverviewRoot);
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

enum class Prompt { KeepPreFilled, TypeOver };

// The main job as a user does it: the popup on the folder with the pointer on
// "重要" (popup.bmp), a click there, the prompt holding the description
// (prompt.bmp) and OK, after which the program must end with 0.
bool MarkImportant(const CString& exe, const char* folder, const char* description, Prompt how,
                   const CString& out) {
    Backdrop backdrop;
    MovePointer(kOpenAt.x, kOpenAt.y); // the popup opens at the pointer
    Process program;
    if (!program.Start(WideText("\"" + exe + "\" \"" + folder + "\""),
                       exe.Left(FindLastBackslash(exe))))
        return Fail("cannot start Vorelkin.exe");
    HWND chooser = WaitForChooser(program.Id());
    // The labels take their final texts at the first paint.
    if (!chooser || !WaitFor([&] { return TextOf(GetDlgItem(chooser, IDC_OTHER)) == "その他"; }))
        return Fail("no popup");
    printf("the popup is open on %s\n", folder);

    // Wine can lose a pointer move: each look moves again.
    RECT row = ScreenRect(chooser, IDC_SLOT2);
    if (!WaitFor([&] {
            MoveToControl(chooser, IDC_SLOT2);
            return ScreenPixel(row.right - 2, row.top + 1) == GetSysColor(COLOR_HIGHLIGHT);
        }))
        return Fail("no hover bar on the row");
    Sleep(300); // let the X server settle the last drawing
    if (!SaveScreen(WithMargin(chooser), true, out + "\\popup.bmp"))
        return false;

    ClickControl(chooser, IDC_SLOT2);
    HWND prompt = WaitForPrompt(program.Id());
    if (!prompt)
        return Fail("no prompt after a click on the row");
    printf("clicked \"重要\": the prompt \"%s\" is open\n", (const char*)TextOf(prompt));
    HWND field = GetDlgItem(prompt, IDC_COMMENT);
    if (how == Prompt::TypeOver) {
        if (!TabIntoField(prompt, IDC_COMMENT))
            return Fail("the prompt's field takes no keys");
        TypeText(description);
        printf("typed \"%s\"\n", description);
    }
    if (!WaitFor([&] { return TextOf(field) == description; }))
        return Fail("the prompt does not hold the description");
    Sleep(300);
    // The prompt opens over the popup, which it partly covers: both are shown.
    RECT scene, popupRect = WithMargin(chooser), promptRect = WithMargin(prompt);
    UnionRect(&scene, &popupRect, &promptRect);
    if (!SaveScreen(scene, false, out + "\\prompt.bmp"))
        return false;

    ClickControl(prompt, IDOK);
    if (program.WaitExit() != 0)
        return Fail("the program did not end after the prompt");
    printf("clicked OK: Vorelkin ended with 0\n");
    return true;
}

// Folders beside the one the popup marked, each with its slot's icon (0:
// a description only) as the popup would have written them.
const struct {
    const wchar_t* name;
    int slot;
    const char* description;
} kNeighbours[] = {
    {L"設計書", 1, "基本設計（確定版）"},
    {L"見積\\2026年度", 3, "先方の回答待ち"},
    {L"顧客\\森鷗外記念館", 4, "資料を受け取ったら整理する"},
    {L"議事録", 0, "定例会の記録"},
    {L"アーカイブ", 6, "来期に移す候補"},
};

// One fixed time on every desktop.ini, so a retaken picture has the same
// bytes.
void SetFixedTime(const wchar_t* file) {
    const SYSTEMTIME when = {2026, 4, 3, 1, 0, 30, 0, 0}; // UTC
    FILETIME time = {};
    SystemTimeToFileTime(&when, &time);
    ScopedFile handle(CreateFileW(file, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    SetFileTime(handle, nullptr, nullptr, &time);
}

bool MarkNeighbours() {
    SetFixedTime(WideText(CString(kTarget) + "\\desktop.ini"));
    for (const auto& folder : kNeighbours) {
        WideText path(kOverviewRoot);
        path += L"\\";
        path += folder.name;
        // The parent first, where the name holds one.
        const wchar_t* slash = wcschr(folder.name, L'\\');
        if (slash) {
            WideText parent(kOverviewRoot);
            parent += L"\\";
            parent += std::wstring(folder.name, slash).c_str();
            CreateDirectoryW(parent, nullptr);
        }
        CreateDirectoryW(path, nullptr);
        std::string ini = "[.ShellClassInfo]\r\n";
        if (folder.slot)
            ini += "IconFile=" + std::string(kInstallDir) + "\\icons\\fld0" +
                   std::to_string(folder.slot) + ".ico\r\nIconIndex=0\r\n";
        ini += "InfoTip=" + std::string(folder.description) + "\r\n";
        WideText file(path);
        file += L"\\desktop.ini";
        ScopedFile out(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_HIDDEN, nullptr));
        DWORD written = 0;
        if (!out.IsValid() || !WriteFile(out, ini.data(), (DWORD)ini.size(), &written, nullptr))
            return Fail("cannot mark the neighbours");
        out.Reset();
        SetFixedTime(file);
        SetFileAttributesW(path, FILE_ATTRIBUTE_SYSTEM);
    }
    return true;
}

// The overview of every mark under the projects' folder, with the marked
// folder's row selected (overview.bmp); Esc twice is not needed, as the scan
// has ended: one closes it.
bool ShowOverview(const CString& out) {
    Backdrop backdrop;
    Process program;
    CString exe = CString(kInstallDir) + "\\Vorelkin.exe";
    if (!program.Start(WideText("\"" + exe + "\" /list \"" + kOverviewRoot + "\""), kInstallDir))
        return Fail("cannot start the overview");
    HWND window = WaitForDialog(program.Id(), [](HWND w) { return GetMenu(w) != nullptr; });
    if (!window || !WaitFor([&] {
            return strstr(TextOf(GetDlgItem(window, IDC_OV_STATUS_LINE)), "印のある") != nullptr;
        }))
        return Fail("no overview");
    printf("the overview lists: %s\n", (const char*)TextOf(GetDlgItem(window, IDC_OV_STATUS_LINE)));
    SetForegroundWindow(window);
    WaitForKeyboard(window);
    PressKey(VK_HOME); // the first row, selected
    PressKey(VK_DOWN);
    Sleep(300);
    bool saved = SaveScreen(WithMargin(window), false, out + "\\overview.bmp");
    PressKey(VK_ESCAPE);
    if (program.WaitExit() != 0)
        return Fail("the overview did not end on Esc");
    return saved;
}

bool TakePictures(const CString& out) {
    if (!MarkImportant(CString(kInstallDir) + "\\Vorelkin.exe", kTarget, kDescription,
                       Prompt::KeepPreFilled, out))
        return false;
    std::string ini = ReadBytes(CString(kTarget) + "\\desktop.ini");
    if (!WriteBytes(out + "\\desktop.ini", ini))
        return Fail("cannot copy desktop.ini");
    return MarkNeighbours() && ShowOverview(out);
}

void PrintAttributes(const char* path) {
    const std::pair<DWORD, const char*> names[] = {{FILE_ATTRIBUTE_READONLY, "ReadOnly"},
                                                   {FILE_ATTRIBUTE_HIDDEN, "Hidden"},
                                                   {FILE_ATTRIBUTE_SYSTEM, "System"},
                                                   {FILE_ATTRIBUTE_DIRECTORY, "Directory"},
                                                   {FILE_ATTRIBUTE_ARCHIVE, "Archive"}};
    const DWORD attributes = Attributes(path);
    printf("attributes of %s:", path);
    for (auto [bit, name] : names) {
        if (attributes & bit)
            printf(" %s", name);
    }
    printf("\n");
}

bool Demo(const CString& folder, const CString& out) {
    if (!MarkImportant(BesideTests("Vorelkin.exe"), folder, kDemoDescription, Prompt::TypeOver,
                       out))
        return false;
    PrintAttributes(folder);
    PrintAttributes(folder + "\\desktop.ini");
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--demo") == 0)
        return Demo(argv[2], argv[3]) ? 0 : 1;
    if (argc != 2)
        return Fail("usage: Snap.exe <output folder> | Snap.exe --demo <folder> <output folder>"),
               2;
    bool done = Prepare() && TakePictures(argv[1]);
    RemoveTree(kOverviewRoot);
    RemoveTree(kInstallDir);
    return done ? 0 : 1;
}
