// Native fuzzing of the in-place INI editor: a key set is found again, a
// second setting changes nothing, and no other key's value moves.
#include "app/IniText.h"

#include <stdint.h>
#include <stdlib.h>

namespace {
void Check(bool condition) {
    if (!condition)
        abort();
}

const char* const kSections[] = {"IconPath", ".ShellClassInfo", "表"};
const char* const kKeys[] = {"PATH_1", "InfoTip", "ICON_INDEX_1"};
// Values as the program writes them: no line ends, no blanks or quotes at
// the ends, double-byte text with a 0x5C trail byte among them.
const char* const kValues[] = {"", "C:\\icons\\fld01.ico", "表示ソフト", "a b=c[d]"};

struct Found {
    bool found;
    CString value;
};

Found Lookup(const CString& text, IniBytes kind, const char* section, const char* key) {
    Found result;
    result.found = FindIniValue(text, kind, section, key, result.value);
    return result;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    IniBytes kind = data[0] & 1 ? IniBytes::Utf8 : IniBytes::Cp932;
    const char* section = kSections[(data[0] >> 1) % 3];
    const char* key = kKeys[(data[0] >> 3) % 3];
    const char* otherKey = kKeys[((data[0] >> 3) + 1) % 3];
    const char* value = kValues[data[1] % 4];
    const char* second = kValues[(data[1] >> 2) % 4];
    CString text((const char*)data + 2, (int)size - 2);

    CString once = SetIniValue(text, kind, section, key, value);
    Found found = Lookup(once, kind, section, key);
    Check(found.found && found.value == value);
    Check(SetIniValue(once, kind, section, key, value) == once);
    Check(SetIniValue(once, kind, section, key, second) ==
          SetIniValue(text, kind, section, key, second));

    for (const char* other : kSections) {
        Found before = Lookup(text, kind, other, otherKey);
        Found after = Lookup(once, kind, other, otherKey);
        Check(before.found == after.found && before.value == after.value);
    }
    return 0;
}
