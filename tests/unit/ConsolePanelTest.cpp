// The console panel window (CPCOPDlg) in the main window, on the simulated
// desktop: its controls follow the console's state, it reaches the main
// window and the host, and it runs without its link control.
#include "DialogFixture.h"

#include "console/ConsoleIds.h"
#include "console/PCOPDlg.h"
#include "console/sim/SimPanelFaces.h"
#include "platform/Messages.h"

namespace {

std::string Ini(const std::string& typeGen, const std::string& generatorKeys) {
    return "[CONTROLPANNEL]\r\nTypeGen=" + typeGen + "\r\n[GENERATOR]\r\nEnableDebug=1\r\n" +
           generatorKeys;
}

} // namespace

class ConsolePanel : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        Run("cp -r '" RELVAN_SOURCE_DIR "/tools/consoledata/data' '" + m_dir + "/'");
        AddHost();
    }
    void TearDown() override {
        DialogFixture::TearDown();
        sim::SimPanelFaces::linkRegistered = true;
    }
    static void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0); }

    CPCOPDlg& Panel() { return *dynamic_cast<CPCOPDlg*>(dlg->m_pConsole); }
    sim::SimPanelFaces& Faces() { return *sim::SimPanelFaces::last; }
    sim::DialogState& PanelState() { return *sim::StateOf(Panel().GetSafeHwnd()); }
    void Raise(int eventId, const LinkArgs& args) { Faces().link.Raise(eventId, args); }

    bool Lit(int id) { return PanelState().itemBitmap.at(id) == IDB_LAMP_LIT; }
    bool Enabled(int id) { return PanelState().itemEnabled.at(id); }
    const std::string& Text(int id) { return PanelState().itemText.at(id); }

    std::vector<DWORD> ConsoleStates() {
        std::vector<DWORD> values;
        for (const HostSeen& seen : HostReceived()) {
            if (seen.kind == kKindConsoleState) {
                values.push_back(seen.value);
            }
        }
        return values;
    }

    // Model 2 from start-up to charged: the generator answers every step.
    void PowerUpModel2() {
        Advance(250); // the start-up timer powers on
        Raise(kEventReport, {"PS", "01"});
        Advance(1000);
        Raise(kEventReport, {"R101", "5A"});
        Advance(3000);
        Raise(kEventStateCode, {"RS04"});
        Advance(1000);
    }
};

TEST_F(ConsolePanel, ItsControlsFollowTheConsoleFromStartToChargedAndTheHostHearsOfIt) {
    WriteIni(Ini("15", "Model=2\r\n"));
    Start();
    // The template's start: every control shown once, from the console's view.
    EXPECT_TRUE(Enabled(panel::kPowerOn));
    EXPECT_FALSE(Enabled(panel::kPowerOff));
    EXPECT_FALSE(Enabled(panel::kKvUp));
    EXPECT_FALSE(Lit(panel::kLampCharge));
    EXPECT_EQ(Text(panel::kModelEdit), "50kW");
    EXPECT_TRUE(Faces().linkPresent);

    PowerUpModel2();
    const std::vector<int> calls = Faces().link.CallIds();
    ASSERT_GE(calls.size(), 10u);
    EXPECT_EQ(std::vector<int>(calls.begin(), calls.begin() + 10),
              (std::vector<int>{1, 56, 3, 3, 3, 4, 23, 8, 9, 22}));
    EXPECT_TRUE(Lit(panel::kLampPortOpen));
    EXPECT_TRUE(Lit(panel::kLampCharge));
    EXPECT_TRUE(Lit(panel::kLampSmallFocus));
    EXPECT_FALSE(Lit(panel::kLampLargeFocus));
    EXPECT_FALSE(Enabled(panel::kPowerOn));
    EXPECT_TRUE(Enabled(panel::kPowerOff));
    EXPECT_TRUE(Enabled(panel::kKvUp));
    EXPECT_EQ(Text(panel::kKvEdit), Panel().Console().State().m_view[panel::kKvEdit].text);
    EXPECT_FALSE(Text(panel::kKvEdit).empty());
    EXPECT_EQ(Text(panel::kStatusEdit), "Generator Charge ON OK !!");
    Advance(1);
    EXPECT_EQ(ConsoleStates(), (std::vector<DWORD>{1}));
    EXPECT_TRUE(LogHas("[I] Generator Charge ON OK !!\r\n"));
}

