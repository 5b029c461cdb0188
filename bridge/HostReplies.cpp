// Messages to the host: the host's window is looked up by its exact title
// before every send, so a host that restarts is found again.
#include "app/RelvanApp.h"
#include "app/RelvanDlg.h"
#include "console/ConsolePanel.h"
#include "platform/Desktop.h"

#include <algorithm>
#include <array>
#include <cstring>

HWND g_hHostWnd = nullptr;

namespace {

constexpr std::size_t kReplyItemBlock = 260;
constexpr std::size_t kReplyItemTextOffset = 4;
constexpr std::size_t kConsoleBlock = 128;

// Copies at most block size - offset - 1 characters, so a NUL always follows.
template <std::size_t N>
void PutText(std::array<std::uint8_t, N>& block, std::size_t offset, const std::string& text) {
    const std::size_t length = std::min(text.size(), N - offset - 1);
    std::memcpy(block.data() + offset, text.data(), length);
}

} // namespace

bool CRelvanDlg::FindHostWindow() {
    const std::string& title = theApp.m_strHostTitle;
    g_hHostWnd = title.empty() ? nullptr : platform::FindTopLevelWindow(title);
    return g_hHostWnd != nullptr;
}

int CRelvanDlg::SendTextToHost(int index, const std::string& text) {
    if (!FindHostWindow()) {
        return 0;
    }
    std::array<std::uint8_t, kReplyItemBlock> block{};
    const auto bits = static_cast<std::uint32_t>(index);
    for (std::size_t i = 0; i < kReplyItemTextOffset; ++i) {
        block[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    PutText(block, kReplyItemTextOffset, text);
    platform::SendCopyData(g_hHostWnd, GetSafeHwnd(), kKindReplyItem, kReplyItemBlock,
                           block.data());
    return 1;
}

void CRelvanDlg::SendNumberToHost(int value) {
    if (FindHostWindow()) {
        platform::SendCopyData(g_hHostWnd, GetSafeHwnd(), kKindConsoleState,
                               static_cast<DWORD>(value), nullptr);
    }
}

void CRelvanDlg::SendStringToHost(const std::string& text) {
    if (FindHostWindow()) {
        std::array<std::uint8_t, kConsoleBlock> block{};
        PutText(block, 0, text);
        platform::SendCopyData(g_hHostWnd, GetSafeHwnd(), kKindConsoleValue, kConsoleBlock,
                               block.data());
    }
}

void CRelvanDlg::SendConsoleStatusToHost() {
    if (m_pConsole != nullptr && FindHostWindow()) {
        std::array<std::uint8_t, kConsoleBlock> block{};
        PutText(block, 0, m_pConsole->StatusText());
        platform::SendCopyData(g_hHostWnd, GetSafeHwnd(), kKindConsoleStatus, kConsoleBlock,
                               block.data());
    }
}
