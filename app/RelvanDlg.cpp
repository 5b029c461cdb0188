// CRelvanDlg: construction, set-up per generator type, the message dispatch,
// the tray icon and shutdown.
#include "app/RelvanDlg.h"

#include "app/RelvanApp.h"
#include "console/ConsolePanel.h"
#include "platform/Desktop.h"
#include "platform/Instance.h"
#include "platform/Messages.h"
#include "serial/ControlDeskPort.h"
#include "serial/LinkPort.h"

#include <cstdio>

namespace {

// The off-screen place of the hidden main window of the serial types.
constexpr int kOffScreenY = -1024;

// Start-up bytes of a type-11 generator; the last is the sum of the others.
constexpr std::uint8_t kType11Hello[] = {0x01, 0x35, 0x00, 0x01, 0x01, 0x38};

// A port delivery being handled: the port's thread waits for it to return.
// The timer changes it made are made when the outermost one ends.
class DeliveryScope {
public:
    explicit DeliveryScope(CRelvanDlg& dialog) : m_dialog(dialog) { ++m_dialog.m_nDeliveryDepth; }
    ~DeliveryScope() {
        if (--m_dialog.m_nDeliveryDepth == 0) {
            m_dialog.m_deliveryTimers.Apply(m_dialog);
        }
    }
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;

private:
    CRelvanDlg& m_dialog;
};

std::string Format(const char* format, int a, int b) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

} // namespace

CRelvanDlg::CRelvanDlg() : CDialog(IDD_RELVAN_DIALOG) {}

CRelvanDlg::~CRelvanDlg() {
    ClosePorts();
    delete m_pConsole;
}

BOOL CRelvanDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    std::wstring about = LoadResourceString(IDS_ABOUTBOX);
    if (!about.empty()) {
        AppendSystemMenuItem(kIdSysAbout, about);
    }
    SetIcon(m_hIcon);
    // A second start of the program brings this window forward.
    platform::PublishMainWindow(GetSafeHwnd());
    ReadConfiguration();
    switch (m_nTypeGen) {
    case kType11:
        OpenType11();
        break;
    case kType17:
        OpenType17();
        break;
    case kType15:
        CreateType15Console();
        break;
    case kType13:
        OpenType13();
        break;
    default:
        break;
    }
    SetTimer(kTimerStartup, 250);
    return TRUE;
}

std::string CRelvanDlg::PortNameFor(int portNumber) {
    if (portNumber >= 1 && portNumber <= 4) {
        return "COM" + std::to_string(portNumber);
    }
    if (portNumber >= 5 && portNumber <= 10) {
        return "\\\\.\\COM" + std::to_string(portNumber);
    }
    return std::string();
}

void CRelvanDlg::MoveOffScreen() {
    WindowRect client = GetClientRect();
    MoveWindow(0, kOffScreenY, client.Width() + 5, client.Height() + 25);
}

void CRelvanDlg::OpenType11() {
    MoveOffScreen();
    m_nBaudRate = g_profile.GetInt("GENERATOR", "BaudRate", 19200);
    m_pPort = new CControlDeskPort();
    if (OpenGeneratorPort()) {
        if (m_bEnableDebug == 1) {
            WriteLog(Format("Connected generator port:%d Baud:%d", m_nComPort, m_nBaudRate), 3);
        }
    } else if (m_bEnableDebug == 1) {
        WriteLog(Format("Can't connect generator port:%d Baud:%d", m_nComPort, m_nBaudRate), 3);
    }
}

void CRelvanDlg::OpenType13() {
    MoveOffScreen();
    m_nBaudRate = g_profile.GetInt("GENERATOR", "BaudRate", 57600);
    m_pPort = new CControlDeskPort();
    if (OpenGeneratorPort()) {
        if (m_bEnableDebug == 1) {
            WriteLog(Format("Connected generator port:%d Baud:%d", m_nComPort, m_nBaudRate), 3);
        }
    } else {
        WriteLog(Format("Can't connect generator port:%d Baud:%d", m_nComPort, m_nBaudRate), 3);
    }
}

void CRelvanDlg::OpenType17() {
    MoveOffScreen();
    const std::string variant = m_bUseMiniConsole == 1 ? "miniconsole" : "console";
    m_nBaudRate = g_profile.GetInt("GENERATOR", "BaudRate", 38400);
    m_pLinkPort = new CLinkPort();
    const std::string linePrefix = Format("generator port:%d Baud:%d", m_nComPort, m_nBaudRate);
    if (OpenGeneratorPort()) {
        if (m_bEnableDebug == 1) {
            WriteLog("Connected " + linePrefix + " with " + variant + ".", 3);
        }
        StartHandshake17();
    } else {
        WriteLog("Can't connect " + linePrefix + " with " + variant + ".", 3);
    }
}

