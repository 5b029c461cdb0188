// The host's parameter list turned into type-17 commands, one per generator
// reply, paced by timer 109.
#include "BridgeFixture.h"

namespace {

using Texts = std::vector<std::string>;

std::string Frame17(const std::string& text) {
    const Bytes frame = LinkFrame('A', text);
    return std::string(frame.begin(), frame.end());
}

} // namespace

class ParameterList : public GeneratorFixture {
protected:
    // Sends the list, then answers every command with a reply and lets the
    // interval pass; the commands sent, in order.
    Texts Run(const std::string& list, int replies) {
        SendText(kKindParameterList, static_cast<DWORD>(list.size() + 1), list);
        for (int i = 0; i < replies; ++i) {
            ReceiveText(Frame17("OK"));
            Advance(100);
        }
        return LinkCommands();
    }
};

TEST_F(ParameterList, FullListGivesSevenCommandsOneReplyApart) {
    CRelvanDlg& main = StartType(17, "EnableDebug=1\r\nInterval=40\r\n");
    SendText(kKindParameterList, 40, "80;1;5;123;456;789;1234;99");
    EXPECT_EQ(LinkCommands(), Texts({"ADM80"}));
    ReceiveText(Frame17("OK"));
    Advance(39);
    EXPECT_EQ(LinkCommands().size(), 1u);
    Advance(1);
    EXPECT_EQ(LinkCommands().size(), 2u);
    Advance(1000); // no reply: the list waits
    EXPECT_EQ(LinkCommands().size(), 2u);
    for (int i = 0; i < 7; ++i) {
        ReceiveText(Frame17("OK"));
        Advance(40);
    }
    EXPECT_EQ(LinkCommands(),
              Texts({"ADM80", "ADGg", "ADP5", "ADA123", "ADE456", "ADB789", "ADC1234"}));
    EXPECT_EQ(main.m_nStep, 0);
    EXPECT_TRUE(main.m_strParamList.empty());
    EXPECT_TRUE(LogHas("SetCommand : 1-1-5;123;456;789;1234;99"));
}

TEST_F(ParameterList, SingleItemListSendsTheEmptyItemsToTheEnd) {
    StartType(17);
    EXPECT_EQ(Run("5", 8), Texts({"ADM5", "ADGk", "ADP0", "ADA", "ADE", "ADB", "ADC", "ADF0"}));
}

TEST_F(ParameterList, ShortAndLongItemsAreCutByTheCharacterPicks) {
    const struct {
        int step;
        const char* item;
        const char* command; // empty: nothing sent
    } cases[] = {
        {3, "12", "DA122"},     {3, "5", "DA55"},
        {4, "45678", "DE458"},  {6, "12", "DC122"},
        {6, "12345", "DC1235"}, {1, "-1", "DGg"},
        {1, "x", "DGk"},        {7, "99", ""},
        {7, "7", "DF7"},        {0, "99999999999", "DM2147483647"},
        {8, "1", ""},
    };
    CRelvanDlg& main = StartType(17);
    for (const auto& c : cases) {
        ClearWritten(kPort);
        main.m_nStep = c.step;
        main.m_strParamList = std::string(c.item) + ";rest";
        main.SetCommand();
        const Texts expected = *c.command ? Texts({std::string("A") + c.command}) : Texts();
        EXPECT_EQ(LinkCommands(), expected) << c.step << " " << c.item;
        EXPECT_EQ(main.m_nStep, c.step >= 7 ? 0 : c.step + 1);
    }
}

TEST_F(ParameterList, NewListRestartsAtItsFirstItem) {
    CRelvanDlg& main = StartType(17);
    Run("80;1;5;123", 2);
    ClearWritten(kPort);
    EXPECT_EQ(Run("60;0", 1), Texts({"ADM60", "ADGk"}));
    EXPECT_EQ(main.m_nStep, 2);
}
