// CLogFile and MakePath on the Win32 face: the system's clock, folders and
// file appends.
#include "support/LogFile.h"

#include "tests/unit/SupportWinTempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string TodaysDailyName() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    char name[32];
    std::snprintf(name, sizeof name, "%04u%02u%02u_Kel.log", st.wYear, st.wMonth, st.wDay);
    return name;
}

TEST(LogFileWineTest, MakePathCreatesNestedFolders) {
    WinTempFolder folder;
    MakePath(folder.Path() + "\\a\\b\\c");
    EXPECT_TRUE(IsFolder(folder.Path() + "\\a\\b\\c"));
    MakePath(folder.Path() + "\\a\\b\\c\\d\\");
    EXPECT_TRUE(IsFolder(folder.Path() + "\\a\\b\\c\\d"));
}

TEST(LogFileWineTest, AppendsTimeStampedCrLfLinesToTodaysFile) {
    WinTempFolder folder;
    const std::string dir = folder.Path() + "\\log";
    MakePath(dir);
    std::ofstream(dir + "\\" + TodaysDailyName(), std::ios::binary) << "earlier\r\n";
    CLogFile log;
    log.SetDirectory(dir);
    log.SetDelimiter("");
    log.LogInfo("R : %s", "ST0");
    CLogFile second;
    second.SetDirectory(dir);
    second.SetDelimiter("");
    second.LogError("%s", "50% done");
    const std::regex expected("earlier\r\n"
                              "\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[I\\] R : ST0\r\n"
                              "\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[E\\] 50% done\r\n");
    EXPECT_TRUE(std::regex_match(ReadFile(log.BuildFileName()), expected))
        << ReadFile(log.BuildFileName());
    EXPECT_EQ(log.BuildFileName(), dir + "\\" + TodaysDailyName());
}

TEST(LogFileWineTest, MissingFolderLosesOnlyThatEntry) {
    WinTempFolder folder;
    CLogFile log;
    log.SetDirectory(folder.Path() + "\\missing");
    log.SetTimeStamp(0);
    EXPECT_EQ(log.WriteEntry("lost", 3), 0);
    MakePath(folder.Path() + "\\missing");
    EXPECT_EQ(log.WriteEntry("kept", 3), 1);
    EXPECT_EQ(ReadFile(log.BuildFileName()), "[I] kept\r\n");
}

} // namespace
