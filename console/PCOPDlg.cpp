#include "console/PCOPDlg.h"

#include "app/RelvanDlg.h"
#include "bridge/StatusText.h"
#include "platform/Messages.h"
#include "platform/System.h"
#include "res/resource.h"

namespace {

// WM_COMMAND's notification code of a button click.
constexpr unsigned kClicked = 0;

} // namespace

CPCOPDlg::CPCOPDlg()
    : CDialog(IDD_PCOP_DIALOG),
      m_faces(MakePanelFaces([this](const std::string& text, int level) { Log(text, level); })),
      m_console(m_faces->Link(), m_faces->Port(), *this, g_profile) {}

CPCOPDlg::~CPCOPDlg() {
    DestroyPanel();
}

bool CPCOPDlg::CreatePanel(CDialog* parent) {
    m_pOwner = parent;
    m_pMainWindow = dynamic_cast<CRelvanDlg*>(parent);
    return Create(parent);
}

void CPCOPDlg::ShowPanel(int showCommand) {
    ShowWindow(showCommand);
}

WindowRect CPCOPDlg::PanelClientRect() const {
    return GetClientRect();
}

void CPCOPDlg::MovePanel(int x, int y, int width, int height) {
    MoveWindow(x, y, width, height);
}

void CPCOPDlg::DestroyPanel() {
    DestroyWindow();
}

void CPCOPDlg::PowerOn() {
    m_console.PowerOn();
    ShowView();
}

void CPCOPDlg::PowerOff() {
    m_console.PowerOff();
    ShowView();
}

void CPCOPDlg::Exit() {
    m_console.Exit();
    ShowView();
}

void CPCOPDlg::HostCommand(unsigned code, const std::string& text) {
    m_console.OnHostCommand(code, text);
    ShowView();
}

std::string CPCOPDlg::StatusText() const {
    return m_console.HostStatusText();
}

BOOL CPCOPDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CreateLinkControl();
    m_console.OnInitDialog();
    const std::string portStatus = m_faces->PortStatusText();
    if (!portStatus.empty()) {
        m_console.ShowStatus(portStatus);
    }
    ShowView();
    return TRUE;
}

// Without the link control the panel still opens and runs everything that
// needs no link; the faces have logged why it is missing.
void CPCOPDlg::CreateLinkControl() {
    const bool created = m_faces->CreateLink(
        *this,
        [this](int eventId, const LinkArgs& args) {
            m_console.OnLinkEvent(eventId, args);
            ShowView();
        },
        [this](const std::string& text) {
            m_console.ShowStatus(text);
            ShowView();
        });
    if (!created) {
        m_console.ShowStatus("USB Link Control Missing !!");
    }
}

bool CPCOPDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_COMMAND:
        OnCommand(wParam);
        return true;
    case WM_TIMER:
        m_console.OnTimer(static_cast<unsigned>(wParam));
        ShowView();
        return true;
    case WM_CLOSE:
        // The panel never closes itself: the owner decides.
        m_console.OnClose();
        return true;
    case WM_DESTROY:
        m_console.OnDestroy();
        m_faces->DestroyLink();
        return false;
    default:
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}

// Clicks go to the rules. Enter and Esc (IDOK, IDCANCEL) and the edit boxes'
// notifications do nothing.
void CPCOPDlg::OnCommand(WPARAM wParam) {
    const int id = static_cast<int>(wParam & 0xFFFF);
    const unsigned code = static_cast<unsigned>((wParam >> 16) & 0xFFFF);
    if (code != kClicked || id < panel::kFirstControl || id > panel::kLastControl) {
        return;
    }
    m_console.OnCommand(id);
    ShowView();
}

void CPCOPDlg::ShowView() {
    if (GetSafeHwnd() == nullptr) {
        return;
    }
    // Called after every event, the 10 ms polls included: only what changed
    // is shown, and only that is copied.
    const panel::PanelView& view = m_console.State().m_view;
    for (int id = panel::kFirstControl; id <= panel::kLastControl; ++id) {
        if (!m_bViewShown || view[id] != m_shown[id]) {
            ShowControl(id, view[id], m_bViewShown ? &m_shown[id] : nullptr);
            m_shown[id] = view[id];
        }
    }
    m_bViewShown = true;
}

void CPCOPDlg::ShowControl(int id, const panel::ControlView& view,
                           const panel::ControlView* shown) {
    switch (panel::KindOf(id)) {
    case panel::ControlKind::kEdit:
        if (shown == nullptr || view.text != shown->text) {
            SetItemText(id, view.text);
        }
        [[fallthrough]];
    case panel::ControlKind::kButton:
        if (shown == nullptr || view.enabled != shown->enabled) {
            EnableItem(id, view.enabled);
        }
        break;
    case panel::ControlKind::kLamp:
        if (shown == nullptr || view.lit != shown->lit) {
            SetItemBitmap(id, view.lit ? IDB_LAMP_LIT : IDB_LAMP_UNLIT);
        }
        break;
    case panel::ControlKind::kLinkControl:
        break;
    }
}

void CPCOPDlg::SetPanelTimer(unsigned id, unsigned periodMs) {
    SetTimer(id, periodMs);
}

void CPCOPDlg::KillPanelTimer(unsigned id) {
    KillTimer(id);
}

void CPCOPDlg::PostStatusText(const std::string& text) {
    if (m_pOwner != nullptr) {
        ::PostStatusText(*m_pOwner, text);
    }
}

void CPCOPDlg::SendStatusText(const std::string& text) {
    if (m_pOwner != nullptr) {
        ::SendStatusText(*m_pOwner, text);
    }
}

void CPCOPDlg::PostCharged() {
    if (m_pOwner != nullptr) {
        m_pOwner->PostMessage(WM_PCOP_CHARGED);
    }
}

void CPCOPDlg::PostPoweredOff() {
    if (m_pOwner != nullptr) {
        m_pOwner->PostMessage(WM_PCOP_POWEROFF);
    }
}

void CPCOPDlg::PostCloseRequest() {
    if (m_pOwner != nullptr) {
        m_pOwner->PostMessage(WM_COMMAND, kIdCancel, 0);
    }
}

void CPCOPDlg::SendValueToHost(const std::string& text) {
    if (m_pMainWindow != nullptr) {
        m_pMainWindow->SendStringToHost(text);
    }
}

void CPCOPDlg::Beep(unsigned frequencyHz, unsigned durationMs) {
    platform::Beep(frequencyHz, durationMs);
}

void CPCOPDlg::Wait(unsigned ms) {
    platform::Pause(ms);
}

void CPCOPDlg::Log(const std::string& text, int level) {
    if (m_pMainWindow != nullptr) {
        m_pMainWindow->WriteLog(text, level);
    }
}

std::string CPCOPDlg::DataRoot() const {
    return m_pMainWindow != nullptr ? m_pMainWindow->GetDataPath() : std::string();
}
