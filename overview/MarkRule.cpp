// What counts as a mark and which status it shows.
#include "FolderMarks.h"

#include "MarkPaths.h"

#include "../base/IniText.h"
#include "../base/Settings.h"
#include "../base/TextRules.h"
#include "../framework/Scoped.h"

#include <stdlib.h>
#include <string.h>

namespace {
const char* const kNames[kStatusCount] = {"標準",   "必須",  "重要",  "進行中", "未処理",
                                          "個人用", "計画1", "計画2", "その他"};
const wchar_t* const kWideNames[kStatusCount] = {
    L"標準", L"必須", L"重要", L"進行中", L"未処理", L"個人用", L"計画1", L"計画2", L"その他"};
const char kSection[] = ".ShellClassInfo";
const int kMaxIniBytes = 64 * 1024; // Explorer needs no more; a huge file costs no more

// Text in a malloc'd block that may hold NULs, as a file's bytes can.
struct WideBlock {
    WideBlock() = default;
    WideBlock(const WideBlock&) = delete;
    WideBlock& operator=(const WideBlock&) = delete;
    ~WideBlock() { free(text); }
    wchar_t* text = nullptr;
    int length = 0;
};

void Convert(UINT codePage, const char* bytes, int length, WideBlock& out) {
    if (length <= 0)
        return;
    int count = MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0);
    if (count <= 0)
        return;
    out.text = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)(count + 1));
    if (!out.text)
        abort();
    out.length = MultiByteToWideChar(codePage, 0, bytes, length, out.text, count);
    out.text[out.length] = L'\0';
}

// The file's text as UTF-8, whatever it was written in: bytes that spell
// nothing become the code page's replacement character, and an odd last byte
// of UTF-16 is dropped.
CString IniTextOf(const char* bytes, int length) {
    const unsigned char* b = (const unsigned char*)bytes;
    if (length >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        WideBlock wide; // copied, as the bytes need not be aligned for wchar_t
        wide.length = (length - 2) / 2;
        wide.text = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)(wide.length + 1));
        if (!wide.text)
            abort();
        memcpy(wide.text, bytes + 2, sizeof(wchar_t) * (size_t)wide.length);
        return Utf8Of(wide.text, wide.length);
    }
    // UTF-8 as its writer meant it, though Explorer reads it in the ANSI code
    // page: the next mark writes it as UTF-16.
    const int mark = length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF ? 3 : 0;
    if (mark || IsUtf8NotCp932(bytes, length)) {
        WideBlock wide; // decoded and encoded again, so invalid bytes cannot reach the reader
        Convert(CP_UTF8, bytes + mark, length - mark, wide);
        return Utf8Of(wide.text, wide.length);
    }
    WideBlock wide; // without a mark Windows reads the file in the ANSI code page
    Convert(CP_ACP, bytes, length, wide);
    return Utf8Of(wide.text, wide.length);
}

WideText WideOf(const CString& utf8) {
    WideBlock wide;
    Convert(CP_UTF8, utf8, (int)strlen(utf8), wide);
    return wide.text ? WideText(wide.text) : WideText();
}

// A drive, a rooted or UNC path, or an environment variable (Windows' own
// folders name "%SystemRoot%\...").
bool IsAbsolute(const wchar_t* path) {
    return path[0] == L'\\' || path[0] == L'/' || path[0] == L'%' || (path[0] && path[1] == L':');
}

const wchar_t* FileNameOf(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at; ++at) {
        if (*at == L'\\' || *at == L'/' || *at == L':')
            name = at + 1;
    }
    return name;
}

