// Windows shutdown and logoff. The process may be ended as soon as
// WM_ENDSESSION returns, so everything that must not be left behind is done
// here, at once: the console powers off (its lines released first, the host
// told), the ports close and the tray icon goes. No timer is waited for; the
// modal loop is then asked to end, in case the process lives on.
#include "app/RelvanDlg.h"

#include "console/ConsolePanel.h"
#include "platform/Messages.h"

void CRelvanDlg::OnEndSession(bool ending) {
    if (!ending) {
        return;
    }
    WriteLog("Windows session ending: powering off", CLogFile::kInfo);
    if (m_pConsole != nullptr) {
        m_pConsole->PowerOff();
    }
    ClosePorts();
    SetTrayIcon(NIM_DELETE);
    PostMessage(WM_COMMAND, kIdCancel, 0);
}