bool CRelvanDlg::OpenGeneratorPort() {
    const auto baud = static_cast<unsigned>(m_nBaudRate);
    const auto port = static_cast<unsigned>(m_nComPort);
    switch (m_nTypeGen) {
    case kType11:
        if (m_pPort == nullptr || m_pPort->Open(this, port, baud, 'N', 8, 2, EV_RXCHAR, 100) != 1) {
            return false;
        }
        m_pPort->StartWatch();
        m_pPort->QueueBytes(kType11Hello, sizeof kType11Hello);
        break;
    case kType13:
        if (m_pPort == nullptr || m_pPort->Open(this, port, baud, 'N', 8, 1, EV_RXCHAR, 100) != 1) {
            return false;
        }
        m_pPort->StartWatch();
        break;
    case kType17:
        if (m_pLinkPort == nullptr ||
            m_pLinkPort->Open(this, PortNameFor(m_nComPort), baud, 0) != 1) {
            return false;
        }
        break;
    default:
        return false;
    }
    m_bConnected = 1;
    return true;
}

// The mini-console's handshake: R, and the reconnect cycle if no answer
// comes within 10 s.
void CRelvanDlg::StartHandshake17() {
    if (m_bUseMiniConsole == 1) {
        SendType17("R", 0);
        m_bReconnect = 1;
        SetTimer(kTimerReconnect17, 10000);
    }
}

// "BD1A", and the poll cycle half a second later.
void CRelvanDlg::StartPolling13() {
    SendType13("BD1A");
    SetTimer(kTimerPoll13, 500);
}

void CRelvanDlg::CreateType15Console() {
    ShowDlgItem(kIdOk, false);
    ShowDlgItem(kIdStaticNotice, false);
    m_pConsole = MakeConsolePanel();
    if (m_pConsole == nullptr || !m_pConsole->CreatePanel(this)) {
        WriteLog("Can't create the console panel", CLogFile::kError);
        delete m_pConsole;
        m_pConsole = nullptr;
        return;
    }
    m_pConsole->ShowPanel(SW_SHOW);
    if (theApp.m_strHostTitle.empty()) {
        // The main window becomes the console's visible frame.
        WindowRect rect = m_pConsole->PanelClientRect();
        rect.bottom += 25;
        MoveWindow(rect.left, rect.top, rect.Width(), rect.Height());
    } else {
        m_pConsole->MovePanel(0, 0, 2, 2);
        MoveWindow(0, 0, 10, 50);
    }
}

void CRelvanDlg::OnStartupTimer() {
    switch (m_nTypeGen) {
    case kType11:
        SetTimer(kTimerFirstStatus, 250);
        SetTrayIcon(NIM_ADD);
        break;
    case kType13:
        SetTrayIcon(NIM_ADD);
        StartPolling13();
        break;
    case kType15:
        if (m_pConsole != nullptr) {
            m_pConsole->PowerOn();
            m_pConsole->ShowPanel(SW_SHOW);
            if (!theApp.m_strHostTitle.empty()) {
                SetTrayIcon(NIM_ADD);
            }
        }
        break;
    case kType17:
        break;
    default:
        SetTrayIcon(NIM_ADD);
        break;
    }
}

BOOL CRelvanDlg::SetTrayIcon(DWORD operation) {
    m_bTrayIconAdded = operation == NIM_ADD;
    ShowWindow(SW_HIDE);
    return platform::NotifyTrayIcon(GetSafeHwnd(), operation, WM_TRAY_NOTIFY, m_hIcon, "Relvan")
               ? TRUE
               : FALSE;
}

bool CRelvanDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    const UINT taskbarCreated = platform::TaskbarCreatedMessage();
    if (taskbarCreated != 0 && message == taskbarCreated) {
        // The shell started again without our icon.
        if (m_bTrayIconAdded) {
            SetTrayIcon(NIM_ADD);
        }
        return true;
    }
    switch (message) {
    case WM_PCOP_CHARGED:
    case WM_PCOP_POWEROFF:
    case WM_PCOP_STATUSTEXT:
        OnConsoleMessage(message, wParam);
        return true;
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam));
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        result = m_hIcon;
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return true;
    case WM_COPYDATA:
        OnCopyData(reinterpret_cast<HWND>(wParam), HostRecordFrom(lParam));
        return false; // the default handling answers
    case WM_PORT_CHAR:
        result = OnByteReceived(wParam, lParam);
        return true;
    case WM_COMMAND:
        if ((wParam & 0xFFFF) == kIdOk) {
            return true; // OK and Enter do nothing
        }
        break;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_QUERYENDSESSION:
        result = TRUE; // the session may end: WM_ENDSESSION powers off
        return true;
    case WM_ENDSESSION:
        OnEndSession(wParam != 0);
        return true;
    case WM_LINK_DATA:
        result = OnFrameReceived(wParam, lParam);
        return true;
    case WM_PORT_LOST:
        OnPortLost(static_cast<unsigned long>(wParam));
        return true;
    case WM_TRAY_NOTIFY:
        return true; // the tray icon has no menu and no action
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam, result);
}

