// The host interface: the blocks sent to the host, malformed and unknown
// records from it, the console commands' routing and the console's messages.
#include "BridgeFixture.h"

#include "bridge/StatusText.h"
#include "bridge/TextFormat.h"
#include "console/ConsolePanel.h"
#include "platform/Messages.h"

namespace {

using Items = std::vector<std::pair<int, std::string>>;

// A console panel that records what the main window asks of it.
struct RecordingPanel : IConsolePanel {
    static inline std::vector<std::string> calls;
    bool CreatePanel(CDialog*) override { return Note("create"), true; }
    void ShowPanel(int) override { Note("show"); }
    WindowRect PanelClientRect() const override { return {}; }
    void MovePanel(int, int, int, int) override {}
    void DestroyPanel() override { Note("destroy"); }
    void PowerOn() override { Note("power on"); }
    void PowerOff() override { Note("power off"); }
    void Exit() override {}
    void HostCommand(unsigned code, const std::string& text) override {
        Note("command " + std::to_string(code) + " " + text);
    }
    std::string StatusText() const override { return std::string(200, 's'); }
    static void Note(const std::string& call) { calls.push_back(call); }
};

IConsolePanel* MakeRecordingPanel() {
    return new RecordingPanel();
}

} // namespace

class HostInterface : public GeneratorFixture {
protected:
    void SetUp() override {
        GeneratorFixture::SetUp();
        RecordingPanel::calls.clear();
        SetConsolePanelFactory(MakeRecordingPanel);
    }
    void TearDown() override {
        SetConsolePanelFactory(nullptr);
        GeneratorFixture::TearDown();
    }
    const std::vector<sim::CopyDataSeen>& Raw() { return sim::World::Get().Hosts()[0].received; }
};

TEST_F(HostInterface, BlocksSentToTheHostKeepTheirLayoutAndCutLongTexts) {
    CRelvanDlg& main = StartType(2);
    EXPECT_EQ(main.SendTextToHost(0x01020304, std::string(300, 't')), 1);
    main.SendStringToHost(std::string(200, 'v'));
    main.SendNumberToHost(1);
    ASSERT_EQ(Raw().size(), 3u);

    const sim::CopyDataSeen& item = Raw()[0];
    EXPECT_EQ(item.kind, 742065u);
    EXPECT_EQ(item.from, main.GetSafeHwnd());
    ASSERT_EQ(item.cbData, 260u);
    EXPECT_EQ(Bytes(item.data.begin(), item.data.begin() + 4), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(HostReceived()[0].text, std::string(255, 't'));
    EXPECT_EQ(item.data[259], 0);

    EXPECT_EQ(Raw()[1].kind, 114u);
    EXPECT_EQ(Raw()[1].cbData, 128u);
    EXPECT_EQ(HostReceived()[1].text, std::string(127, 'v'));

    EXPECT_EQ(Raw()[2].kind, 113u);
    EXPECT_EQ(Raw()[2].cbData, 1u);
    EXPECT_FALSE(Raw()[2].hasData);
}

TEST_F(HostInterface, HostIsFoundByExactTitleBeforeEverySend) {
    CRelvanDlg& main = StartType(2);
    sim::World::Get().AddHostWindow(kHostTitle); // a second one with the same title
    sim::World::Get().AddHostWindow(std::string(kHostTitle) + " ");
    main.SendTextToHost(1, "x");
    EXPECT_EQ(sim::World::Get().Hosts()[0].received.size(), 1u);
    EXPECT_TRUE(sim::World::Get().Hosts()[1].received.empty());
    EXPECT_EQ(g_hHostWnd, sim::World::Get().Hosts()[0].hwnd);

    theApp.m_strHostTitle.clear(); // started without a title: nothing is ever sent
    EXPECT_EQ(main.SendTextToHost(1, "y"), 0);
    EXPECT_EQ(g_hHostWnd, nullptr);
    main.SendNumberToHost(0);
    EXPECT_EQ(HostReceived().size(), 1u);
}

TEST_F(HostInterface, MalformedGeneratorCommandsAreReadWithinTheirBlock) {
    StartType(11);
    Advance(500);
    ClearWritten(kPort);
    const char unterminated[] = {'K', 'V', '8'};
    SendRecord(kKindGeneratorCommand, 3, unterminated);
    SendRecord(kKindGeneratorCommand, 2, "MA100"); // the code is shorter than the text
    SendText(kKindGeneratorCommand, 64, "MS5");    // block larger than the text
    sim::World::Get().Settle();
    EXPECT_EQ(Writes(), std::vector<Bytes>({SumFrame("KV8"), SumFrame("MA"), SumFrame("MS5")}));
}

TEST_F(HostInterface, UnknownKindsAndNullBlocksChangeNothing) {
    CRelvanDlg& main = StartType(17, "EnableDebug=1\r\n");
    SendRecord(742068, 4, "KV80");
    SendRecord(0, 0, nullptr);
    SendRecord(kKindParameterList + 1, 9, "80;1;5;1");
    EXPECT_TRUE(LinkBodies().empty());
    EXPECT_TRUE(LogHas("Host record of unknown kind 742068 ignored"));
    // A parameter list without a block is an empty list.
    SendRecord(kKindParameterList, 0, nullptr);
    EXPECT_EQ(LinkCommands(), std::vector<std::string>({"ADM0"}));
    EXPECT_EQ(main.m_nStep, 1);
    EXPECT_TRUE(HostReceived().empty());
}

TEST_F(HostInterface, ConsoleCommandsAreRoutedToTheConsole) {
    CRelvanDlg& main = StartType(2);
    SendText(kKindConsoleCommand, 9, "up");  // no console yet: ignored
    SendText(kKindConsoleCommand, 100, "2"); // made on the spot, then powered off
    SendText(kKindConsoleCommand, 100, "1");
    SendText(kKindConsoleCommand, 12, "down");
    EXPECT_EQ(RecordingPanel::calls,
              std::vector<std::string>({"create", "power off", "power on", "command 12 down"}));
    ASSERT_NE(main.m_pConsole, nullptr);
}

TEST_F(HostInterface, ConsoleStatusGoesToTheHostTwentyMillisecondsAfterEachRequest) {
    StartType(2);
    SendText(kKindConsoleCommand, 111, "");
    Advance(20);
    EXPECT_TRUE(HostReceived().empty()); // no console: dropped
    SendText(kKindConsoleCommand, 100, "1");
    SendText(kKindConsoleCommand, 111, "");
    Advance(19);
    EXPECT_TRUE(HostReceived().empty());
    Advance(1);
    ASSERT_EQ(HostReceived().size(), 1u);
    EXPECT_EQ(HostReceived()[0].kind, 112u);
    EXPECT_EQ(Raw()[0].cbData, 128u);
    EXPECT_EQ(HostReceived()[0].text, std::string(127, 's'));
    Advance(1000);
    EXPECT_EQ(HostReceived().size(), 1u); // once per request
}

TEST_F(HostInterface, ConsoleMessagesReachTheHostAndTheLog) {
    for (const char* debug : {"1", "2"}) {
        CRelvanDlg& main = StartType(2, std::string("EnableDebug=") + debug + "\r\n");
        main.PostMessage(WM_PCOP_CHARGED);
        main.PostMessage(WM_PCOP_POWEROFF);
        main.PostMessage(WM_PCOP_STATUSTEXT, 0); // no text: nothing to log
        ASSERT_TRUE(PostStatusText(main, std::string("Ready Start Fail !! ") + debug));
        SendStatusText(main, std::string("OVER !! ") + debug); // handled before it returns
        EXPECT_EQ(LogHas(std::string("OVER !! ") + debug), *debug == '1');
        sim::World::Get().Settle();
        const std::vector<HostSeen> seen = HostReceived();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].kind, 113u);
        EXPECT_EQ(seen[0].value, 1u);
        EXPECT_EQ(seen[1].value, 0u);
        ClearHost();
    }
    // Only EnableDebug 1 logs the console's texts.
    EXPECT_TRUE(LogHas("Ready Start Fail !! 1"));
    EXPECT_FALSE(LogHas("Ready Start Fail !! 2"));
}

