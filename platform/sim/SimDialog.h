// What the simulated desktop knows of a dialog beyond the World's tables:
// placement, visibility and what was set on the controls. Native tests read it.
#pragma once

#include "platform/Dialog.h"

#include <cstdint>
#include <map>
#include <string>

namespace sim {

struct DialogState {
    int templateId = 0;
    HWND parent = nullptr;
    WindowRect windowRect; // screen position and size
    WindowRect clientRect; // from the template
    bool visible = false;
    bool iconic = false;
    bool ended = false;
    std::intptr_t endResult = 0;
    int bigIcon = 0;
    int smallIcon = 0;
    std::map<int, bool> itemShown;
    // What the program set on its controls, by id (the template's start
    // values are not known here).
    std::map<int, bool> itemEnabled;
    std::map<int, std::string> itemText;
    std::map<int, int> itemBitmap;
    std::wstring systemMenuItem;
    UINT systemMenuId = 0;
};

// The state of the dialog with this window; null for unknown windows.
DialogState* StateOf(HWND hwnd);
// The client size that a dialog template gives (the templates of the program).
WindowRect TemplateClientRect(int templateId);
// Whether a window made from the template is visible from its creation.
bool TemplateVisible(int templateId);

} // namespace sim
