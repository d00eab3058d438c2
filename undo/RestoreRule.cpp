#include "RestoreRule.h"

#include "../base/IniFile.h"

#include <wchar.h>

namespace {
const char kSection[] = ".ShellClassInfo";
const char* const kOurKeys[] = {"ConfirmFileOp", "IconFile", "IconIndex", "InfoTip",
                                "IconResource"};

void Load(const IniBytesState& state, IniDocument& ini) {
    ini.LoadBytes(state.present ? state.bytes : CString());
}

bool SameKey(const IniDocument& first, const IniDocument& second, const char* key) {
    WideText firstValue, secondValue;
    const bool inFirst = first.Find(kSection, key, firstValue);
    const bool inSecond = second.Find(kSection, key, secondValue);
    return inFirst == inSecond && wcscmp(firstValue, secondValue) == 0;
}

// The edited text, or no file where nothing but empty sections is left.
void Finish(const IniBytesState& now, const IniDocument& ini, bool changed, IniBytesState& result) {
    result.present = !ini.OnlyEmptySections();
    result.bytes = !result.present ? CString() : changed ? ini.Bytes() : now.bytes;
}
} // namespace

IniPlan PlanRestore(const IniBytesState& now, const IniBytesState& written,
                    const IniBytesState& earlier, IniBytesState& result) {
    if (now.present == written.present && now.bytes == written.bytes) {
        result = earlier;
        return IniPlan::kExact;
    }
    IniDocument current, ours, before;
    Load(now, current);
    Load(written, ours);
    Load(earlier, before);
    // A file only the profile service can edit cannot be compared key by key.
    if (current.Encoding() == IniEncoding::Other || ours.Encoding() == IniEncoding::Other ||
        before.Encoding() == IniEncoding::Other)
        return IniPlan::kChanged;
    bool changed = false;
    for (const char* key : kOurKeys) {
        if (SameKey(ours, before, key))
            continue;
        if (!SameKey(current, ours, key))
            return IniPlan::kChanged;
        WideText value;
        changed = true;
        if (before.Find(kSection, key, value))
            current.SetWide(kSection, key, value);
        else
            current.Remove(kSection, key);
    }
    Finish(now, current, changed, result);
    return IniPlan::kKeys;
}

bool PlanUnmark(const IniBytesState& now, IniBytesState& result) {
    IniDocument current;
    Load(now, current);
    bool changed = false;
    for (const char* key : kOurKeys) {
        WideText value;
        if (lstrcmpA(key, "IconResource") == 0 || !current.Find(kSection, key, value))
            continue;
        changed = true;
        current.Remove(kSection, key);
    }
    Finish(now, current, changed, result);
    return changed;
}