TEST_F(HostInterface, StatusTextMessagesCarryNoPointerAndForeignOnesAreIgnored) {
    CRelvanDlg& main = StartType(2);
    // What another process might post: junk, and the address of a live string.
    const std::string live = "not ours";
    for (WPARAM junk : {WPARAM{0xDEADBEEF}, WPARAM{1}, reinterpret_cast<WPARAM>(&live)}) {
        main.PostMessage(WM_PCOP_STATUSTEXT, junk);
    }
    ASSERT_TRUE(PostStatusText(main, "Generator Ready"));
    sim::World::Get().Settle();
    EXPECT_TRUE(LogHas("Generator Ready"));
    EXPECT_FALSE(LogHas("not ours"));
    EXPECT_EQ(live, "not ours");

    // A text is taken once; a table of texts never handled stays bounded.
    struct NumberSeen : CDialog {
        NumberSeen() : CDialog(102) { Create(nullptr); }
        bool WindowProc(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
            number = message == WM_PCOP_STATUSTEXT ? wParam : number;
            return true;
        }
        WPARAM number = 0;
    } other;
    ASSERT_TRUE(PostStatusText(other, "once"));
    sim::World::Get().Settle();
    EXPECT_EQ(TakeStatusText(other.number), "once");
    EXPECT_FALSE(TakeStatusText(other.number).has_value());
    for (std::size_t i = 0; i <= kStatusTextsWaiting; ++i) {
        ASSERT_TRUE(PostStatusText(main, FormatText("text %03u", static_cast<unsigned>(i))));
    }
    sim::World::Get().Settle();
    EXPECT_FALSE(LogHas("text 000"));
    EXPECT_TRUE(LogHas("text 001"));
    EXPECT_TRUE(LogHas(FormatText("text %03u", static_cast<unsigned>(kStatusTextsWaiting))));
    CDialog unshown(102);
    EXPECT_FALSE(PostStatusText(unshown, "nowhere")) << "a failed post keeps nothing";
}
