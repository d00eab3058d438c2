#include "MessageBox.h"

#include "App.h"
#include "Dialog.h"

int AfxMessageBox(const char* text, UINT type, UINT) {
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    return MessageBoxA(AfxGetSafeOwner(nullptr), text, AfxGetAppName(), type);
}

CString AfxFormatString1(UINT stringId, const char* argument) {
    char format[256];
    int length = LoadStringA(AfxGetResourceHandle(), stringId, format, sizeof(format));
    CString result;
    for (int i = 0; i < length; ++i) {
        if (format[i] == '%' && i + 1 < length && format[i + 1] == '1') {
            result += argument;
            ++i;
            continue;
        }
        result += format[i];
    }
    return result;
}
