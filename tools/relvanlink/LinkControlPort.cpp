// The link control's serial port: opened when needed, watched by the line's
// threads, closed and tried again every second when it is gone, and what the
// container must know of it raised as the PortState event.
#include "tools/relvanlink/LinkCodes.h"
#include "tools/relvanlink/LinkControlObject.h"
#include "tools/relvanlink/LinkPortName.h"

#include <string>

namespace {

constexpr UINT kReopenMs = 1000;
// The line's own notices, posted by its threads into the event mailbox
// beside the device's events (whose ids are never negative).
constexpr int kLostNotice = -1;
constexpr int kUnwrittenNotice = -2;

std::string ErrorText(DWORD error) {
    return "error " + std::to_string(error);
}

} // namespace

std::string LinkControlObject::PortName() const {
    return LinkPortName(m_settings.port);
}

HRESULT LinkControlObject::OpenPort(std::string& text) {
    if (m_line.IsLost()) {
        OnPortLost(ERROR_DEVICE_NOT_CONNECTED);
    }
    if (m_line.IsOpen()) {
        return S_OK;
    }
    if (!m_settingsRead) {
        m_settings = ReadLinkSettings();
        m_settingsRead = true;
    }
    if (m_settings.port == 0) {
        text = m_settings.portText.empty()
                   ? "USB link has no port: LinkPort is not set"
                   : "USB link has no port: LinkPort \"" + m_settings.portText + "\" names none";
        return LINK_E_NOPORT;
    }
    m_assembler = LineAssembler();
    const unsigned generation = ++m_generation;
    const bool opened = m_line.Open(
        m_settings.port, m_settings.baud,
        [this](const char* data, std::size_t size) { ReceiveBytes(data, size); },
        [this, generation](SerialLine::Trouble trouble, DWORD error) {
            OnTrouble(trouble, error, generation);
        });
    if (opened) {
        m_mailbox.StopTimer();
        ShowPort(PortShown::Up, "open", "USB link " + PortName() + " is open again");
        return S_OK;
    }
    const DWORD error = m_line.OpenError();
    text = "USB link " + PortName() + " cannot be opened: " + ErrorText(error);
    ShowPort(PortShown::Down, "failed", text);
    m_mailbox.StartTimer(kReopenMs);
    return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The port opens with the control only where the control runs: not in a
// container in design mode.
void LinkControlObject::OpenWhenRunning() {
    std::string text;
    if (SiteInUserMode()) {
        OpenPort(text);
    }
}

// On the line's reader or writer thread: handed to the control's thread.
void LinkControlObject::OnTrouble(SerialLine::Trouble trouble, DWORD error, unsigned generation) {
    const int notice = trouble == SerialLine::Trouble::Lost ? kLostNotice : kUnwrittenNotice;
    m_mailbox.Post(notice, {std::to_string(generation), std::to_string(error)});
}

// Notices about an earlier opening of the port are stale: that port was
// already closed and reported.
void LinkControlObject::OnNotice(int id, const LineFields& args) {
    if (args.size() != 2 || args[0] != std::to_string(m_generation)) {
        return;
    }
    const DWORD error = std::stoul(args[1]);
    if (id == kLostNotice) {
        OnPortLost(error);
    } else if (id == kUnwrittenNotice && m_line.IsOpen()) {
        m_events.Fire(kPortStateEvent,
                      {PortName(), "unwritten",
                       "USB link " + PortName() + " did not write a call: " + ErrorText(error)});
    }
}

void LinkControlObject::OnPortLost(DWORD error) {
    if (!m_line.IsLost()) {
        return;
    }
    m_line.Close();
    ++m_generation;
    ShowPort(PortShown::Down, "lost", "USB link " + PortName() + " lost: " + ErrorText(error));
    m_mailbox.StartTimer(kReopenMs);
}

void LinkControlObject::OnReopenTick() {
    std::string text;
    if (SUCCEEDED(OpenPort(text))) {
        m_mailbox.StopTimer();
    }
}

// Changes only: the first opening is not news, nor a failure after a failure.
// Raised from the mailbox, never inside a call into the control.
void LinkControlObject::ShowPort(PortShown shown, const char* state, const std::string& text) {
    const PortShown before = m_portShown;
    m_portShown = shown;
    if (shown == before || (shown == PortShown::Up && before == PortShown::Nothing)) {
        return;
    }
    m_mailbox.Post(kPortStateEvent, {PortName(), state, text});
}

HRESULT LinkControlObject::WriteCall(int id, const LineFields& args, std::string& text) {
    const HRESULT opened = OpenPort(text);
    if (FAILED(opened)) {
        return opened;
    }
    if (!m_line.Write(CallLine(id, args))) {
        text = "USB link " + PortName() + " takes nothing: its calls wait";
        return LINK_E_LINEFULL;
    }
    return S_OK;
}
