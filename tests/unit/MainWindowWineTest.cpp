// The main window's resources with the real Win32 API: the About item of the
// system menu reads correctly whatever the system code page.
#include "SupportWinTempFolder.h"

#include "app/RelvanDlg.h"
#include "platform/Desktop.h"
#include "platform/Instance.h"
#include "res/resource.h"

#include <gtest/gtest.h>

TEST(MainWindowWine, SystemMenuEndsWithTheAboutItemInKorean) {
    WinTempFolder folder;
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(platform::ChangeDirectory(folder.Path()));
    {
        CRelvanDlg dialog;
        ASSERT_TRUE(dialog.Create(nullptr)) << GetLastError();
        HMENU menu = GetSystemMenu(dialog.GetSafeHwnd(), FALSE);
        ASSERT_NE(menu, nullptr);
        const int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        EXPECT_EQ(GetMenuItemID(menu, count - 1), 16u);
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, L"Relvan \uC815\uBCF4(&A)...");
        MENUITEMINFOW separator{};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(count - 2), TRUE, &separator);
        EXPECT_NE(separator.fType & MFT_SEPARATOR, 0u);
        dialog.DestroyWindow();
    }
    platform::ChangeDirectory(previous);
}

namespace {

// The first copy's main window, minimised, on a thread that then hangs.
struct FirstCopy {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND window = nullptr;
};

DWORD WINAPI RunHungFirstCopy(LPVOID parameter) {
    auto* first = static_cast<FirstCopy*>(parameter);
    first->window = CreateWindowExA(0, "STATIC", "first copy", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                    nullptr, nullptr, nullptr, nullptr);
    ShowWindow(first->window, SW_MINIMIZE);
    SetEvent(first->ready);
    WaitForSingleObject(first->release, INFINITE); // no message is handled meanwhile
    DestroyWindow(first->window);
    return 0;
}

DWORD WINAPI BringForward(LPVOID window) {
    platform::BringToForeground(static_cast<HWND>(window));
    return 0;
}

} // namespace

TEST(MainWindowWine, ASecondCopyRestoresTheFirstWithoutWaitingOnIt) {
    FirstCopy first;
    HANDLE owner = CreateThread(nullptr, 0, RunHungFirstCopy, &first, 0, nullptr);
    WaitForSingleObject(first.ready, INFINITE);
    ASSERT_TRUE(IsIconic(first.window));
    HANDLE second = CreateThread(nullptr, 0, BringForward, first.window, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(second, 10000), WAIT_OBJECT_0) << "held by the hung window";
    SetEvent(first.release);
    WaitForSingleObject(owner, INFINITE);
    WaitForSingleObject(second, INFINITE);
    for (HANDLE handle : {owner, second, first.ready, first.release}) {
        CloseHandle(handle);
    }
}

namespace {

// A modal dialog whose first timer notes whether it is shown, then ends it
// with 7, or posts WM_QUIT with 3.
class ModalProbe : public CDialog {
public:
    explicit ModalProbe(bool quit) : CDialog(IDD_ABOUTBOX), m_bQuit(quit) {}
    bool shown = false;

    BOOL OnInitDialog() override {
        SetTimer(1, 10);
        return TRUE;
    }
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_TIMER) {
            return CDialog::WindowProc(message, wParam, lParam, result);
        }
        KillTimer(1);
        shown = IsWindowVisible();
        if (m_bQuit) {
            PostQuitMessage(3);
        } else {
            EndDialog(7);
        }
        return true;
    }

private:
    bool m_bQuit;
};

} // namespace

TEST(MainWindowWine, AModalDialogIsShownAndEndsByEndDialogOrByQuit) {
    ModalProbe ended(false);
    EXPECT_EQ(ended.DoModal(), 7);
    EXPECT_TRUE(ended.shown) << "a template without WS_VISIBLE is shown all the same";
    EXPECT_EQ(ended.GetSafeHwnd(), nullptr) << "the window is destroyed";

    ModalProbe quit(true);
    EXPECT_EQ(quit.DoModal(), -1);
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "WM_QUIT is left for the loop outside";
    EXPECT_EQ(message.wParam, 3u);
}

// The host is the first window whose title is exactly the given one: a window
// above it whose title differs only in case is passed over, and a title longer
// than a caption is read is never matched.
TEST(MainWindowWine, TheHostWindowIsFoundByItsExactTitle) {
    const std::string longTitle(300, 'h');
    HWND exact =
        CreateWindowA("STATIC", "Imaging Host", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    HWND other =
        CreateWindowA("STATIC", "IMAGING HOST", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    HWND longer = CreateWindowA("STATIC", longTitle.c_str(), 0, 0, 0, 1, 1, nullptr, nullptr,
                                nullptr, nullptr);
    SetWindowPos(exact, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(platform::FindTopLevelWindow("Imaging Host"), exact);
    EXPECT_EQ(platform::FindTopLevelWindow("IMAGING HOST"), other);
    EXPECT_EQ(platform::FindTopLevelWindow("imaging host"), nullptr);
    EXPECT_EQ(platform::FindTopLevelWindow(longTitle), nullptr);
    for (HWND window : {exact, other, longer}) {
        DestroyWindow(window);
    }
}

// The application manifest of relvan.rc, as the loader read it: this test
// program carries the same resources.
TEST(MainWindowWine, TheManifestAsksForTheInvokersRightsOnTheListedSystems) {
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel{};
    SIZE_T size = 0;
    ASSERT_TRUE(QueryActCtxW(0, nullptr, nullptr, RunlevelInformationInActivationContext, &runLevel,
                             sizeof runLevel, &size));
    EXPECT_EQ(runLevel.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(runLevel.UiAccess, 0u);
    DWORD compatibility[64] = {}; // the number of systems, then their elements
    ASSERT_TRUE(QueryActCtxW(0, nullptr, nullptr, CompatibilityInformationInActivationContext,
                             compatibility, sizeof compatibility, &size));
    EXPECT_EQ(compatibility[0], 5u) << "Vista, 7, 8, 8.1 and 10";
}
