#include "TextRules.h"

#include "../framework/Scoped.h"

#include <limits.h>

int FindLastBackslash(const char* text) {
    int last = -1;
    for (int i = 0; text[i];) {
        unsigned char byte = (unsigned char)text[i];
        if (IsCp932LeadByte(byte) && text[i + 1]) {
            i += 2;
            continue;
        }
        if (byte == '\\')
            last = i;
        ++i;
    }
    return last;
}

int LeadingInt(const char* text) {
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > (long long)INT_MAX + 1)
            value = (long long)INT_MAX + 1;
    }
    if (negative)
        return (int)-value;
    return value > INT_MAX ? INT_MAX : (int)value;
}

CString CutAtCharBoundary(const CString& text, int maxBytes) {
    if (text.GetLength() <= maxBytes)
        return text;
    int end = 0;
    for (int i = 0; i < maxBytes;) {
        int width = IsCp932LeadByte((unsigned char)text[i]) && i + 1 < text.GetLength() ? 2 : 1;
        if (i + width > maxBytes)
            break;
        i += width;
        end = i;
    }
    return text.Left(end);
}

CString SystemErrorText(DWORD error) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&text), 0, nullptr);
    ScopedLocalMemory owner(text);
    if (length == 0) {
        char number[16];
        wsprintfA(number, "%lu", error);
        return number;
    }
    return CString(text, (int)length);
}
