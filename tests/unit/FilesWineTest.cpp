// The Win32 face of the file replacement that the console's saves use: the
// new content takes the old file's place in one step, or the old file stays.
#include "platform/Files.h"

#include "tests/unit/FileText.h"
#include "tests/unit/SupportWinTempFolder.h"

#include <gtest/gtest.h>

TEST(FilesWineTest, ReplaceFileContentReplacesOrCreatesAndLeavesNothingBeside) {
    WinTempFolder folder;
    const std::string path = folder.Path() + "\\step_ma.dat";
    ASSERT_TRUE(platform::ReplaceFileContent(path, "10\t64\t10\r\n"));
    EXPECT_EQ(ReadFile(path), "10\t64\t10\r\n");
    ASSERT_TRUE(platform::ReplaceFileContent(path, "10\t64\t11\r\n"));
    EXPECT_EQ(ReadFile(path), "10\t64\t11\r\n");
    EXPECT_TRUE(platform::FileExists(path));
    EXPECT_FALSE(platform::FileExists(path + ".new"));
}

TEST(FilesWineTest, AFailedReplaceKeepsTheOldFile) {
    WinTempFolder folder;
    const std::string path = folder.Path() + "\\ref_data.dat";
    WriteFile(path, "[kV Ref Shift]\r\nC-1_0 Step=0\r\n");
    // A folder where the new file would be written.
    ASSERT_NE(CreateDirectoryA((path + ".new").c_str(), nullptr), FALSE);
    EXPECT_FALSE(platform::ReplaceFileContent(path, "lost"));
    EXPECT_EQ(ReadFile(path), "[kV Ref Shift]\r\nC-1_0 Step=0\r\n");
    // A folder in the old file's place cannot be replaced either.
    const std::string folderPath = folder.Path() + "\\data";
    ASSERT_NE(CreateDirectoryA(folderPath.c_str(), nullptr), FALSE);
    EXPECT_FALSE(platform::ReplaceFileContent(folderPath, "x"));
    EXPECT_FALSE(platform::FileExists(folderPath + ".new"));
    EXPECT_FALSE(platform::FileExists(folder.Path() + "\\missing"));
}
