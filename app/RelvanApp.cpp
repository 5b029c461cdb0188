#include "app/RelvanApp.h"

#include "app/OtherInstance.h"
#include "app/RelvanDlg.h"
#include "platform/Instance.h"
#include "platform/System.h"

#include <memory>

CRelvanApp theApp;

namespace {

// The folder of a module path, up to and including its last backslash.
std::string FolderOfModule(const std::string& modulePath) {
    const std::size_t slash = modulePath.find_last_of('\\');
    return slash == std::string::npos ? std::string() : modulePath.substr(0, slash + 1);
}

} // namespace

int CRelvanApp::InitInstance(int argc, char** argv) {
    auto holder = std::make_unique<OtherInstance>();
    if (holder->IsOtherInstanceRunning()) {
        platform::PostQuit(0);
        return FALSE;
    }
    holder.reset();

    const std::string folder = FolderOfModule(platform::ModuleFileName());
    if (folder.empty() || !platform::ChangeDirectory(folder)) {
        platform::ReportToSystem("The program folder cannot be made the current folder; "
                                 "Lumora.ini and the log are taken from the current folder " +
                                 platform::CurrentDirectory());
    }
    if (argc > 1 && argv[1] != nullptr) {
        m_strHostTitle = argv[1];
    }

    CRelvanDlg dlg;
    dlg.DoModal();
    return FALSE;
}
