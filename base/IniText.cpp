#include "IniText.h"

#include "TextRules.h"

#include <string.h>

namespace {
// One line: [start, end) is its text, next the start of the line after it.
struct Line {
    int start, end, next;
};

Line LineAt(const CString& text, int start) {
    const int length = text.GetLength();
    int end = start;
    while (end < length && text[end] != '\r' && text[end] != '\n')
        ++end;
    int next = end;
    if (next < length && text[next] == '\r')
        ++next;
    if (next < length && text[next] == '\n')
        ++next;
    return {start, end, next};
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void Trim(const CString& text, int& start, int& end) {
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

bool SameName(const CString& text, int start, int end, const char* name) {
    int length = (int)strlen(name);
    if (end - start != length)
        return false;
    for (int i = 0; i < length; ++i) {
        if (Upper(text[start + i]) != Upper(name[i]))
            return false;
    }
    return true;
}

// A section header "[name]": true with the trimmed name's bounds.
bool HeaderName(const CString& text, const Line& line, IniBytes kind, int& start, int& end) {
    int first = line.start, last = line.end;
    Trim(text, first, last);
    if (first >= last || text[first] != '[')
        return false;
    int close = -1;
    for (int i = first + 1; i < last; ++i) {
        if (kind == IniBytes::Cp932 && IsCp932LeadByte((unsigned char)text[i]) && i + 1 < last) {
            ++i;
            continue;
        }
        if (text[i] == ']')
            close = i;
    }
    if (close < 0)
        return false;
    start = first + 1;
    end = close;
    Trim(text, start, end);
    return true;
}

// A key line: true with the position of its "=". "=" (0x3D) is never the
// second byte of a double-byte character.
bool KeyNamed(const CString& text, const Line& line, const char* key, int& equals) {
    for (int i = line.start; i < line.end; ++i) {
        if (text[i] != '=')
            continue;
        int first = line.start, last = i;
        Trim(text, first, last);
        equals = i;
        return SameName(text, first, last, key);
    }
    return false;
}

bool IsBlankLine(const CString& text, const Line& line) {
    int first = line.start, last = line.end;
    Trim(text, first, last);
    return first == last;
}

// Where the section's lines are, or -1 as start when it is not there.
struct SectionSpan {
    int start = -1;   // first line after the header
    int end = -1;     // start of the next header, or the text's end
    int lastEnd = -1; // just after the last non-blank line (or the header)
};

SectionSpan FindSection(const CString& text, IniBytes kind, const char* section) {
    SectionSpan span;
    const int length = text.GetLength();
    for (int at = 0; at < length;) {
        Line line = LineAt(text, at);
        int nameStart, nameEnd;
        if (HeaderName(text, line, kind, nameStart, nameEnd)) {
            if (span.start >= 0) {
                span.end = line.start;
                return span;
            }
            if (SameName(text, nameStart, nameEnd, section))
                span.start = span.lastEnd = line.next;
        } else if (span.start >= 0 && !IsBlankLine(text, line)) {
            span.lastEnd = line.next;
        }
        at = line.next;
    }
    span.end = length;
    return span;
}

// The line end the text already uses; CR LF for a text without one.
const char* LineBreakOf(const CString& text) {
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text[i] == '\n')
            return "\n";
        if (text[i] == '\r')
            return "\r\n";
    }
    return "\r\n";
}

bool EndsLine(const CString& text, int at) {
    return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
}
} // namespace

bool FindIniValue(const CString& text, IniBytes kind, const char* section, const char* key,
                  CString& value) {
    SectionSpan span = FindSection(text, kind, section);
    if (span.start < 0)
        return false;
    for (int at = span.start; at < span.end;) {
        Line line = LineAt(text, at);
        int equals;
        if (KeyNamed(text, line, key, equals)) {
            int first = equals + 1, last = line.end;
            Trim(text, first, last);
            if (last - first >= 2 && text[first] == '"' && text[last - 1] == '"') {
                ++first;
                --last;
            }
            value = CString(text.GetString() + first, last - first);
            return true;
        }
        at = line.next;
    }
    return false;
}

CString SetIniValue(const CString& text, IniBytes kind, const char* section, const char* key,
                    const char* value) {
    const char* lineBreak = LineBreakOf(text);
    SectionSpan span = FindSection(text, kind, section);
    if (span.start >= 0) {
        for (int at = span.start; at < span.end;) {
            Line line = LineAt(text, at);
            int equals;
            if (KeyNamed(text, line, key, equals))
                return text.Left(equals + 1) + value + text.Mid(line.end);
            at = line.next;
        }
        CString added = EndsLine(text, span.lastEnd) ? CString() : CString(lineBreak);
        added += CString(key) + "=" + value + lineBreak;
        return text.Left(span.lastEnd) + added + text.Mid(span.lastEnd);
    }
    CString result = text;
    if (!EndsLine(text, text.GetLength()))
        result += lineBreak;
    return result + "[" + section + "]" + lineBreak + key + "=" + value + lineBreak;
}

CString RemoveIniKey(const CString& text, IniBytes kind, const char* section, const char* key) {
    SectionSpan span = FindSection(text, kind, section);
    if (span.start < 0)
        return text;
    CString result = text.Left(span.start);
    for (int at = span.start; at < span.end;) {
        Line line = LineAt(text, at);
        int equals;
        if (!KeyNamed(text, line, key, equals))
            result += CString(text.GetString() + line.start, line.next - line.start);
        at = line.next;
    }
    return result + text.Mid(span.end);
}
