#include "DialogTemplate.h"

#include <gtest/gtest.h>

namespace {
std::string ToCp932(const WCHAR* text, size_t length) {
    int size = WideCharToMultiByte(932, 0, text, (int)length, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(932, 0, text, (int)length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

class Reader {
  public:
    explicit Reader(const BYTE* at) : m_at(at) {}
    template <class T> T Read() {
        T value;
        memcpy(&value, m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    std::string ReadString() {
        const WCHAR* start = (const WCHAR*)m_at;
        size_t length = 0;
        while (start[length])
            ++length;
        m_at += (length + 1) * sizeof(WCHAR);
        return ToCp932(start, length);
    }
    // A name or ordinal: 0xFFFF then a WORD, or a string.
    std::string ReadSzOrOrdinal() {
        if (*(const WORD*)m_at == 0xFFFF) {
            m_at += 2;
            WORD ordinal = Read<WORD>();
            switch (ordinal) {
            case 0x80:
                return "Button";
            case 0x81:
                return "Edit";
            case 0x82:
                return "Static";
            default:
                return "#" + std::to_string(ordinal);
            }
        }
        return ReadString();
    }
    void AlignDword() { m_at = (const BYTE*)(((ULONG_PTR)m_at + 3) & ~(ULONG_PTR)3); }
    void Skip(size_t bytes) { m_at += bytes; }

  private:
    const BYTE* m_at;
};
} // namespace

DialogTemplate LoadDialogTemplate(int id) {
    DialogTemplate dialog;
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    if (!resource)
        return dialog;
    const BYTE* data = (const BYTE*)LockResource(LoadResource(nullptr, resource));
    Reader reader(data);
    if (reader.Read<WORD>() != 1 || reader.Read<WORD>() != 0xFFFF)
        return dialog; // not a DIALOGEX
    dialog.found = true;
    reader.Read<DWORD>(); // help id
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    WORD count = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    reader.ReadSzOrOrdinal(); // menu
    reader.ReadSzOrOrdinal(); // class
    dialog.title = reader.ReadString();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Read<WORD>();
        reader.Read<WORD>(); // weight
        reader.Read<BYTE>(); // italic
        reader.Read<BYTE>(); // charset
        dialog.typeface = reader.ReadString();
    }
    for (WORD i = 0; i < count; ++i) {
        reader.AlignDword();
        TemplateItem item;
        reader.Read<DWORD>(); // help id
        item.exStyle = reader.Read<DWORD>();
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = reader.Read<DWORD>();
        item.className = reader.ReadSzOrOrdinal();
        item.text = reader.ReadSzOrOrdinal();
        WORD extra = reader.Read<WORD>();
        reader.Skip(extra);
        dialog.items.push_back(item);
    }
    return dialog;
}

void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(expected.size(), dialog.items.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(expected[i].id, item.id);
        EXPECT_EQ(0, _stricmp(expected[i].className, item.className.c_str())) << item.className;
        EXPECT_EQ(expected[i].text, item.text);
        EXPECT_EQ(expected[i].style, item.style);
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(expected[i].x, item.x);
        EXPECT_EQ(expected[i].y, item.y);
        EXPECT_EQ(expected[i].cx, item.cx);
        EXPECT_EQ(expected[i].cy, item.cy);
    }
}
