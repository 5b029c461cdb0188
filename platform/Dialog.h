// CDialog: a dialog window made from a dialog template, with the little of a
// framework that the program needs: a window procedure to override, timers,
// posted and sent messages, controls shown, hidden, enabled, given a text or a
// bitmap, and window placement.
//
// Two faces implement it: platform/win32 (real dialogs, the product) and
// platform/sim (a simulated desktop on a virtual clock, for native tests).
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

class CDialog {
public:
    explicit CDialog(int templateId);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the value given to EndDialog, or -1
    // when the window cannot be created or the loop ends without it (WM_QUIT,
    // the window destroyed).
    std::intptr_t DoModal();
    // Creates the dialog as a modeless child of `parent` (or top-level when
    // null); returns false when the window cannot be created.
    bool Create(CDialog* parent);
    void EndDialog(std::intptr_t result);
    void DestroyWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

    virtual BOOL OnInitDialog();
    // The window procedure. Returns true when the message was handled, with
    // its answer in `result`; false lets the default dialog handling run.
    // The base handles WM_COMMAND IDCANCEL by ending the dialog.
    virtual bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Window timers. Setting a running id again replaces that timer.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    BOOL KillTimer(UINT_PTR id);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    WindowRect GetClientRect() const;
    void MoveWindow(int x, int y, int width, int height);
    void ShowWindow(int showCommand);
    bool IsWindowVisible() const;
    bool IsIconic() const;
    void ShowDlgItem(int id, bool show);
    void EnableItem(int id, bool enable);
    void SetItemText(int id, const std::string& text);
    // Shows bitmap resource `bitmapId` in the static control `id` (a lamp).
    // Each bitmap is loaded once and kept for the life of the program; a
    // missing one leaves the control without image.
    void SetItemBitmap(int id, int bitmapId);

    // Uses icon resource `iconId` as the big and small window icon.
    void SetIcon(int iconId);
    // Draws icon resource `iconId` centred in the client area (minimised window).
    void DrawIconCentred(int iconId);
    // Appends a separator and an item with `commandId` to the system menu;
    // false when the window has no system menu.
    bool AppendSystemMenuItem(UINT commandId, const std::wstring& text);

protected:
    HWND m_hWnd = nullptr;

private:
    friend struct DialogAccess;
    int m_templateId;
    // DoModal's own loop (Win32 face): set while it runs, and by EndDialog.
    bool m_bModal = false;
    bool m_bEnded = false;
    std::intptr_t m_nModalResult = -1;
};

// Loads a string resource as UTF-16, so that it shows correctly whatever the
// system code page is. Empty when the resource does not exist.
std::wstring LoadResourceString(UINT id);
