// The Win32 face of CDialog: dialogs from the program's resources, with the
// object found through DWLP_USER and its WindowProc called for every message.
#include "platform/Dialog.h"

#include <map>

namespace {

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

// Bitmap resources shown in static controls, loaded at first use and kept
// for the life of the program (a static control does not own its image).
HBITMAP SharedBitmap(int bitmapId) {
    static std::map<int, HBITMAP> loaded;
    auto it = loaded.find(bitmapId);
    if (it == loaded.end()) {
        HANDLE image = LoadImageW(Instance(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0);
        it = loaded.emplace(bitmapId, static_cast<HBITMAP>(image)).first;
    }
    return it->second;
}

} // namespace

struct DialogAccess {
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            auto* dialog = reinterpret_cast<CDialog*>(lParam);
            SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
            dialog->m_hWnd = hwnd;
            return dialog->OnInitDialog();
        }
        auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
        if (dialog == nullptr) {
            return FALSE;
        }
        LRESULT result = 0;
        const bool handled = dialog->WindowProc(message, wParam, lParam, result);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            dialog->m_hWnd = nullptr;
        }
        if (!handled) {
            return FALSE;
        }
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
};

CDialog::CDialog(int templateId) : m_templateId(templateId) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        ::DestroyWindow(m_hWnd);
    }
}

// A modal dialog with a message loop of its own. The system's modal loop peeks
// at the queue before every wait, a second trip to the window system for each
// message (every 10 ms timer of the console panel), which this loop does not
// make. Otherwise it does what that loop does: the dialog is shown even when
// its template is not visible, keyboard navigation goes through
// IsDialogMessage, and the loop ends with EndDialog, with the window's end, or
// with WM_QUIT, which it leaves in the queue for the loop outside.
std::intptr_t CDialog::DoModal() {
    m_bModal = true;
    m_bEnded = false;
    m_nModalResult = -1;
    if (CreateDialogParamW(Instance(), MAKEINTRESOURCEW(m_templateId), nullptr, DialogAccess::Proc,
                           reinterpret_cast<LPARAM>(this)) == nullptr) {
        m_bModal = false;
        return -1;
    }
    if (!m_bEnded && !::IsWindowVisible(m_hWnd)) {
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    }
    MSG message{};
    while (!m_bEnded && m_hWnd != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) {
            break;
        }
        if (!IsDialogMessageW(m_hWnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    m_bModal = false;
    if (m_hWnd != nullptr) {
        ::DestroyWindow(m_hWnd);
    }
    return m_nModalResult;
}

bool CDialog::Create(CDialog* parent) {
    HWND owner = parent ? parent->GetSafeHwnd() : nullptr;
    return CreateDialogParamW(Instance(), MAKEINTRESOURCEW(m_templateId), owner, DialogAccess::Proc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

// Ends DoModal's loop once the handler that calls it has returned (a message
// wakes the loop should it be waiting); a modeless dialog is only hidden.
void CDialog::EndDialog(std::intptr_t result) {
    if (!m_bModal) {
        ::EndDialog(m_hWnd, result);
        return;
    }
    m_nModalResult = result;
    m_bEnded = true;
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CDialog::DestroyWindow() {
    if (m_hWnd != nullptr) {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

bool CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(IDCANCEL);
        result = 0;
        return true;
    }
    return false;
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT elapseMs) {
    return ::SetTimer(m_hWnd, id, elapseMs, nullptr);
}

BOOL CDialog::KillTimer(UINT_PTR id) {
    return ::KillTimer(m_hWnd, id);
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

WindowRect CDialog::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void CDialog::MoveWindow(int x, int y, int width, int height) {
    ::MoveWindow(m_hWnd, x, y, width, height, TRUE);
}

void CDialog::ShowWindow(int showCommand) {
    ::ShowWindow(m_hWnd, showCommand);
}

bool CDialog::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd) != FALSE;
}

bool CDialog::IsIconic() const {
    return ::IsIconic(m_hWnd) != FALSE;
}

void CDialog::ShowDlgItem(int id, bool show) {
    if (HWND item = GetDlgItem(m_hWnd, id)) {
        ::ShowWindow(item, show ? SW_SHOW : SW_HIDE);
    }
}

void CDialog::EnableItem(int id, bool enable) {
    if (HWND item = GetDlgItem(m_hWnd, id)) {
        ::EnableWindow(item, enable ? TRUE : FALSE);
    }
}

void CDialog::SetItemText(int id, const std::string& text) {
    ::SetDlgItemTextA(m_hWnd, id, text.c_str());
}

void CDialog::SetItemBitmap(int id, int bitmapId) {
    ::SendDlgItemMessageW(m_hWnd, id, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(SharedBitmap(bitmapId)));
}

void CDialog::SetIcon(int iconId) {
    HICON big = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), LR_SHARED));
    HICON small = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void CDialog::DrawIconCentred(int iconId) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    HICON icon = LoadIconW(Instance(), MAKEINTRESOURCEW(iconId));
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    WindowRect client = GetClientRect();
    DrawIcon(dc, (client.Width() - iconWidth + 1) / 2, (client.Height() - iconHeight + 1) / 2,
             icon);
    EndPaint(m_hWnd, &paint);
}

bool CDialog::AppendSystemMenuItem(UINT commandId, const std::wstring& text) {
    HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (menu == nullptr) {
        return false;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, commandId, text.c_str());
    return true;
}

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer to the resource itself.
    const int length = LoadStringW(Instance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length))
                                         : std::wstring();
}
