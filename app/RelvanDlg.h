// CRelvanDlg: the program's one top-level window and the owner of everything
// else: the generator link, the console panel, the log, the timers and the
// conversation with the host. Its methods are spread over files by concern:
//   app/RelvanDlg.cpp            construction, set-up per type, shutdown, dispatch
//   app/PortRecovery.cpp         a lost generator port, opened again
//   app/SessionEnd.cpp           Windows shutdown and logoff
//   app/Configuration.cpp        reading the INI file
//   app/WriteLog.cpp             the one path of every log entry
//   protocols/Type11Protocol.cpp, Type13Protocol.cpp, Type17Protocol.cpp
//   bridge/HostInterface.cpp     WM_COPYDATA in and out
//   bridge/CommandTranslation.cpp  parameter lists
//   bridge/StatusPolling.cpp     the window timers
// Everything runs on the GUI thread; the port threads reach it only through
// synchronous WM_PORT_CHAR and WM_LINK_DATA messages, whose bytes the window
// takes from the port that sent them.
#pragma once

#include "app/TimerBatch.h"
#include "bridge/HostRecord.h"
#include "platform/Dialog.h"
#include "res/resource.h"
#include "support/LogFile.h"
#include "support/Profile.h"

#include <cstdint>
#include <string>

class CControlDeskPort;
class CLinkPort;
class IConsolePanel;
struct Type17Unit;

// Program-wide values.
extern std::string g_strAppDir; // the program folder, ending in a backslash
extern CProfile g_profile;      // bound to "%sLumora.ini" at set-up
extern HWND g_hHostWnd;         // the host window found by the last FindHostWindow

// Window timers of the main window.
enum MainTimer : UINT_PTR {
    kTimerStartup = 100,
    kTimerFirstStatus = 101,
    kTimerConsoleStatus = 105,
    kTimerPoll11 = 108,
    kTimerParamStep = 109,
    kTimerPoll13 = 110,
    kTimerLinkTimeout13 = 111,
    kTimerReconnect17 = 112,
    // Our own: a type-11 reply that stops coming before its checksum is
    // dropped after a second, and the poll cycle goes on.
    kTimerReplyTimeout11 = 113,
    // Our own: while the generator port's device is gone, it is opened again
    // every few seconds (app/PortRecovery.cpp).
    kTimerReopenPort = 114,
};

// Generator types (INI "TypeGen").
enum GeneratorType : int {
    kTypeDefault = 2,
    kType11 = 11,
    kType13 = 13,
    kType15 = 15,
    kType17 = 17,
    kType11Alias = 41,
};

class CRelvanDlg : public CDialog {
public:
    CRelvanDlg();
    ~CRelvanDlg() override;

    BOOL OnInitDialog() override;
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // 0 adds the tray icon, 2 deletes it; the shell's result.
    BOOL SetTrayIcon(DWORD operation);
    // "COM1".."COM4", "\\.\COM5".."\\.\COM10", otherwise empty.
    static std::string PortNameFor(int portNumber);
    std::string GetDataPath() const { return m_strDataPath; }
    // Every log entry of the program goes through here.
    void WriteLog(const std::string& text, int level);
    // The window's timers, as CDialog's, except that while a port delivery is
    // handled the changes wait for its end (TimerBatch).
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    BOOL KillTimer(UINT_PTR id);

    // Type 11 (sum frames, item replies).
    void SendType11(const std::string& command);
    void OnType11Byte(std::uint8_t byte, unsigned portNumber);
    int OnType11Item(const std::string& code, const std::string& value);
    // Type 13 (hex frames, acknowledged replies).
    void SendType13(const std::string& command);
    void OnType13Byte(std::uint8_t byte, unsigned portNumber);
    // Type 17 (SYN frames through the link port).
    void SendType17(const std::string& command, int unused);
    // The bytes of one block as received (zero bytes included).
    void OnType17Data(const std::string& block);

