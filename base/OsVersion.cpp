#include "OsVersion.h"

int ClassifyOSVersion(DWORD platformId, DWORD major, DWORD minor) {
    switch (platformId) {
    case 0:
        return 31;
    case 1:
        if (major == 4) {
            if (minor == 0)
                return 95;
            return minor <= 10 ? 98 : 99;
        }
        return major > 4 ? 99 : 0;
    case 2:
        if (major == 3)
            return 3;
        if (major == 4)
            return 4;
        if (major == 5)
            return minor == 0 ? 2000 : 51;
        return 0;
    default:
        return 0;
    }
}

int GetOSVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info); // 148
    // A failed query leaves the record undefined: call that unrecognised.
    if (!GetVersionExA(&info))
        return 0;
    return ClassifyOSVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
