#include "tools/hostsim/HostWindow.h"

#include "tools/hostsim/Output.h"
#include "tools/hostsim/RecordFormat.h"

namespace hostsim {
namespace {

constexpr char kClassName[] = "RelvanHostSimulator";
constexpr UINT_PTR kExitTimer = 1;
constexpr UINT kSendTimeoutMs = 10000;

std::string g_target;

HWND findTarget() {
    // The same lookup the program makes for its host: exact title, first match.
    return FindWindowA(nullptr, g_target.c_str());
}

void sendRecord(HWND self, const OutgoingRecord& record) {
    HWND target = findTarget();
    if (target == nullptr) {
        printLine("SEND-FAIL no window titled " + quoted(g_target));
        return;
    }
    COPYDATASTRUCT cds{};
    cds.dwData = record.kind;
    cds.cbData = record.cbData;
    cds.lpData = record.nullData ? nullptr : const_cast<unsigned char*>(record.block.data());
    DWORD_PTR result = 0;
    printRecordLine(describeSent(record));
    if (!SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                             reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, kSendTimeoutMs,
                             &result)) {
        printLine("SEND-FAIL error=" + std::to_string(GetLastError()));
    }
}

LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA:
        printRecordLine(describeRecord(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
        return TRUE;
    case WM_HOSTSIM_SEND:
        sendRecord(hwnd, *reinterpret_cast<const OutgoingRecord*>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kExitTimer) {
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

bool registerClass() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

} // namespace

HWND createHostWindow(const std::string& title, const std::string& target, DWORD exitAfterMs) {
    g_target = target;
    if (!registerClass()) {
        return nullptr;
    }
    HWND hwnd =
        CreateWindowA(kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      320, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd != nullptr && exitAfterMs > 0) {
        SetTimer(hwnd, kExitTimer, exitAfterMs, nullptr);
    }
    return hwnd;
}

} // namespace hostsim
