// The main window's set-up per generator type, its start-up timer, the tray
// icon and shutdown, on the simulated desktop.
#include "DialogFixture.h"

#include "console/ConsolePanel.h"
#include "platform/Messages.h"
#include "serial/Frames.h"

#include <filesystem>

namespace {

const char* const kCom5 = "\\\\.\\COM5";

std::string Ini(const std::string& typeGen, const std::string& generatorKeys) {
    return "[CONTROLPANNEL]\r\nTypeGen=" + typeGen + "\r\n[GENERATOR]\r\n" + generatorKeys;
}

// A console panel that records what the main window asks of it.
struct RecordingConsole : IConsolePanel {
    static inline std::vector<std::string> calls;
    static inline bool createFails = false;
    bool CreatePanel(CDialog*) override { return Note("create"), !createFails; }
    void ShowPanel(int command) override { Note("show " + std::to_string(command)); }
    WindowRect PanelClientRect() const override { return {0, 0, 400, 300}; }
    void MovePanel(int x, int y, int w, int h) override {
        Note("move " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
             std::to_string(h));
    }
    void DestroyPanel() override { Note("destroy"); }
    void PowerOn() override { Note("power on"); }
    void PowerOff() override { Note("power off"); }
    void Exit() override { Note("exit"); }
    void HostCommand(unsigned code, const std::string& text) override {
        Note("command " + std::to_string(code) + " " + text);
    }
    std::string StatusText() const override { return "status"; }
    static void Note(const std::string& call) { calls.push_back(call); }
};

IConsolePanel* MakeRecordingConsole() {
    return new RecordingConsole();
}

} // namespace

class MainWindow : public DialogFixture {};

TEST_F(MainWindow, PortNamesForTheLinkPort) {
    const std::pair<int, const char*> cases[] = {
        {0, ""},  {1, "COM1"}, {4, "COM4"}, {5, "\\\\.\\COM5"}, {10, "\\\\.\\COM10"},
        {11, ""}, {-3, ""}};
    for (const auto& [number, name] : cases) {
        EXPECT_EQ(CRelvanDlg::PortNameFor(number), name) << number;
    }
}

TEST_F(MainWindow, MissingOrGarbageIniGivesTheDefaults) {
    for (const char* content : {"", "\x01\x02garbage\xff\r\n=x\r\n[\r\n"}) {
        WriteIni(content);
        CRelvanDlg& main = Start();
        EXPECT_EQ(main.m_nTypeGen, kTypeDefault);
        EXPECT_EQ(main.m_bEnableDebug, 0);
        EXPECT_EQ(main.m_nInterval, 100);
        EXPECT_EQ(main.m_nDevice, 0);
        EXPECT_EQ(main.GetDataPath(), m_dir); // the current directory, without a closing backslash
        EXPECT_EQ(main.m_pPort, nullptr);
        EXPECT_EQ(main.m_pLinkPort, nullptr);
        dlg.reset();
    }
}

TEST_F(MainWindow, ConfigurationKeys) {
    WriteIni("[controlpannel]\r\nTypeGen = 41\r\nDevice=22\r\n[Generator]\r\nCOMPORT=5\r\n"
             "DataPSC=D:\\\\Data\\\\PSC\r\nEnableDebug=2\r\nUseMiniConsole=1\r\nInterval=35\r\n");
    Device(kCom5);
    CRelvanDlg& main = Start();
    EXPECT_EQ(main.m_nTypeGen, kType11); // 41 is 11 in every respect
    EXPECT_EQ(main.GetDataPath(), "D:\\Data\\PSC");
    EXPECT_EQ(main.m_bEnableDebug, 2);
    EXPECT_EQ(main.m_bUseMiniConsole, 1);
    EXPECT_EQ(main.m_nInterval, 35);
    EXPECT_EQ(main.m_nDevice, 22);
    EXPECT_EQ(main.m_bConnected, 1);
    // EnableDebug 2 traces commands but does not write the connection message.
    EXPECT_FALSE(LogHas("Connected generator"));
}

