// Records from the host (WM_COPYDATA): generator commands, console commands
// and parameter lists, and the console panel's messages to the main window.
// A record is untrusted: its text is read only within the delivered block.
#include "app/RelvanDlg.h"
#include "bridge/DebugLog.h"
#include "bridge/DecimalText.h"
#include "bridge/StatusText.h"
#include "bridge/TextFormat.h"
#include "console/ConsolePanel.h"
#include "platform/Messages.h"

namespace {

// Generator-command codes above this one control the link instead.
constexpr DWORD kHostControlCodes = 1000;
constexpr DWORD kSuspendPoll13 = 1011;
constexpr DWORD kVersionFlag17 = 1021;
constexpr UINT kResumePoll13Ms = 250;

constexpr DWORD kConsolePower = 100;
constexpr DWORD kConsoleStatus = 111;
constexpr UINT kConsoleStatusDelayMs = 20;

// The texts that type 11 sends itself when polling.
bool IsPollCommand11(const std::string& text) {
    return text == "ST" || text == "RS" || text == "RR";
}

} // namespace

void CRelvanDlg::OnCopyData(HWND /*from*/, const HostRecord& record) {
    switch (record.kind) {
    case kKindGeneratorCommand:
        OnGeneratorCommand(record);
        break;
    case kKindConsoleCommand:
        OnConsoleCommand(record);
        break;
    case kKindParameterList:
        OnParameterList(record);
        break;
    default:
        WriteTrace(*this, FormatText("Host record of unknown kind %lu ignored",
                                     static_cast<unsigned long>(record.kind)));
        break;
    }
}

void CRelvanDlg::OnGeneratorCommand(const HostRecord& record) {
    const std::string text = RecordText(record);
    switch (m_nTypeGen) {
    case kType11:
        if (!IsPollCommand11(text)) {
            SendType11(text);
        }
        break;
    case kType13:
        if (record.cbData <= kHostControlCodes) {
            SendType13(text);
            break;
        }
        m_nStep = 0;
        m_bPollSuspended = record.cbData == kSuspendPoll13 ? 1 : 0;
        if (m_bPollSuspended == 0) {
            KillTimer(kTimerPoll13);
            if (!m_strLastD0.empty()) {
                SendType13(m_strLastD0);
            }
            if (!m_strLastC0.empty()) {
                SendType13(m_strLastC0);
            }
            SetTimer(kTimerPoll13, kResumePoll13Ms);
        }
        break;
    case kType17:
        if (record.cbData > kHostControlCodes) {
            m_bHostFlag1021 = record.cbData == kVersionFlag17 ? 1 : 0;
        } else {
            SendType17(text, 0);
        }
        break;
    default:
        break;
    }
}

void CRelvanDlg::OnConsoleCommand(const HostRecord& record) {
    const std::string text = RecordText(record);
    if (record.cbData == kConsoleStatus) {
        SetTimer(kTimerConsoleStatus, kConsoleStatusDelayMs);
        return;
    }
    if (record.cbData == kConsolePower && m_pConsole == nullptr) {
        CreateHostConsole();
    }
    if (m_pConsole == nullptr) {
        WriteTrace(*this, FormatText("Console command %lu ignored: no console",
                                     static_cast<unsigned long>(record.cbData)));
        return;
    }
    if (record.cbData != kConsolePower) {
        m_pConsole->HostCommand(record.cbData, text);
    } else if (LeadingInt(text) == 2) {
        m_pConsole->PowerOff();
    } else {
        m_pConsole->PowerOn();
    }
}

// A console made on the host's request: a modeless child, not shown here.
void CRelvanDlg::CreateHostConsole() {
    m_pConsole = MakeConsolePanel();
    if (m_pConsole != nullptr && !m_pConsole->CreatePanel(this)) {
        WriteLog("Can't create the console panel", CLogFile::kError);
        delete m_pConsole;
        m_pConsole = nullptr;
    }
}

void CRelvanDlg::OnConsoleMessage(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_PCOP_CHARGED:
        SendNumberToHost(1);
        break;
    case WM_PCOP_POWEROFF:
        SendNumberToHost(0);
        break;
    case WM_PCOP_STATUSTEXT:
        // Any process may post this message: only a number of a text that
        // waits in our own table gives something to log.
        if (const std::optional<std::string> text = TakeStatusText(wParam)) {
            WriteDetail(*this, *text);
        }
        break;
    default:
        break;
    }
}