bool SameText(const wchar_t* a, int aLength, const wchar_t* b, int bLength) {
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

// The slot's file name, or the name its copy takes in a folder that held a
// user's file of that name: "fld02 (2).ico" for "fld02.ico".
bool IsSlotFileName(const wchar_t* name, const wchar_t* slotName) {
    if (SameText(name, -1, slotName, -1))
        return true;
    const wchar_t* dot = wcsrchr(slotName, L'.');
    const int stem = dot ? (int)(dot - slotName) : (int)wcslen(slotName);
    const wchar_t* extension = slotName + stem;
    if (!SameText(name, stem, slotName, stem) || wcsncmp(name + stem, L" (", 2) != 0)
        return false;
    const wchar_t* digits = name + stem + 2;
    const wchar_t* at = digits;
    while (*at >= L'0' && *at <= L'9')
        ++at;
    return at > digits && *digits != L'0' && at[0] == L')' && SameText(at + 1, -1, extension, -1);
}

// Only the file's name and the index count: a mark made on another PC
// names that PC's icons folder.
int SlotOf(const wchar_t* iconFile, int index, const SlotIcons& slots) {
    const wchar_t* name = FileNameOf(iconFile);
    for (int slot = 1; slot < kStatusOther; ++slot) {
        const wchar_t* slotName = FileNameOf(slots.path[slot]);
        if (*slotName && index == slots.index[slot] && IsSlotFileName(name, slotName))
            return slot;
    }
    return kStatusOther;
}
} // namespace

const char* StatusName(int status) {
    return status >= 0 && status < kStatusCount ? kNames[status] : "";
}

const wchar_t* StatusWideName(int status) {
    return status >= 0 && status < kStatusCount ? kWideNames[status] : L"";
}

SlotIcons CurrentSlotIcons() {
    SlotIcons slots;
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        slots.path[slot] = WideText(g_arrIconPath[slot]);
        slots.index[slot] = g_nIconIndex[slot];
    }
    return slots;
}

bool MarkFromIniBytes(const char* bytes, int length, const wchar_t* folder, const SlotIcons& slots,
                      FolderMark& mark) {
    const CString text = IniTextOf(bytes, length < kMaxIniBytes ? length : kMaxIniBytes);
    CString resource, file, index, tip;
    FindIniValue(text, IniBytes::Utf8, kSection, "InfoTip", tip);
    // Explorer shows IconResource where both are given.
    if (FindIniValue(text, IniBytes::Utf8, kSection, "IconResource", resource) &&
        !resource.IsEmpty()) {
        int comma = -1;
        for (int i = 0; i < resource.GetLength(); ++i) {
            if (resource[i] == ',')
                comma = i;
        }
        file = comma < 0 ? resource : resource.Left(comma);
        index = comma < 0 ? CString() : resource.Mid(comma + 1);
    } else if (FindIniValue(text, IniBytes::Utf8, kSection, "IconFile", file)) {
        FindIniValue(text, IniBytes::Utf8, kSection, "IconIndex", index);
    }
    if (file.IsEmpty() && tip.IsEmpty())
        return false;

    mark.folder = WideText(folder);
    mark.description = WideOf(tip);
    mark.iconFile = WideText();
    mark.iconIndex = LeadingInt(index);
    mark.status = kStatusStandard;
    if (file.IsEmpty())
        return true;
    WideText icon = WideOf(file);
    // A relative name is a copy in the folder itself.
    mark.iconFile = IsAbsolute(icon) ? icon : JoinPath(folder, icon);
    mark.status = SlotOf(icon, mark.iconIndex, slots);
    return true;
}

bool ReadFolderMark(const wchar_t* folder, const SlotIcons& slots, FolderMark& mark) {
    WideText path = ExtendedFolderPathOf(folder);
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !(attributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)))
        return false;
    return ReadMarkAt(path, slots, mark) == MarkRead::Marked;
}

MarkRead ReadMarkAt(const wchar_t* longPath, const SlotIcons& slots, FolderMark& mark) {
    WideText iniPath = JoinPath(longPath, L"desktop.ini");
    // Shared every way: an editor or another launch may hold it.
    ScopedFile file(CreateFileW(iniPath, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? MarkRead::None
                                                                              : MarkRead::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return MarkRead::Failed;
    CString bytes;
    char* buffer = bytes.GetBuffer(kMaxIniBytes);
    DWORD total = 0;
    while (total < (DWORD)kMaxIniBytes) {
        DWORD read = 0;
        if (!ReadFile(file, buffer + total, kMaxIniBytes - total, &read, nullptr))
            return MarkRead::Failed;
        if (!read)
            break;
        total += read;
    }
    bytes.ReleaseBuffer((int)total);
    WideText shown = ShownPathOf(longPath);
    if (!MarkFromIniBytes(bytes, bytes.GetLength(), shown, slots, mark))
        return MarkRead::None;
    mark.written = info.ftLastWriteTime;
    return MarkRead::Marked;
}
