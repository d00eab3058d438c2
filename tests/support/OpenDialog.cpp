#include "OpenDialog.h"

namespace {
// Explorer-style dialogs name the field as a combo box (cmb13), older ones as
// an edit (edt1).
const int kFileNameCombo = 0x47C;
const int kFileNameEdit = 0x480;

HWND FileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, kFileNameCombo);
    if (!field)
        return GetDlgItem(dialog, kFileNameEdit);
    // Wine's combo is a ComboBoxEx32 holding a combo box holding the edit.
    for (HWND inner = field; inner; inner = GetWindow(inner, GW_CHILD)) {
        if (ClassOf(inner) == "Edit")
            return inner;
    }
    return field;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}
} // namespace

HWND WaitForOpenDialog(DWORD pid, DWORD timeoutMs) {
    return WaitForDialog(
        pid, [](HWND w) { return FileNameField(w) != nullptr; }, timeoutMs);
}

void ChooseFileName(HWND openDialog, const char* name) {
    SendMessageA(FileNameField(openDialog), WM_SETTEXT, 0, (LPARAM)name);
    PressButton(openDialog, IDOK);
}

void CancelDialog(HWND dialog) {
    PressButton(dialog, IDCANCEL);
}
