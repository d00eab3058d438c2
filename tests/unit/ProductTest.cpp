// What ships beside the program: the default icon set, the version
// resource and the manifest.
#include "support/Driver.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <set>

namespace {
struct IconEntry {
    int size;
    int bitCount;
    bool png;
};

std::vector<IconEntry> IconEntries(const std::string& bytes) {
    std::vector<IconEntry> entries;
    if (bytes.size() < 6 || bytes[2] != 1)
        return entries;
    int count = (unsigned char)bytes[4] | (unsigned char)bytes[5] << 8;
    for (int i = 0; i < count && 6 + 16 * (i + 1) <= (int)bytes.size(); ++i) {
        const unsigned char* entry = (const unsigned char*)bytes.data() + 6 + 16 * i;
        DWORD length, offset;
        memcpy(&length, entry + 8, 4);
        memcpy(&offset, entry + 12, 4);
        if (offset + length > bytes.size())
            return {};
        const char* image = bytes.data() + offset;
        bool png = length >= 8 && memcmp(image, "\x89PNG", 4) == 0;
        int bitCount = png ? 32 : (unsigned char)image[14] | (unsigned char)image[15] << 8;
        entries.push_back({entry[0] ? entry[0] : 256, bitCount, png});
    }
    return entries;
}

void ExpectIconSet(const char* prefix, const std::set<int>& bmpSizes, bool png256) {
    for (int slot = 0; slot < 8; ++slot) {
        CString path = BesideTests("icons\\") + prefix + CString::FromInt(slot) + ".ico";
        SCOPED_TRACE(path.GetString());
        std::set<int> sizes;
        bool sawPng = false;
        for (const IconEntry& entry : IconEntries(ReadBytes(path))) {
            EXPECT_EQ(32, entry.bitCount);
            if (entry.png) {
                sawPng = true;
                EXPECT_EQ(256, entry.size);
            } else {
                sizes.insert(entry.size);
            }
        }
        EXPECT_EQ(bmpSizes, sizes);
        EXPECT_EQ(png256, sawPng);

        HICON small = nullptr;
        ASSERT_EQ(1u, ExtractIconExA(path, 0, nullptr, &small, 1));
        ASSERT_TRUE(small);
        DestroyIcon(small);
    }
}
} // namespace

TEST(DefaultIcons, CurrentSetHasEverySizeAndA256PngLayer) {
    ExpectIconSet("fld0", {16, 20, 24, 32, 40, 48, 64}, true);
}

TEST(DefaultIcons, XpSetHasSmallSizesOnlyAndNoPng) {
    ExpectIconSet("FldXP0", {16, 32, 48}, false);
}

TEST(ProductResources, VersionAndManifestAreCompiledIn) {
    CString exe = BesideTests("Vorelkin.exe");
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(exe, &handle);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(exe, 0, size, &data[0]));
    char* name = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\041103a4\\ProductName",
                               (void**)&name, &length));
    EXPECT_STREQ("Vorelkin", name);

    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
    HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(manifest);
    std::string text((const char*)LockResource(LoadResource(module, manifest)),
                     SizeofResource(module, manifest));
    EXPECT_NE(std::string::npos, text.find("Microsoft.Windows.Common-Controls"));
    EXPECT_NE(std::string::npos, text.find("asInvoker"));
    EXPECT_NE(std::string::npos, text.find("dpiAware"));
    FreeLibrary(module);

    HICON app = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    EXPECT_TRUE(app);
}
