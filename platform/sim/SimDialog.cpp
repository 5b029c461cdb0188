// The simulated face of CDialog: windows live in sim::World, which delivers
// their posted messages and timers on the virtual clock.
#include "platform/sim/SimDialog.h"

#include "platform/sim/SimWorld.h"

#include <map>

namespace {

std::map<HWND, sim::DialogState>& States() {
    static std::map<HWND, sim::DialogState> states;
    return states;
}

} // namespace

namespace sim {

DialogState* StateOf(HWND hwnd) {
    auto it = States().find(hwnd);
    return it == States().end() ? nullptr : &it->second;
}

WindowRect TemplateClientRect(int templateId) {
    // Sizes in pixels of the program's dialog templates at the default font.
    switch (templateId) {
    case 102:
        return {0, 0, 300, 120};
    case 100:
        return {0, 0, 350, 110};
    case 103:
        return {0, 0, 988, 684};
    default:
        return {0, 0, 200, 100};
    }
}

bool TemplateVisible(int templateId) {
    return templateId != 103; // the console panel is a child, shown when asked
}

} // namespace sim

CDialog::CDialog(int templateId) : m_templateId(templateId) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        sim::World::Get().RemoveWindow(m_hWnd);
        States().erase(m_hWnd);
    }
}

bool CDialog::Create(CDialog* parent) {
    m_hWnd = sim::World::Get().AddWindow(this);
    sim::DialogState& state = States()[m_hWnd];
    state = sim::DialogState();
    state.templateId = m_templateId;
    state.parent = parent ? parent->GetSafeHwnd() : nullptr;
    state.clientRect = sim::TemplateClientRect(m_templateId);
    state.windowRect = state.clientRect;
    state.visible = sim::TemplateVisible(m_templateId);
    OnInitDialog();
    return true;
}

// A simulated modal dialog is closed at once, as by an operator pressing OK.
std::intptr_t CDialog::DoModal() {
    if (!Create(nullptr)) {
        return -1;
    }
    if (m_hWnd != nullptr) {
        EndDialog(IDOK);
    }
    return IDOK;
}

void CDialog::EndDialog(std::intptr_t result) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->ended = true;
        state->endResult = result;
    }
    // Ending a modal dialog destroys its window.
    DestroyWindow();
}

void CDialog::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return;
    }
    LRESULT ignored = 0;
    WindowProc(WM_DESTROY, 0, 0, ignored);
    sim::World::Get().RemoveWindow(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

bool CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message == WM_COMMAND && (wParam & 0xFFFF) == IDCANCEL) {
        EndDialog(IDCANCEL);
        result = 0;
        return true;
    }
    return false;
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT elapseMs) {
    return sim::World::Get().SetTimer(m_hWnd, id, elapseMs);
}

BOOL CDialog::KillTimer(UINT_PTR id) {
    return sim::World::Get().KillTimer(m_hWnd, id);
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    sim::World::Get().Post(m_hWnd, message, wParam, lParam);
    return TRUE;
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    WindowProc(message, wParam, lParam, result);
    return result;
}

WindowRect CDialog::GetClientRect() const {
    const sim::DialogState* state = sim::StateOf(m_hWnd);
    return state ? state->clientRect : WindowRect{};
}

void CDialog::MoveWindow(int x, int y, int width, int height) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->windowRect = {x, y, x + width, y + height};
    }
}

void CDialog::ShowWindow(int showCommand) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->visible = showCommand != SW_HIDE;
        if (showCommand == SW_RESTORE) {
            state->iconic = false;
        }
    }
}

bool CDialog::IsWindowVisible() const {
    const sim::DialogState* state = sim::StateOf(m_hWnd);
    return state && state->visible;
}

bool CDialog::IsIconic() const {
    const sim::DialogState* state = sim::StateOf(m_hWnd);
    return state && state->iconic;
}

void CDialog::ShowDlgItem(int id, bool show) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->itemShown[id] = show;
    }
}

void CDialog::EnableItem(int id, bool enable) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->itemEnabled[id] = enable;
    }
}

void CDialog::SetItemText(int id, const std::string& text) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->itemText[id] = text;
    }
}

void CDialog::SetItemBitmap(int id, int bitmapId) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->itemBitmap[id] = bitmapId;
    }
}

void CDialog::SetIcon(int iconId) {
    if (sim::DialogState* state = sim::StateOf(m_hWnd)) {
        state->bigIcon = iconId;
        state->smallIcon = iconId;
    }
}

void CDialog::DrawIconCentred(int) {}

bool CDialog::AppendSystemMenuItem(UINT commandId, const std::wstring& text) {
    sim::DialogState* state = sim::StateOf(m_hWnd);
    if (state == nullptr) {
        return false;
    }
    state->systemMenuId = commandId;
    state->systemMenuItem = text;
    return true;
}

std::wstring LoadResourceString(UINT id) {
    return id == 101 ? L"Relvan \uC815\uBCF4(&A)..." : std::wstring();
}