    // The host.
    bool FindHostWindow();
    int SendTextToHost(int index, const std::string& text);
    void SendNumberToHost(int value);
    void SendStringToHost(const std::string& text);
    void SendConsoleStatusToHost();
    // Sends the next item of a parameter list (timer 109).
    void SetCommand();

    // Read-only views for the tests and the tools.
    int TypeGen() const { return m_nTypeGen; }

protected:
    // Message handlers.
    bool OnSysCommand(UINT id);
    void ShowAboutBox();
    bool OnPaint();
    void OnDestroy();
    void OnClose();
    void OnEndSession(bool ending);
    void OnTimer(UINT_PTR id);
    void OnStartupTimer();
    void OnCopyData(HWND from, const HostRecord& record);
    LRESULT OnByteReceived(WPARAM wParam, LPARAM lParam);
    LRESULT OnFrameReceived(WPARAM wParam, LPARAM lParam);
    void OnPortLost(unsigned long errorCode);
    void OnConsoleMessage(UINT message, WPARAM wParam);

    // Set-up.
    void ReadConfiguration();
    void MoveOffScreen();
    void OpenType11();
    void OpenType13();
    void OpenType17();
    void CreateType15Console();
    void ClosePorts();
    // Opens the generator port object of this type with the configured
    // settings and starts what an open port starts at once (the watch thread,
    // type 11's start-up bytes); true when it opened.
    bool OpenGeneratorPort();
    // Lost device: the port is closed, the protocol stopped, and the port
    // opened again on timer 114; once it opens, the protocol starts afresh.
    void StopProtocolOnLoss();
    void ReopenPort();
    void RestartProtocol();
    void StartPolling13();
    void StartHandshake17();

    // Host records by kind.
    void OnGeneratorCommand(const HostRecord& record);
    void OnConsoleCommand(const HostRecord& record);
    void OnParameterList(const HostRecord& record);
    void CreateHostConsole();

    // Poll steps.
    void PollType11();
    void PollType13();
    void OnReplyTimeout11();
    void OnLinkTimeout13();
    void ReconnectType17();
    void StartPollTimer11();

    // Type 17 reply handling: one unit cut from the stream, and its piece
    // (framing stripped).
    void OnType17Unit(const Type17Unit& unit);
    void OnType17Frame(std::string piece);

public:
    // Members in the order of the window's data model.
    CControlDeskPort* m_pPort = nullptr;
    int m_bConnected = 0;
    std::uint8_t m_cLastRx = 0;
    std::string m_strRxBuf;
    std::string m_strIniPath;
    int m_nTypeGen = kTypeDefault;
    CLogFile m_log;
    IConsolePanel* m_pConsole = nullptr;
    int m_hIcon = IDR_MAINFRAME;
    std::string m_strDataPath;
    int m_bEnableDebug = 0;
    int m_nStep = 0;
    UINT_PTR m_nPollTimer = 0;
    std::string m_strLastCmd;
    std::string m_strParamList;
    int m_bUseMiniConsole = 0;
    int m_nInterval = 100;
    CLinkPort* m_pLinkPort = nullptr;
    int m_bPollSuspended = 0;
    int m_bHostFlag1021 = 0;
    int m_bReconnect = 0;
    int m_nDevice = 0;
    std::string m_strLastD0;
    std::string m_strLastC0;
    // Configured link settings, kept for the log lines and the reopen.
    int m_nComPort = 2;
    int m_nBaudRate = 0;
    // The generator port's device went away and has not been opened again.
    bool m_bPortLost = false;
    // The tray icon is wanted: it is added again when the shell restarts.
    bool m_bTrayIconAdded = false;
    // Port deliveries being handled (nested ones included); WM_CLOSE waits
    // until there are none, and the timer changes they make are held here.
    int m_nDeliveryDepth = 0;
    TimerBatch m_deliveryTimers;
};