TEST_F(ConsolePanel, ClosingTheMainWindowPowersOffThroughExitAndEndsTheProgram) {
    WriteIni(Ini("15", "Model=2\r\n"));
    CRelvanDlg& main = Start();
    const HWND mainWindow = main.GetSafeHwnd();
    PowerUpModel2();
    Faces().link.calls.clear();
    main.PostMessage(WM_CLOSE);
    Advance(10);
    EXPECT_EQ(Faces().link.CallIds(), (std::vector<int>{56, 57, 2}));
    EXPECT_FALSE(Lit(panel::kLampCharge));
    EXPECT_TRUE(Enabled(panel::kPowerOn));
    EXPECT_FALSE(State().ended); // EXIT ends the program through timer 6
    Advance(500);
    EXPECT_TRUE(sim::StateOf(mainWindow)->ended);
    EXPECT_EQ(sim::StateOf(mainWindow)->endResult, IDCANCEL);
    EXPECT_EQ(main.m_pConsole, nullptr); // destroyed with the main window
    EXPECT_EQ(ConsoleStates(), (std::vector<DWORD>{1, 0}));
}

TEST_F(ConsolePanel, ItsOwnCloseOnlyAsksTheMainWindow) {
    WriteIni(Ini("15", "Model=2\r\n"));
    CRelvanDlg& main = Start();
    const HWND mainWindow = main.GetSafeHwnd();
    Advance(250);
    LRESULT result = 0;
    Panel().WindowProc(WM_CLOSE, 0, 0, result);
    EXPECT_NE(Panel().GetSafeHwnd(), nullptr);
    EXPECT_EQ(Faces().link.CallIds(), (std::vector<int>{1})); // no power off
    Advance(1); // the posted IDCANCEL ends the main window
    EXPECT_TRUE(sim::StateOf(mainWindow)->ended);
    EXPECT_EQ(main.m_pConsole, nullptr);
}

TEST_F(ConsolePanel, WithoutTheLinkControlThePanelStillOpensAndSaysSo) {
    sim::SimPanelFaces::linkRegistered = false;
    WriteIni(Ini("15", "Model=2\r\n"));
    Start();
    EXPECT_FALSE(Faces().linkPresent);
    EXPECT_TRUE(LogHas("[E] Link control {7127E44D-6E77-4C78-B2C9-502CB56EE693} cannot be "
                       "created: 0x80040154 (class not registered)\r\n"));
    EXPECT_EQ(Text(panel::kStatusEdit), "USB Link Control Missing !!");
    Advance(1);
    EXPECT_TRUE(LogHas("[I] USB Link Control Missing !!\r\n"));
    // What needs no link works: the model buttons.
    LRESULT result = 0;
    Panel().WindowProc(WM_COMMAND, panel::kModel20kW, 0, result);
    EXPECT_EQ(Text(panel::kModelEdit), "20kW");
}

TEST_F(ConsolePanel, HostCode100MakesAHiddenPanelForAnyTypeAndPowersOnOrOff) {
    WriteIni(Ini("2", "Model=2\r\n"));
    Start();
    const std::string on = "1";
    SendRecord(kKindConsoleCommand, 100, on.c_str());
    ASSERT_NE(dlg->m_pConsole, nullptr);
    EXPECT_FALSE(PanelState().visible);
    EXPECT_EQ(Faces().link.CallIds(), (std::vector<int>{1}));
    Raise(kEventReport, {"PS", "01"});
    const std::string off = "2";
    SendRecord(kKindConsoleCommand, 100, off.c_str());
    EXPECT_EQ(Faces().link.CallIds(), (std::vector<int>{1, 56, 56, 57, 2}));
    Advance(1);
    EXPECT_EQ(ConsoleStates(), (std::vector<DWORD>{0}));
}
