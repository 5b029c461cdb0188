// The Win32 face of the desktop: window lookup by title, WM_COPYDATA, message
// boxes and the notification-area icon.
#include "platform/Desktop.h"

#include <shellapi.h>

#include <atomic>
#include <cstring>
#include <memory>

namespace {

// The lookup reads a title as far as 260 characters, as a window's caption
// is commonly read.
bool TitleIs(HWND window, const std::string& title) {
    char text[261] = {};
    GetWindowTextA(window, text, sizeof text);
    return title == text;
}

// An aside box is open (its thread waits in MessageBoxA).
std::atomic<bool> g_asideBoxOpen{false};

struct AsideBox {
    std::string text;
    std::string caption;
    UINT type;
};

DWORD WINAPI ShowAsideBox(LPVOID parameter) {
    const std::unique_ptr<AsideBox> box(static_cast<AsideBox*>(parameter));
    MessageBoxA(nullptr, box->text.c_str(), box->caption.c_str(), box->type);
    g_asideBoxOpen = false;
    return 0;
}

} // namespace

namespace platform {

// The first top-level window in the system's order (that of EnumWindows)
// whose title is exactly `title`. FindWindowEx does the walk within the window
// manager and compares without regard to case, so each window it finds is
// checked byte for byte; reading every window's title from here would cost
// one call to the window manager per window, before every message to the host.
HWND FindTopLevelWindow(const std::string& title) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, nullptr, title.c_str())) != nullptr) {
        if (TitleIs(candidate, title)) {
            return candidate;
        }
    }
    return nullptr;
}

LRESULT SendCopyData(HWND to, HWND from, DWORD kind, DWORD cbData, const void* data) {
    COPYDATASTRUCT record{};
    record.dwData = kind;
    record.cbData = cbData;
    record.lpData = const_cast<void*>(data);
    return SendMessageA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                        reinterpret_cast<LPARAM>(&record));
}

int ShowMessageBox(const std::string& text, const std::string& caption, UINT type) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
}

bool ShowMessageBoxAside(const std::string& text, const std::string& caption, UINT type) {
    if (g_asideBoxOpen.exchange(true)) {
        return false;
    }
    // The box thread owns its copy of the texts and touches nothing else.
    auto* box = new AsideBox{text, caption, type};
    HANDLE thread = CreateThread(nullptr, 0, ShowAsideBox, box, 0, nullptr);
    if (thread == nullptr) {
        delete box;
        g_asideBoxOpen = false;
        return false;
    }
    CloseHandle(thread);
    return true;
}

bool NotifyTrayIcon(HWND owner, DWORD operation, UINT callbackMessage, int iconId,
                    const std::string& tip) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
    std::strncpy(data.szTip, tip.c_str(), sizeof data.szTip - 1);
    return Shell_NotifyIconA(operation, &data) != FALSE;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

} // namespace platform
