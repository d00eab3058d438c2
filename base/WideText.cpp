#include "WideText.h"

#include <stdlib.h>
#include <string.h>

WideText::WideText(const char* cp932) {
    int count = MultiByteToWideChar(CP_ACP, 0, cp932, -1, nullptr, 0);
    if (count <= 0)
        return;
    m_text = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)count);
    if (!m_text)
        abort(); // out of memory: nothing sensible is left to do
    MultiByteToWideChar(CP_ACP, 0, cp932, -1, m_text, count);
    m_length = count - 1;
}

WideText& WideText::operator=(const WideText& other) {
    if (this == &other)
        return *this;
    free(m_text);
    m_text = nullptr;
    m_length = 0;
    return *this += other;
}

WideText::~WideText() {
    free(m_text);
}

WideText& WideText::operator+=(const wchar_t* text) {
    int length = text ? (int)wcslen(text) : 0;
    wchar_t* joined = (wchar_t*)realloc(m_text, sizeof(wchar_t) * (size_t)(m_length + length + 1));
    if (!joined)
        abort();
    memcpy(joined + m_length, text ? text : L"", sizeof(wchar_t) * (size_t)length);
    m_text = joined;
    m_length += length;
    m_text[m_length] = L'\0';
    return *this;
}

bool SpellInCp932(const wchar_t* text, CString& cp932) {
    BOOL lost = FALSE;
    int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lost);
    if (length <= 0 || lost)
        return false;
    CString spelled;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, spelled.GetBuffer(length), length,
                        nullptr, &lost);
    spelled.ReleaseBuffer(length - 1);
    // Some code pages map a character to a look-alike without telling:
    // only text that comes back unchanged is spelled.
    if (lost || wcscmp(WideText(spelled), text) != 0)
        return false;
    cp932 = spelled;
    return true;
}

CString Utf8Of(const wchar_t* text, int length) {
    CString utf8;
    if (length < 0)
        length = (int)wcslen(text);
    int size =
        length ? WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr) : 0;
    if (size <= 0)
        return utf8;
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.GetBuffer(size), size, nullptr, nullptr);
    utf8.ReleaseBuffer(size);
    return utf8;
}

WideText WideOfUtf8(const char* utf8) {
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (count <= 1)
        return WideText();
    wchar_t* wide = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)count);
    if (!wide)
        abort();
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, count);
    WideText text(wide);
    free(wide);
    return text;
}

bool IsUtf8NotCp932(const char* bytes, int length) {
    return length > 0 &&
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0) > 0 &&
           MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0) == 0;
}
