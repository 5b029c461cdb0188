// What the main window needs of the operator console panel (generator type 15,
// or created on the host's request). The panel implements this interface; the
// main window owns it through m_pConsole and reaches it only through here.
#pragma once

#include "platform/Dialog.h"

#include <string>

class IConsolePanel {
public:
    virtual ~IConsolePanel() = default;

    // Creates the panel's window as a modeless child of `parent`.
    virtual bool CreatePanel(CDialog* parent) = 0;
    virtual void ShowPanel(int showCommand) = 0;
    virtual WindowRect PanelClientRect() const = 0;
    virtual void MovePanel(int x, int y, int width, int height) = 0;
    virtual void DestroyPanel() = 0;

    // The same as the panel's "HFG POWER ON" and "HFG POWER OFF" buttons.
    virtual void PowerOn() = 0;
    virtual void PowerOff() = 0;
    // The panel's EXIT button (WM_COMMAND 1018); its exit path ends the program.
    virtual void Exit() = 0;
    // A console command from the host (kind 742067, codes other than 100 and 111).
    virtual void HostCommand(unsigned code, const std::string& text) = 0;
    // The status text reported to the host (kind 112).
    virtual std::string StatusText() const = 0;
};

// Makes a console panel owned by the caller (null when none can be made).
using ConsolePanelFactory = IConsolePanel* (*)();
IConsolePanel* MakeConsolePanel();
// Replaces the factory (the native tests install a recording panel); null
// gives back the console panel CPCOPDlg.
void SetConsolePanelFactory(ConsolePanelFactory factory);
