// A long-lived window writes back only the settings keys it changed.
#include "base/SettingsFile.h"
#include "base/SettingsChanges.h"
#include "support/Files.h"

#include <gtest/gtest.h>

namespace {
// The sheet changes slot 1's icon while the file's options are edited by hand: OK
// writes that one key and keeps the hand edit (a full write-back would undo
// it); a file that could not be read takes nothing; Cancel puts the model
// back.
TEST(SettingsChanges, OnlyTheChangedKeyIsWrittenAndNothingToAnUnreadableFile) {
    TempDir dir;
    LoadSettings(dir / "Vorelkin.exe", 0);
    const std::string loaded = ReadBytes(g_strIniPath);
    const CString path1 = g_arrIconPath[1];
    for (bool writable : {true, false}) {
        SCOPED_TRACE(writable);
        SettingsSnapshot before;
        g_arrIconPath[1] = "C:\\他\\新しい.ico";
        std::string edited = loaded;
        edited.replace(edited.find("TOUMEIDO=50"), 11, "TOUMEIDO=80");
        edited.replace(edited.find("ICON_COPY=0"), 11, "ICON_COPY=1");
        ASSERT_TRUE(WriteBytes(g_strIniPath, edited));
        g_bSettingsWritable = writable;
        before.WriteChanges();
        g_bSettingsWritable = true;
        std::string expected = edited;
        if (writable)
            expected.replace(expected.find(path1), (size_t)path1.GetLength(), "C:\\他\\新しい.ico");
        EXPECT_EQ(expected, ReadBytes(g_strIniPath));
        before.Restore();
        EXPECT_EQ(path1, g_arrIconPath[1]);
        ASSERT_TRUE(WriteBytes(g_strIniPath, loaded));
    }
}
} // namespace
