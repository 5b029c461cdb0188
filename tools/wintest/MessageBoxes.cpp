#include "tools/wintest/MessageBoxes.h"

namespace wintest {
namespace {

std::string classOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string textOf(HWND hwnd) {
    char text[4096] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM param) {
    auto* text = reinterpret_cast<std::string*>(param);
    if (lstrcmpiA(classOf(child).c_str(), "Static") == 0) {
        const std::string part = textOf(child);
        if (!part.empty()) {
            if (!text->empty()) {
                *text += '\n';
            }
            *text += part;
        }
    }
    return TRUE;
}

BOOL CALLBACK findButton(HWND child, LPARAM param) {
    if (lstrcmpiA(classOf(child).c_str(), "Button") == 0) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string messageBoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, collectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

bool pressFirstButton(HWND box) {
    HWND button = nullptr;
    EnumChildWindows(box, findButton, reinterpret_cast<LPARAM>(&button));
    if (button == nullptr) {
        return false;
    }
    // What a click on the button amounts to for the box's dialog procedure.
    const int id = GetDlgCtrlID(button);
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != 0;
}

} // namespace wintest