TEST_F(MainWindow, Type11OpensSendsItsHelloAndStartsPolling) {
    WriteIni(Ini("11", "COMPORT=5\r\nEnableDebug=1\r\n"));
    sim::SerialDevice& device = Device(kCom5);
    AddHost();
    CRelvanDlg& main = Start();
    EXPECT_EQ(device.mode, "baud=19200 parity=N data=8 stop=2");
    EXPECT_EQ(main.m_bConnected, 1);
    EXPECT_EQ(State().windowRect.top, -1024);
    sim::World::Get().Settle();
    EXPECT_EQ(Written(kCom5), (Bytes{0x01, 0x35, 0x00, 0x01, 0x01, 0x38}));
    EXPECT_TRUE(LogHas("[I] Connected generator port:5 Baud:19200\r\n"));

    ClearWritten(kCom5);
    Advance(250);
    EXPECT_TRUE(sim::World::Get().TrayIconShown());
    EXPECT_FALSE(State().visible);
    EXPECT_TRUE(Written(kCom5).empty());
    Advance(250);
    EXPECT_EQ(Written(kCom5), (Bytes{0x53, 0x54, 0x03, 0xAA})); // "ST"
}

TEST_F(MainWindow, ConnectionFailuresAreLoggedByTheRulesOfEachType) {
    struct Case {
        std::string ini;
        std::string line; // empty: nothing logged
    };
    const Case cases[] = {
        {Ini("11", "COMPORT=3\r\nEnableDebug=1\r\n"),
         "Can't connect generator port:3 Baud:19200\r\n"},
        {Ini("11", "COMPORT=3\r\n"), ""},
        {Ini("13", "COMPORT=3\r\nBaudRate=9600\r\n"),
         "Can't connect generator port:3 Baud:9600\r\n"},
        {Ini("17", "COMPORT=11\r\n"),
         "Can't connect generator port:11 Baud:38400 with console.\r\n"},
        {Ini("17", "COMPORT=4\r\nUseMiniConsole=1\r\n"),
         "Can't connect generator port:4 Baud:38400 with miniconsole.\r\n"},
    };
    for (const Case& c : cases) {
        WriteIni(c.ini);
        CRelvanDlg& main = Start();
        EXPECT_EQ(main.m_bConnected, 0) << c.ini;
        if (c.line.empty()) {
            EXPECT_EQ(Log(), "") << c.ini;
        } else {
            EXPECT_TRUE(LogHas("[I] " + c.line)) << c.ini << "\n" << Log();
        }
        dlg.reset();
        std::remove((m_dir + "/log/20261207_Kel.log").c_str());
    }
}

TEST_F(MainWindow, Type13OpensWithOneStopBitAndSendsBD1AAfterStartUp) {
    WriteIni(Ini("13", "COMPORT=2\r\nEnableDebug=1\r\n"));
    sim::SerialDevice& device = Device("COM2");
    CRelvanDlg& main = Start();
    EXPECT_EQ(device.mode, "baud=57600 parity=N data=8 stop=1");
    EXPECT_EQ(main.m_bConnected, 1);
    EXPECT_TRUE(LogHas("[I] Connected generator port:2 Baud:57600\r\n"));
    Advance(250);
    EXPECT_EQ(Written("COM2"), (Bytes{0x02, 0x42, 0x44, 0x31, 0x41, 0x30, 0x35, 0x03}));
    EXPECT_TRUE(sim::World::Get().TrayIconShown());
}

TEST_F(MainWindow, Type17MiniConsoleSendsRAndWaitsTenSecondsForAnAnswer) {
    WriteIni(Ini("17", "COMPORT=5\r\nUseMiniConsole=1\r\nEnableDebug=1\r\nBaudRate=57600\r\n"));
    sim::SerialDevice& device = Device(kCom5);
    CRelvanDlg& main = Start();
    EXPECT_EQ(device.baud, 57600u);
    EXPECT_TRUE(LogHas("[I] Connected generator port:5 Baud:57600 with miniconsole.\r\n"));
    const std::uint8_t checksum = 'C' ^ 'R' ^ 0x03;
    EXPECT_EQ(Written(kCom5), (Bytes{0x16, 0x16, 0x16, 0x02, 'C', 'R', 0x03, checksum}));
    EXPECT_EQ(main.m_bReconnect, 1);
    EXPECT_EQ(sim::World::Get().TimerPeriod(main.GetSafeHwnd(), kTimerReconnect17), 10000u);
    Advance(250);
    EXPECT_TRUE(State().visible); // type 17 keeps no tray icon
    EXPECT_FALSE(sim::World::Get().TrayIconShown());
}

