// Native fuzzing of the byte-string rules: each input is checked against the
// properties the program relies on.
#include "app/TextRules.h"
#include "folder/FolderText.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {
void Check(bool condition) {
    if (!condition)
        abort();
}

// Offsets where a character starts, scanning as CP932 does.
bool StartsCharacter(const char* text, int offset) {
    for (int i = 0; text[i]; ++i) {
        if (i == offset)
            return true;
        if (IsCp932LeadByte((unsigned char)text[i]) && text[i + 1])
            ++i;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    int maxBytes = data[0];
    CString text((const char*)data + 1, (int)size - 1);
    const char* bytes = text.GetString();
    int length = (int)strlen(bytes); // up to the first NUL, as the APIs see it

    int last = FindLastBackslash(bytes);
    Check(last >= -1 && last < length);
    if (last >= 0) {
        Check(bytes[last] == '\\' && StartsCharacter(bytes, last));
        for (int i = last + 1; i < length; ++i)
            Check(bytes[i] != '\\' || !StartsCharacter(bytes, i));
    }

    long long reference = strtoll(bytes, nullptr, 10);
    int value = LeadingInt(bytes);
    // strtoll skips more kinds of white space than blanks and tabs.
    size_t blanks = strspn(bytes, " \t");
    if (!strchr("\n\r\v\f", bytes[blanks]) || bytes[blanks] == '\0') {
        long long clamped = reference > INT_MAX   ? INT_MAX
                            : reference < INT_MIN ? INT_MIN
                                                  : reference;
        Check(value == clamped);
    }

    CString cut = CutAtCharBoundary(text, maxBytes);
    Check(cut.GetLength() <= maxBytes || cut.GetLength() == text.GetLength());
    Check(memcmp(cut.GetString(), text.GetString(), (size_t)cut.GetLength()) == 0);
    if (text.GetLength() > maxBytes)
        Check(cut.GetLength() >= maxBytes - 1);

    CString folder = CleanFolderArgument(bytes);
    Check(folder.GetLength() >= length - 1 && folder.GetLength() <= length + 1);
    int kept = folder.GetLength() < length ? folder.GetLength() : length - 1;
    Check(memcmp(folder.GetString(), bytes, (size_t)(kept > 0 ? kept : 0)) == 0);
    CString copyName = IconCopyName(bytes);
    if (length > 0) {
        // The copy always lands inside the folder: one leading separator, then
        // a name without any separator of its own.
        Check(copyName[0] == '\\' && FindLastBackslash(copyName) == 0);
        CString reference = IconCopyReference(copyName);
        Check(reference.GetLength() == copyName.GetLength() - 1);
        Check(FindLastBackslash(reference) == -1);
    }

    CString line = OneLineValue(text);
    Check(line.GetLength() <= text.GetLength());
    for (int i = 0; i < line.GetLength(); ++i)
        Check(line[i] != '\r' && line[i] != '\n');
    return 0;
}
