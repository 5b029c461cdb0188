// CLogFile and MakePath on the native face: real files in a temporary
// folder, the date and time from sim::World's clock.
#include "support/LogFile.h"

#include "platform/sim/SimWorld.h"
#include "tests/unit/SupportTempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace {

platform::LocalTime At(int year, int month, int day, int hour = 14, int minute = 3, int second = 27,
                       int ms = 45) {
    platform::LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = ms;
    return t;
}

// Files of this process cannot grow beyond `bytes` while it lives: a write
// across the limit is cut short, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_signal)(int) = nullptr;
};

std::string ReadFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

class LogFileTest : public testing::Test {
protected:
    void SetUp() override {
        sim::World::Get().Reset(At(2026, 12, 7));
        m_log.SetDirectory(m_folder.Windows());
        m_log.SetDelimiter("");
    }
    // The content of a file of the log folder.
    std::string Content(const std::string& name) const {
        return ReadFile(m_folder.Native() + "/" + name);
    }

    TempFolder m_folder;
    CLogFile m_log;
};

struct NamingCase {
    const char* name;
    int mode;
    int day;
    std::string delimiter;
    std::string baseName;
    std::string expected;
};

class LogNamingTest : public testing::TestWithParam<NamingCase> {};

TEST_P(LogNamingTest, BuildsTheFileName) {
    const NamingCase& c = GetParam();
    sim::World::Get().Reset(At(2026, 12, c.day));
    CLogFile log;
    log.SetDirectory("D:\\Relvan\\log");
    log.SetNaming(c.mode);
    log.SetDelimiter(c.delimiter);
    log.SetBaseName(c.baseName);
    EXPECT_EQ(log.BuildFileName(), "D:\\Relvan\\log\\" + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Log, LogNamingTest,
    testing::Values(NamingCase{"Daily", 1, 7, "", "", "20261207_Kel.log"},
                    NamingCase{"DailyDefaultDelimiter", 1, 7, "_", "", "2026_12_07__Kel.log"},
                    NamingCase{"DailyBaseName", 1, 7, "-", "Gen", "2026-12-07-Gen_Kel.log"},
                    NamingCase{"Single", 0, 7, "", "Gen", "Gen_Kel.log"},
                    NamingCase{"UnlistedIsSingle", 3, 7, "", "", "_Kel.log"},
                    NamingCase{"Week1On6th", 7, 6, "", "", "20261201Week_Kel.log"},
                    NamingCase{"Week2On7th", 7, 7, "", "", "20261202Week_Kel.log"},
                    NamingCase{"Week2On13th", 7, 13, "", "", "20261202Week_Kel.log"},
                    NamingCase{"Week3On14th", 7, 14, "", "", "20261203Week_Kel.log"},
                    NamingCase{"Week4On27th", 7, 27, "", "", "20261204Week_Kel.log"},
                    NamingCase{"Week5On28th", 7, 28, "", "", "20261205Week_Kel.log"},
                    NamingCase{"Week5On31st", 7, 31, "_", "N", "N2026_12_05Week_Kel.log"},
                    NamingCase{"BeforeOn15th", 15, 15, "", "", "202612Before_Kel.log"},
                    NamingCase{"AfterOn16th", 15, 16, "", "", "202612After_Kel.log"},
                    NamingCase{"Monthly", 31, 7, "_", "", "2026_12Month_Kel.log"}),
    [](const testing::TestParamInfo<NamingCase>& tested) {
        return std::string(tested.param.name);
    });

TEST(LogFileNameTest, EmptyDirectoryMeansDriveRoot) {
    sim::World::Get().Reset(At(2026, 12, 7));
    CLogFile log;
    log.SetDirectory("");
    log.SetDelimiter("");
    EXPECT_EQ(log.BuildFileName(), "C:\\20261207_Kel.log");
}

TEST(LogFileNameTest, EmptyExtensionMeansLog) {
    sim::World::Get().Reset(At(2026, 12, 7));
    CLogFile log;
    log.SetDirectory("log\\");
    log.SetDelimiter("");
    log.SetExtension("");
    EXPECT_EQ(log.BuildFileName(), "log\\20261207_Kel.log");
}

TEST_F(LogFileTest, LinesCarryTimeTagAndCrLf) {
    m_log.LogInfo("R : %s", "ST0");
    m_log.LogError("Error : %2d", 7);
    m_log.SetTimeStamp(0);
    m_log.LogWarning("w");
    EXPECT_EQ(Content("20261207_Kel.log"), "14:03:27.045 [I] R : ST0\r\n"
                                           "14:03:27.045 [E] Error :  7\r\n"
                                           "[W] w\r\n");
}

TEST_F(LogFileTest, UnknownLevelWritesAnEmptyLine) {
    EXPECT_EQ(m_log.WriteEntry("lost", 9), 1);
    EXPECT_EQ(Content("20261207_Kel.log"), "14:03:27.045 \r\n");
}

TEST_F(LogFileTest, ThresholdFiltersLevels) {
    struct {
        int threshold;
        const char* expected;
    } cases[] = {
        {4, "[E] 1\r\n[W] 2\r\n[I] 3\r\n[D] 4\r\n"},
        {3, "[E] 1\r\n[W] 2\r\n[I] 3\r\n"},
        {1, "[E] 1\r\n"},
        {0, ""},
        {-1, ""},
    };
    m_log.SetTimeStamp(0);
    for (const auto& c : cases) {
        m_log.SetBaseName("t" + std::to_string(c.threshold + 1));
        m_log.SetLevelThreshold(c.threshold);
        m_log.LogError("1");
        m_log.LogWarning("2");
        m_log.LogInfo("3");
        m_log.LogDebug("4");
        EXPECT_EQ(Content("20261207t" + std::to_string(c.threshold + 1) + "_Kel.log"), c.expected)
            << "threshold " << c.threshold;
    }
}

TEST_F(LogFileTest, PercentInTextIsWrittenUnchanged) {
    m_log.SetTimeStamp(0);
    m_log.LogInfo("%s", "100% %d %s done");
    EXPECT_EQ(Content("20261207_Kel.log"), "[I] 100% %d %s done\r\n");
}

TEST_F(LogFileTest, LongTextIsCutAt1024Characters) {
    m_log.SetTimeStamp(0);
    m_log.LogDebug("%s", std::string(3000, 'x').c_str());
    EXPECT_EQ(Content("20261207_Kel.log"), "[D] " + std::string(1024, 'x') + "\r\n");
}

TEST_F(LogFileTest, AppendsAcrossRuns) {
    std::ofstream(m_folder.Native() + "/20261207_Kel.log", std::ios::binary) << "earlier\r\n";
    m_log.SetTimeStamp(0);
    m_log.LogInfo("first run");
    CLogFile second;
    second.SetDirectory(m_folder.Windows());
    second.SetDelimiter("");
    second.SetTimeStamp(0);
    second.LogInfo("second run");
    EXPECT_EQ(Content("20261207_Kel.log"), "earlier\r\n[I] first run\r\n[I] second run\r\n");
}

TEST_F(LogFileTest, FirstEntryAfterMidnightGoesToTheNewDay) {
    sim::World::Get().Reset(At(2026, 12, 31, 23, 59, 59, 500));
    m_log.LogInfo("old");
    sim::World::Get().Advance(600);
    m_log.LogInfo("new");
    EXPECT_EQ(Content("20261231_Kel.log"), "23:59:59.500 [I] old\r\n");
    EXPECT_EQ(Content("20270101_Kel.log"), "00:00:00.100 [I] new\r\n");

    // Midnight passes between the choice of the file and the time stamp: the
    // entry stays in the file of the day it was given.
    sim::World::Get().Reset(At(2027, 1, 5, 23, 59, 59, 999));
    sim::World::Get().msPerClockRead = 1;
    m_log.LogInfo("at midnight");
    EXPECT_EQ(Content("20270105_Kel.log"), "00:00:00.000 [I] at midnight\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_folder.Native() + "/20270106_Kel.log"));
}

TEST_F(LogFileTest, AWriteCutShortByAFullDiskLeavesNoFragment) {
    m_log.SetTimeStamp(0);
    m_log.LogInfo("first");
    {
        // The disk fills up 5 bytes into the next entry.
        FileSizeLimit full(Content("20261207_Kel.log").size() + 5);
        EXPECT_EQ(m_log.WriteEntry("cut short", 3), 0);
    }
    m_log.LogInfo("next");
    EXPECT_EQ(Content("20261207_Kel.log"), "[I] first\r\n[I] next\r\n");
}

TEST_F(LogFileTest, MissingFolderLosesOnlyThatEntry) {
    CLogFile log;
    log.SetDirectory(m_folder.Windows() + "\\log");
    log.SetDelimiter("");
    log.SetTimeStamp(0);
    EXPECT_EQ(log.WriteEntry("lost", 3), 0);
    EXPECT_EQ(log.WriteEntry("lost too", 3), 0);
    MakePath(m_folder.Windows() + "\\log");
    EXPECT_EQ(log.WriteEntry("kept", 3), 1);
    EXPECT_EQ(Content("log/20261207_Kel.log"), "[I] kept\r\n");
    // The first failure, and only that, is reported to the system.
    EXPECT_EQ(
        sim::World::Get().systemReports,
        std::vector<std::string>{"Relvan cannot write its log file " + m_folder.Windows() +
                                 "\\log\\20261207_Kel.log; log entries are lost until it can."});
}

TEST(LogDelimiterTest, RefusesCharactersThatCannotBeInAFileName) {
    const std::string expectedText = "Delimiter charactor is not allowed .\r\n"
                                     " \\ / :  * ? \" < > | ";
    for (char c : std::string("\\/:*?\"<>|")) {
        sim::World::Get().Reset();
        CLogFile log;
        log.SetDelimiter("-");
        log.SetDelimiter(std::string(1, c) + "x");
        EXPECT_EQ(log.GetDelimiter(), "-") << c;
        auto& boxes = sim::World::Get().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c;
        EXPECT_EQ(boxes[0].text, expectedText);
        EXPECT_EQ(boxes[0].caption, "Relvan");
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    }
}

TEST(LogDelimiterTest, AcceptsEmptyAndForbiddenCharacterNotFirst) {
    sim::World::Get().Reset();
    CLogFile log;
    for (const char* delimiter : {"", "-:", "ab"}) {
        log.SetDelimiter(delimiter);
        EXPECT_EQ(log.GetDelimiter(), delimiter);
    }
    EXPECT_TRUE(sim::World::Get().MessageBoxes().empty());
}

TEST(MakePathTest, CreatesEveryFolderAndAcceptsExistingOnes) {
    TempFolder folder;
    const std::string path = folder.Windows() + "\\a\\b\\c";
    MakePath(path);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Native() + "/a/b/c"));
    MakePath(path + "\\d\\");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Native() + "/a/b/c/d"));
}

} // namespace