TEST_F(MainWindow, DefaultTypeShowsOnlyTheTrayIconAndIgnoresClose) {
    WriteIni("");
    CRelvanDlg& main = Start();
    Advance(250);
    EXPECT_TRUE(sim::World::Get().TrayIconShown());
    EXPECT_FALSE(State().visible);
    ASSERT_FALSE(sim::World::Get().TrayCalls().empty());
    EXPECT_EQ(sim::World::Get().TrayCalls().back().tip, "Relvan");
    EXPECT_NE(sim::World::Get().TrayCalls().back().callbackMessage, WM_LINK_DATA);

    // The shell restarts without the icon: it is added again.
    sim::World::Get().SetTrayIconShown(false);
    main.SendMessage(sim::kTaskbarCreated, 0, 0);
    EXPECT_TRUE(sim::World::Get().TrayIconShown());
    EXPECT_EQ(sim::World::Get().TrayCalls().back().operation, static_cast<DWORD>(NIM_ADD));

    main.PostMessage(WM_CLOSE);
    Advance(100);
    EXPECT_NE(main.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(State().ended);
}

// WM_CLOSE, and the end of the Windows session (shutdown, logoff).
TEST_F(MainWindow, CloseEndsTheSerialTypesAfterClosingTheirPorts) {
    const std::pair<std::string, std::string> cases[] = {
        {Ini("11", "COMPORT=1\r\n"), "COM1"},
        {Ini("13", "COMPORT=1\r\n"), "COM1"},
        {Ini("17", "COMPORT=1\r\n"), "COM1"},
    };
    for (const UINT message : {WM_CLOSE, WM_ENDSESSION}) {
        for (const auto& [ini, deviceName] : cases) {
            WriteIni(ini);
            sim::SerialDevice& device = Device(deviceName);
            CRelvanDlg& main = Start();
            ASSERT_TRUE(device.open) << ini;
            Advance(300);
            HWND hwnd = main.GetSafeHwnd();
            if (message == WM_ENDSESSION) {
                EXPECT_EQ(main.SendMessage(WM_QUERYENDSESSION, 0, 0), TRUE);
                main.SendMessage(WM_ENDSESSION, FALSE, 0); // not ending after all
                EXPECT_TRUE(device.open) << ini;
                main.SendMessage(WM_ENDSESSION, TRUE, 0);
                EXPECT_FALSE(device.open) << ini; // before the handler returns
            } else {
                main.PostMessage(message);
            }
            Advance(10);
            EXPECT_FALSE(device.open) << ini;
            EXPECT_EQ(main.m_pPort, nullptr);
            EXPECT_EQ(main.m_pLinkPort, nullptr);
            EXPECT_TRUE(sim::StateOf(hwnd)->ended) << ini;
            EXPECT_EQ(main.GetSafeHwnd(), nullptr);
            EXPECT_FALSE(sim::World::Get().TrayIconShown());
            dlg.reset();
        }
    }
}

TEST_F(MainWindow, HostClosingFromInsideAForwardedReplyClosesOnceTheDeliveryReturned) {
    // Closing the ports there would wait for the port thread that waits for
    // the delivery to return.
    const std::pair<std::string, Bytes> cases[] = {
        {"11", SumFrame("KV70")}, {"13", HexFrame("KV70")}, {"17", LinkFrame('A', "KV70")}};
    sim::HostWindow* host = sim::World::Get().HostOf(AddHost());
    for (const auto& [typeGen, reply] : cases) {
        WriteIni(Ini(typeGen, "COMPORT=1\r\n"));
        sim::SerialDevice& device = Device("COM1");
        CRelvanDlg& main = Start();
        Advance(300);
        HWND hwnd = main.GetSafeHwnd();
        bool portKept = false;
        host->onReceive = [&] {
            main.SendMessage(WM_CLOSE);
            portKept = main.m_pPort != nullptr || main.m_pLinkPort != nullptr;
        };
        Receive("COM1", reply);
        host->onReceive = nullptr;
        EXPECT_TRUE(portKept) << typeGen;
        EXPECT_FALSE(sim::StateOf(hwnd)->ended) << typeGen;
        Advance(1);
        EXPECT_FALSE(device.open) << typeGen;
        EXPECT_TRUE(sim::StateOf(hwnd)->ended) << typeGen;
        dlg.reset();
    }
}

TEST_F(MainWindow, EmptyLinkDataAndTrayNotificationsChangeNothing) {
    WriteIni(Ini("17", "COMPORT=1\r\n"));
    Device("COM1");
    CRelvanDlg& main = Start();
    EXPECT_EQ(main.SendMessage(WM_LINK_DATA, 0, 0), -1);
    EXPECT_EQ(main.SendMessage(WM_LINK_DATA, 0, -5), -1);
    const std::string before = main.m_strRxBuf;
    main.SendMessage(WM_TRAY_NOTIFY, 0, 0x0201); // a click on the icon
    EXPECT_EQ(main.m_strRxBuf, before);
    EXPECT_TRUE(Written("COM1").empty());
    main.SendMessage(sim::kTaskbarCreated, 0, 0); // type 17 keeps no icon
    EXPECT_TRUE(sim::World::Get().TrayCalls().empty());
}

TEST_F(MainWindow, SecondStartFindsThePublishedWindow) {
    WriteIni("");
    CRelvanDlg& main = Start();
    EXPECT_EQ(sim::World::Get().sharedMainWindow, main.GetSafeHwnd());
    main.DestroyWindow();
    EXPECT_EQ(sim::World::Get().sharedMainWindow, nullptr);
}

TEST_F(MainWindow, AProgramFolderTooLongToReadIsReportedAndNotTakenForTheDriveRoot) {
    WriteIni(Ini("13", "COMPORT=3\r\n"));
    sim::World::Get().currentDirectory = m_dir + "/" + std::string(300, 'x');
    // Files named relative to the current folder land in the test's folder.
    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir);
    CRelvanDlg& main = Start();
    std::filesystem::current_path(previous);
    EXPECT_EQ(main.m_strIniPath, ".\\Lumora.ini");
    EXPECT_EQ(main.m_nTypeGen, kType13);
    EXPECT_EQ(main.GetDataPath(), ".");
    const std::string report = "The program folder cannot be read (longer than 255 characters): "
                               "its files are named relative to the current folder";
    EXPECT_EQ(sim::World::Get().systemReports, std::vector<std::string>{report});
    EXPECT_TRUE(LogHas("[E] " + report + "\r\n")) << Log();
}

