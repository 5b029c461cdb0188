#include "console/ConsolePanel.h"

#include "console/PCOPDlg.h"

namespace {

IConsolePanel* MakePCOPDlg() {
    return new CPCOPDlg();
}

ConsolePanelFactory g_consoleFactory = MakePCOPDlg;

} // namespace

IConsolePanel* MakeConsolePanel() {
    return g_consoleFactory();
}

void SetConsolePanelFactory(ConsolePanelFactory factory) {
    g_consoleFactory = factory ? factory : MakePCOPDlg;
}
