#include "console/ConsolePanel.h"

namespace {

// The console panel is not part of this build yet: the main window then runs
// without one, exactly as it does for a type-15 start where creation fails.
IConsolePanel* NoConsolePanel() {
    return nullptr;
}

ConsolePanelFactory g_consoleFactory = NoConsolePanel;

} // namespace

IConsolePanel* MakeConsolePanel() {
    return g_consoleFactory();
}

void SetConsolePanelFactory(ConsolePanelFactory factory) {
    g_consoleFactory = factory ? factory : NoConsolePanel;
}
