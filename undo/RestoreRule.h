// What desktop.ini becomes when a change is taken back, from its bytes now,
// the bytes our change (or our last restore) wrote, and the bytes it is
// taken back to. A missing file is absent with no bytes.
#pragma once

#include "../framework/String.h"

struct IniBytesState {
    bool present = false;
    CString bytes;
};

enum class IniPlan {
    kExact,   // untouched since: the earlier bytes, byte for byte
    kKeys,    // changed since: only our keys go back, every other line stays
    kChanged, // one of our keys changed since: left alone
};

// Our keys are ConfirmFileOp, IconFile, IconIndex, InfoTip and
// IconResource in [.ShellClassInfo]; only those the change altered go back.
// A file left with nothing but empty sections is absent in the result.
IniPlan PlanRestore(const IniBytesState& now, const IniBytesState& written,
                    const IniBytesState& earlier, IniBytesState& result);

// A mark without a record taken off: IconFile, IconIndex, InfoTip and
// ConfirmFileOp go; false when there was none of them.
bool PlanUnmark(const IniBytesState& now, IniBytesState& result);
