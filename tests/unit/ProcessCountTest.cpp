#include "app/ProcessCount.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A process list of the given names; ids start at 4 and step by 4 as on Windows.
class FakeProcessList : public ProcessList {
public:
    explicit FakeProcessList(std::vector<std::string> names) : m_names(std::move(names)) {}

    bool EnumIds(std::uint32_t* ids, std::size_t capacity, std::size_t& count) override {
        ++calls;
        if (failEnum) {
            return false;
        }
        count = std::min(capacity, m_names.size());
        for (std::size_t i = 0; i < count; ++i) {
            ids[i] = static_cast<std::uint32_t>(4 * (i + 1));
        }
        return true;
    }
    std::string BaseName(std::uint32_t id) override { return m_names.at(id / 4 - 1); }
    bool CanTerminate(std::uint32_t id) override { return denied.count(id) == 0; }

    bool failEnum = false;
    int calls = 0;
    std::map<std::uint32_t, bool> denied;

private:
    std::vector<std::string> m_names;
};

std::vector<std::string> Busy(std::size_t others) {
    return std::vector<std::string>(others, "svchost.exe");
}

} // namespace

TEST(ProcessCount, TwoCopiesByFileNameWithoutRegardToCase) {
    std::vector<std::string> names = Busy(3);
    names.push_back("RELVAN.EXE");
    names.push_back("Relvan.exe");
    FakeProcessList list(names);
    EXPECT_EQ(CountMatchingProcesses("relvan.exe", list), kTwoRunning);

    FakeProcessList alone({"relvan.exe", "relvan2.exe", "Unknown"});
    EXPECT_EQ(CountMatchingProcesses("relvan.exe", alone), kFewerThanTwo);
}

TEST(ProcessCount, FindsASecondCopyBeyondTheFirst250Processes) {
    std::vector<std::string> names = Busy(600);
    names[0] = "relvan.exe";
    names.push_back("relvan.exe");
    FakeProcessList list(names);
    EXPECT_EQ(CountMatchingProcesses("relvan.exe", list), kTwoRunning);
    EXPECT_GT(list.calls, 1); // the list was asked again with a larger buffer
}

TEST(ProcessCount, AListOfExactly250IsAskedAgainAndKeptWhole) {
    FakeProcessList list(Busy(250));
    std::vector<std::uint32_t> ids;
    ASSERT_TRUE(AllProcessIds(list, ids));
    EXPECT_EQ(ids.size(), 250u);
    EXPECT_EQ(list.calls, 2);
}

TEST(ProcessCount, AMatchWhoseTerminateProbeFailsIsNotCounted) {
    FakeProcessList list({"relvan.exe", "relvan.exe"});
    list.denied[8] = true;
    EXPECT_EQ(CountMatchingProcesses("relvan.exe", list), kFewerThanTwo);
}

TEST(ProcessCount, FailuresAndBadNames) {
    FakeProcessList list({"relvan.exe", "relvan.exe"});
    list.failEnum = true;
    EXPECT_EQ(CountMatchingProcesses("relvan.exe", list), kListFailed);
    EXPECT_EQ(CountMatchingProcesses("", list), kBadFileName);
    EXPECT_EQ(CountMatchingProcesses(std::string(261, 'a'), list), kBadFileName);
}

TEST(ProcessCount, ExeFileNameIsTheLowerCasedNameAfterTheLastBackslash) {
    EXPECT_EQ(ExeFileNameOf("C:\\Program Files\\Relvan\\RELVAN.EXE"), "relvan.exe");
    EXPECT_EQ(ExeFileNameOf("Relvan.exe"), "relvan.exe");
    EXPECT_EQ(ExeFileNameOf("C:\\dir\\"), "");
}