bool CRelvanDlg::OnSysCommand(UINT id) {
    if ((id & 0xFFF0) != kIdSysAbout) {
        return false;
    }
    ShowAboutBox();
    return true;
}

void CRelvanDlg::ShowAboutBox() {
    CDialog about(IDD_ABOUTBOX);
    about.DoModal();
}

bool CRelvanDlg::OnPaint() {
    if (!IsIconic()) {
        return false;
    }
    DrawIconCentred(m_hIcon);
    return true;
}

// Only our own port's deliveries count: a WM_PORT_CHAR or WM_LINK_DATA that
// another process posted or sent carries no number the port has on offer, and
// is ignored.
UINT_PTR CRelvanDlg::SetTimer(UINT_PTR id, UINT elapseMs) {
    if (m_nDeliveryDepth == 0) {
        return CDialog::SetTimer(id, elapseMs);
    }
    m_deliveryTimers.Set(id, elapseMs);
    return id;
}

BOOL CRelvanDlg::KillTimer(UINT_PTR id) {
    if (m_nDeliveryDepth == 0) {
        return CDialog::KillTimer(id);
    }
    m_deliveryTimers.Kill(id);
    return TRUE;
}

LRESULT CRelvanDlg::OnByteReceived(WPARAM wParam, LPARAM lParam) {
    std::vector<std::uint8_t> bytes;
    if (m_pPort == nullptr || !m_pPort->TakeReceived(wParam, bytes)) {
        return 0;
    }
    const DeliveryScope scope(*this);
    const auto portNumber = static_cast<unsigned>(lParam);
    for (const std::uint8_t byte : bytes) {
        if (m_nTypeGen == kType11) {
            OnType11Byte(byte, portNumber);
        } else if (m_nTypeGen == kType13) {
            OnType13Byte(byte, portNumber);
        }
    }
    return 0;
}

LRESULT CRelvanDlg::OnFrameReceived(WPARAM wParam, LPARAM lParam) {
    if (lParam <= 0) {
        return -1;
    }
    std::vector<std::uint8_t> bytes;
    if (m_pLinkPort == nullptr || !m_pLinkPort->TakeReceived(wParam, bytes)) {
        return 0;
    }
    if (m_nTypeGen == kType17) {
        const DeliveryScope scope(*this);
        OnType17Data(std::string(bytes.begin(), bytes.end()));
    }
    return 1;
}

void CRelvanDlg::ClosePorts() {
    if (m_pPort != nullptr) {
        m_pPort->Close();
        delete m_pPort;
        m_pPort = nullptr;
    }
    if (m_pLinkPort != nullptr) {
        m_pLinkPort->Close();
        delete m_pLinkPort;
        m_pLinkPort = nullptr;
    }
}

// A close that comes while a port delivery is handled (a host that closes us
// from inside the reply we forward to it) would wait for the port's thread,
// which waits for us: it is carried out once the handler has returned.
void CRelvanDlg::OnClose() {
    if (m_nDeliveryDepth > 0) {
        PostMessage(WM_CLOSE);
        return;
    }
    switch (m_nTypeGen) {
    case kType11:
    case kType13:
    case kType17:
        ClosePorts();
        PostMessage(WM_COMMAND, kIdCancel, 0);
        break;
    case kType15:
        if (m_pConsole != nullptr) {
            m_pConsole->Exit();
        }
        break;
    default:
        break; // the window stays
    }
}

void CRelvanDlg::OnDestroy() {
    switch (m_nTypeGen) {
    case kType11:
        KillTimer(m_nPollTimer);
        ClosePorts();
        break;
    case kType13:
    case kType17:
        ClosePorts();
        break;
    case kType15:
        if (m_pConsole != nullptr) {
            m_pConsole->DestroyPanel();
            delete m_pConsole;
            m_pConsole = nullptr;
        }
        break;
    default:
        break;
    }
    SetTrayIcon(NIM_DELETE);
    if (platform::SharedMainWindow() == GetSafeHwnd()) {
        platform::PublishMainWindow(nullptr);
    }
}
