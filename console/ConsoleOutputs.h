// What the console's rules ask of the panel window that hosts them: its
// timers, its messages to the owner (the main window), the beeper, a blocking
// wait, the log and the console data root. The panel (CPCOPDlg) implements
// it with Win32; the native tests with the simulated desktop.
#pragma once

#include <string>

class IConsoleOutputs {
public:
    virtual ~IConsoleOutputs() = default;

    // Panel window timers; their WM_TIMER goes to CConsole::OnTimer. Setting
    // a running id replaces it.
    virtual void SetPanelTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillPanelTimer(unsigned id) = 0;

    // To the owner; nothing happens when the panel has none.
    // WM_PCOP_STATUSTEXT, posted (the text travels with the message).
    virtual void PostStatusText(const std::string& text) = 0;
    // WM_PCOP_STATUSTEXT, sent synchronously.
    virtual void SendStatusText(const std::string& text) = 0;
    virtual void PostCharged() = 0;      // WM_PCOP_CHARGED
    virtual void PostPoweredOff() = 0;   // WM_PCOP_POWEROFF
    virtual void PostCloseRequest() = 0; // WM_COMMAND IDCANCEL
    // The actual mAs of the last exposure, for the host (the owner's
    // SendStringToHost, kind 114).
    virtual void SendValueToHost(const std::string& text) = 0;

    virtual void Beep(unsigned frequencyHz, unsigned durationMs) = 0;
    // Blocks the panel's thread: no message or timer is handled meanwhile.
    virtual void Wait(unsigned ms) = 0;
    // The owner's WriteLog (levels 1 error, 2 warning, 3 information, 4 debug).
    virtual void Log(const std::string& text, int level) = 0;
    // The owner's GetDataPath: the console data root, without a trailing
    // backslash.
    virtual std::string DataRoot() const = 0;
};
