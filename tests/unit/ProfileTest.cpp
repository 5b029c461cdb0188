// CProfile on the native face, where our INI reader does the work: the shared
// cases, whose expectations the Wine tests check against the system.
#include "support/Profile.h"

#include "support/IniReader.h"
#include "tests/unit/FileText.h"
#include "tests/unit/ProfileCases.h"
#include "tests/unit/SupportTempFolder.h"

#include <gtest/gtest.h>

namespace {

class ProfileCaseTest : public testing::TestWithParam<IniCase> {};

TEST_P(ProfileCaseTest, ReadsAsTheSystemDoes) {
    const IniCase& c = GetParam();
    TempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Native() + "/Lumora.ini");
    if (!c.fileMissing) {
        WriteFile(profile.GetFile(), c.content);
    }
    EXPECT_EQ(profile.GetString(c.section, c.key, c.def), c.expected);
    EXPECT_EQ(profile.GetInt(c.section, c.key, kIniIntDefault), c.expectedInt);
}

INSTANTIATE_TEST_SUITE_P(Ini, ProfileCaseTest, testing::ValuesIn(IniCases()),
                         [](const testing::TestParamInfo<IniCase>& tested) {
                             return std::string(tested.param.name);
                         });

class ProfileWriteTest : public testing::TestWithParam<IniWriteCase> {};

TEST_P(ProfileWriteTest, SetsTheKeyAndKeepsTheRest) {
    const IniWriteCase& c = GetParam();
    TempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Native() + "/ref_data.dat");
    if (!c.content.empty()) {
        WriteFile(profile.GetFile(), c.content);
    }
    ASSERT_TRUE(profile.WriteString(c.section, c.key, c.value));
    EXPECT_EQ(ReadFile(profile.GetFile()), c.expected);
    EXPECT_EQ(profile.GetString(c.section, c.key, "d"), c.value);
    EXPECT_EQ(profile.GetString(c.otherSection, c.otherKey, ""), c.otherValue);
}

INSTANTIATE_TEST_SUITE_P(Ini, ProfileWriteTest, testing::ValuesIn(IniWriteCases()),
                         [](const testing::TestParamInfo<IniWriteCase>& tested) {
                             return std::string(tested.param.name);
                         });

TEST(ProfileTest, WritesNegativeNumbersThatReadBack) {
    TempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Native() + "/ref_data.dat");
    ASSERT_TRUE(profile.WriteString("kV Ref Shift", "C-1_3 Step", "-20"));
    ASSERT_TRUE(profile.WriteString("kV Ref Shift", "C-1_4 Step", "7"));
    EXPECT_EQ(profile.GetInt("kV Ref Shift", "C-1_3 Step", 0), -20);
    EXPECT_EQ(profile.GetInt("KV REF SHIFT", "c-1_4 step", 0), 7);
}

TEST(ProfileTest, WriteIntoMissingFolderFails) {
    TempFolder folder;
    CProfile profile;
    profile.SetFile(folder.Native() + "/missing/ref_data.dat");
    EXPECT_FALSE(profile.WriteString("A", "k", "1"));
}

} // namespace
