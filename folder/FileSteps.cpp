#include "FileSteps.h"

#include "../framework/Scoped.h"
#include "../base/WholeFile.h"

bool IsSameFile(const char* first, const char* second) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    ScopedFile a(CreateFileW(ExtendedPathOf(first), 0, share, nullptr, OPEN_EXISTING, 0, nullptr));
    ScopedFile b(CreateFileW(ExtendedPathOf(second), 0, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!a.IsValid() || !b.IsValid())
        return false;
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (!GetFileInformationByHandle(a, &infoA) || !GetFileInformationByHandle(b, &infoB))
        return false;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

namespace {
// One read of the attributes: the bit is added to what is there, and a
// folder step refuses a path that names a file.
bool AddBit(const char* path, DWORD bit, bool folderOnly) {
    const WideText wide = ExtendedPathOf(path);
    DWORD attributes = GetFileAttributesW(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (folderOnly && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return SetFileAttributesW(wide, attributes | bit) != FALSE;
}
} // namespace

bool AddAttribute(const char* path, DWORD bit) {
    return AddBit(path, bit, false);
}

bool AddFolderAttribute(const char* path, DWORD bit) {
    return AddBit(path, bit, true);
}

StagedIconCopy::~StagedIconCopy() {
    if (m_temp != INVALID_HANDLE_VALUE)
        DiscardTemp(m_temp);
}

bool StagedIconCopy::Stage(const char* iconPath, const char* destination) {
    ScopedFile source(CreateFileW(ExtendedPathOf(iconPath), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.IsValid())
        return false;
    m_destination = ExtendedPathOf(destination);
    m_temp = CreateTempBeside(m_destination, m_tempPath);
    if (m_temp == INVALID_HANDLE_VALUE)
        return false;
    if (CopyFileBytes(source, m_temp))
        return true;
    DiscardTemp(m_temp);
    m_temp = INVALID_HANDLE_VALUE;
    return false;
}

bool StagedIconCopy::Commit(WideText& stranded) {
    HANDLE temp = m_temp;
    m_temp = INVALID_HANDLE_VALUE; // closed by SwapIn, and removed when it fails
    if (!SwapIn(temp, m_tempPath, m_destination, &stranded))
        return false;
    DWORD attributes = GetFileAttributesW(m_destination);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(m_destination, attributes & ~FILE_ATTRIBUTE_READONLY);
    return true;
}
