#include "bridge/StatusText.h"

#include "platform/Dialog.h"
#include "platform/Messages.h"

bool PostStatusText(CDialog& mainWindow, const std::string& text) {
    auto* owned = new std::string(text);
    if (!mainWindow.PostMessage(WM_PCOP_STATUSTEXT, reinterpret_cast<WPARAM>(owned))) {
        delete owned;
        return false;
    }
    return true;
}

std::unique_ptr<std::string> TakeStatusText(WPARAM wParam) {
    return std::unique_ptr<std::string>(reinterpret_cast<std::string*>(wParam));
}