TEST_F(MainWindow, AboutItemIsAddedToTheSystemMenu) {
    WriteIni("");
    Start();
    EXPECT_EQ(State().systemMenuId, static_cast<UINT>(kIdSysAbout));
    EXPECT_EQ(State().systemMenuItem, L"Relvan \uC815\uBCF4(&A)...");
    EXPECT_EQ(State().bigIcon, IDR_MAINFRAME);
}

class ConsoleWindow : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        RecordingConsole::calls.clear();
        SetConsolePanelFactory(MakeRecordingConsole);
        WriteIni(Ini("15", ""));
    }
    void TearDown() override {
        DialogFixture::TearDown();
        SetConsolePanelFactory(nullptr);
    }
};

TEST_F(ConsoleWindow, WithoutAHostTheMainWindowFramesTheConsole) {
    theApp.m_strHostTitle.clear();
    Start();
    EXPECT_FALSE(State().itemShown.at(kIdOk));
    EXPECT_FALSE(State().itemShown.at(kIdStaticNotice));
    EXPECT_EQ(State().windowRect.Height(), 325);
    EXPECT_EQ(State().windowRect.Width(), 400);
    Advance(250);
    EXPECT_EQ(RecordingConsole::calls,
              (std::vector<std::string>{"create", "show 5", "power on", "show 5"}));
    EXPECT_FALSE(sim::World::Get().TrayIconShown());
}

