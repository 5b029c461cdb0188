// The shared INI cases against the system's private-profile functions, which
// are the judge of our own reader: every case goes through CProfile on the
// Win32 face and through IniReadString / IniReadInt on the same text.
#include "support/Profile.h"

#include "support/IniReader.h"
#include "tests/unit/FileText.h"
#include "tests/unit/ProfileCases.h"
#include "tests/unit/SupportWinTempFolder.h"

#include <gtest/gtest.h>

namespace {

class ProfileWineCaseTest : public testing::TestWithParam<IniCase> {};

TEST_P(ProfileWineCaseTest, SystemAndOurReaderAgree) {
    const IniCase& c = GetParam();
    WinTempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Path() + "\\Lumora.ini");
    if (!c.fileMissing) {
        WriteFile(profile.GetFile(), c.content);
    }
    const std::string systemString = profile.GetString(c.section, c.key, c.def);
    const int systemInt = profile.GetInt(c.section, c.key, kIniIntDefault);
    EXPECT_EQ(systemString, c.expected) << "the system";
    EXPECT_EQ(systemInt, c.expectedInt) << "the system";
    EXPECT_EQ(IniReadString(c.content, c.section, c.key, c.def, 512), systemString) << "our reader";
    EXPECT_EQ(IniReadInt(c.content, c.section, c.key, kIniIntDefault), systemInt) << "our reader";
}

INSTANTIATE_TEST_SUITE_P(Ini, ProfileWineCaseTest, testing::ValuesIn(IniCases()),
                         [](const testing::TestParamInfo<IniCase>& tested) {
                             return std::string(tested.param.name);
                         });

class ProfileWineWriteTest : public testing::TestWithParam<IniWriteCase> {};

TEST_P(ProfileWineWriteTest, SystemWriteReadsBack) {
    const IniWriteCase& c = GetParam();
    WinTempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Path() + "\\ref_data.dat");
    if (!c.content.empty()) {
        WriteFile(profile.GetFile(), c.content);
    }
    ASSERT_TRUE(profile.WriteString(c.section, c.key, c.value));
    EXPECT_EQ(profile.GetString(c.section, c.key, "d"), c.value);
    EXPECT_EQ(profile.GetString(c.otherSection, c.otherKey, ""), c.otherValue);
}

TEST_P(ProfileWineWriteTest, SystemReadsWhatOurWriterLeaves) {
    const IniWriteCase& c = GetParam();
    WinTempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Path() + "\\ref_data.dat");
    WriteFile(profile.GetFile(), IniWriteString(c.content, c.section, c.key, c.value));
    EXPECT_EQ(ReadFile(profile.GetFile()), c.expected);
    EXPECT_EQ(profile.GetString(c.section, c.key, "d"), c.value);
    EXPECT_EQ(profile.GetString(c.otherSection, c.otherKey, ""), c.otherValue);
}

INSTANTIATE_TEST_SUITE_P(Ini, ProfileWineWriteTest, testing::ValuesIn(IniWriteCases()),
                         [](const testing::TestParamInfo<IniWriteCase>& tested) {
                             return std::string(tested.param.name);
                         });

TEST(ProfileWineTest, WriteIntoMissingFolderFails) {
    WinTempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Path() + "\\missing\\ref_data.dat");
    EXPECT_FALSE(profile.WriteString("A", "k", "1"));
}

} // namespace