TEST_F(ConsoleWindow, WithAHostBothWindowsShrinkAndTheTrayIconIsAdded) {
    CRelvanDlg& main = Start();
    EXPECT_EQ(State().windowRect.Width(), 10);
    EXPECT_EQ(State().windowRect.Height(), 50);
    Advance(250);
    EXPECT_TRUE(sim::World::Get().TrayIconShown());
    RecordingConsole::calls.clear();
    main.PostMessage(WM_CLOSE);
    Advance(10);
    EXPECT_EQ(RecordingConsole::calls, (std::vector<std::string>{"exit"}));
    EXPECT_NE(main.GetSafeHwnd(), nullptr); // the console's exit path ends the program
    main.DestroyWindow();
    EXPECT_EQ(RecordingConsole::calls.back(), "destroy");
    EXPECT_EQ(main.m_pConsole, nullptr);
}

// At shutdown or logoff no timer will fire: the console powers off at once,
// the tray icon goes, and the program ends.
TEST_F(ConsoleWindow, TheEndOfTheSessionPowersTheConsoleOffAtOnce) {
    CRelvanDlg& main = Start();
    Advance(250);
    RecordingConsole::calls.clear();
    HWND hwnd = main.GetSafeHwnd();
    main.SendMessage(WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(RecordingConsole::calls, (std::vector<std::string>{"power off"}));
    EXPECT_FALSE(sim::World::Get().TrayIconShown());
    Advance(10);
    EXPECT_TRUE(sim::StateOf(hwnd)->ended);
}

TEST_F(ConsoleWindow, APanelThatCannotBeCreatedIsLoggedAndLeftOut) {
    RecordingConsole::createFails = true;
    CRelvanDlg& main = Start();
    RecordingConsole::createFails = false;
    EXPECT_EQ(main.m_pConsole, nullptr);
    EXPECT_TRUE(LogHas("[E] Can't create the console panel\r\n"));
    Advance(250);
    EXPECT_EQ(RecordingConsole::calls, (std::vector<std::string>{"create"}));
}

TEST(StartUp, ASecondCopyQuitsWithoutAWindow) {
    sim::World::Get().Reset();
    sim::World::Get().otherInstanceOf = "relvan.exe";
    char name[] = "relvan.exe";
    char title[] = "Host";
    char* argv[] = {name, title};
    EXPECT_EQ(theApp.InitInstance(2, argv), FALSE);
    EXPECT_EQ(sim::World::Get().quitCode, 0);
    EXPECT_TRUE(theApp.m_strHostTitle.empty());
}

TEST(StartUp, TheFirstCopyMovesToItsFolderAndKeepsTheHostTitle) {
    sim::World::Get().Reset();
    sim::World::Get().modulePath = "/nonexistent\\Relvan\\RELVAN.exe";
    char name[] = "relvan.exe";
    char title[] = "My Host Window";
    char extra[] = "ignored";
    char* argv[] = {name, title, extra};
    EXPECT_EQ(theApp.InitInstance(3, argv), FALSE);
    EXPECT_EQ(sim::World::Get().quitCode, -1);
    EXPECT_EQ(sim::World::Get().currentDirectory, "/nonexistent\\Relvan\\");
    EXPECT_EQ(theApp.m_strHostTitle, "My Host Window");
    EXPECT_TRUE(sim::World::Get().systemReports.empty());
    theApp.m_strHostTitle.clear();
}

TEST(StartUp, AProgramPathTooLongToReadIsReportedAndTheFolderLeftAsItIs) {
    sim::World::Get().Reset();
    sim::World::Get().currentDirectory = "/nonexistent";
    sim::World::Get().modulePath = "/nonexistent\\" + std::string(250, 'x') + "\\relvan.exe";
    char name[] = "relvan.exe";
    char* argv[] = {name};
    EXPECT_EQ(theApp.InitInstance(1, argv), FALSE);
    EXPECT_EQ(sim::World::Get().currentDirectory, "/nonexistent");
    ASSERT_EQ(sim::World::Get().systemReports.size(), 1u);
    EXPECT_EQ(sim::World::Get().systemReports[0],
              "The program folder cannot be made the current folder; Lumora.ini and the log are "
              "taken from the current folder /nonexistent");
}

// A lost device is logged once; then all is quiet (no poll, no handshake,
// host commands refused at once, no line per reopen try) until the device is
// back, when the port opens again and the protocol starts as at start-up.
TEST_F(MainWindow, ALostDeviceIsLoggedOnceThenQuietAndReopenedWhenItComesBack) {
    struct Case {
        std::string ini;
        std::string device;
        Bytes reply;         // keeps the poll cycle going before the loss
        Bytes restart;       // written in the first second after the reopen
        std::string command; // a host command, and how it goes out
        Bytes commandFrame;
        std::string reopened; // the log line
    };
    const Bytes hello11 = {0x01, 0x35, 0x00, 0x01, 0x01, 0x38};
    const auto join = [](Bytes a, const Bytes& b) {
        return a.insert(a.end(), b.begin(), b.end()), a;
    };
    const Case cases[] = {
        {Ini("11", "COMPORT=5\r\nEnableDebug=1\r\n"), kCom5, SumFrame("KV70"),
         join(hello11, SumFrame("ST")), "KV81", SumFrame("KV81"),
         "[I] Reopened generator port:5 Baud:19200\r\n"},
        {Ini("13", "COMPORT=2\r\nEnableDebug=1\r\n"), "COM2", HexFrame("OK"),
         join(HexFrame("BD1A"), HexFrame("A1C1")), "A1D0K80", HexFrame("A1D0K80"),
         "[I] Reopened generator port:2 Baud:57600\r\n"},
        {Ini("17", "COMPORT=3\r\nUseMiniConsole=1\r\nEnableDebug=1\r\n"),
         "COM3",
         {},
         LinkFrame('C', "R"),
         "KV81",
         LinkFrame('C', "KV81"),
         "[I] Reopened generator port:3 Baud:38400\r\n"},
    };
    for (const Case& c : cases) {
        WriteIni(c.ini);
        Device(c.device);
        CRelvanDlg& main = Start();
        Advance(1000);
        Receive(c.device, c.reply);
        Advance(500);
        sim::World::Get().Lose(c.device, 1167);
        sim::World::Get().Lose(c.device, 1167);
        sim::World::Get().Settle();
        const std::string lostLog = Log();
        const std::string line =
            "[E] Lost generator port:" + std::to_string(main.m_nComPort) + " (error 1167)\r\n";
        EXPECT_NE(lostLog.find(line), std::string::npos) << lostLog;
        EXPECT_EQ(lostLog.find(line), lostLog.rfind(line)) << "logged once";
        EXPECT_EQ(main.m_bConnected, 0) << c.ini;

        ClearWritten(c.device);
        for (int i = 0; i < 20; ++i) {
            SendRecord(kKindGeneratorCommand, static_cast<DWORD>(c.command.size() + 1),
                       c.command.c_str());
        }
        Advance(7000); // two quiet tries while the device stays away
        EXPECT_TRUE(Written(c.device).empty()) << c.ini;
        EXPECT_EQ(Log(), lostLog) << c.ini;
        EXPECT_EQ(sim::World::Get().TimerRemaining(main.GetSafeHwnd(), kTimerReopenPort), 2000)
            << c.ini;

        Device(c.device);
        Advance(2000);
        const std::string reopenLog = Log();
        EXPECT_EQ(reopenLog.substr(lostLog.size() + 13, c.reopened.size()), c.reopened)
            << reopenLog;
        Advance(1000);
        EXPECT_EQ(Written(c.device), c.restart) << c.ini;
        ClearWritten(c.device);
        SendRecord(kKindGeneratorCommand, static_cast<DWORD>(c.command.size() + 1),
                   c.command.c_str());
        sim::World::Get().Settle();
        EXPECT_EQ(Written(c.device), c.commandFrame) << c.ini;
        EXPECT_TRUE(sim::World::Get().MessageBoxes().empty());
        dlg.reset();
        std::remove((m_dir + "/log/20261207_Kel.log").c_str());
    }
}
