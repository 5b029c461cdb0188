#include "bridge/StatusText.h"

#include "platform/Dialog.h"
#include "platform/Messages.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

namespace {

struct WaitingTexts {
    std::mutex lock;
    WPARAM lastNumber = 0;                            // guarded by lock
    std::deque<std::pair<WPARAM, std::string>> texts; // guarded by lock, oldest first
};

WaitingTexts& Waiting() {
    static WaitingTexts waiting;
    return waiting;
}

WPARAM Keep(const std::string& text) {
    WaitingTexts& waiting = Waiting();
    std::lock_guard<std::mutex> guard(waiting.lock);
    // 0 is never a number: it stands for "no text".
    waiting.lastNumber = waiting.lastNumber + 1 != 0 ? waiting.lastNumber + 1 : 1;
    if (waiting.texts.size() >= kStatusTextsWaiting) {
        waiting.texts.pop_front();
    }
    waiting.texts.emplace_back(waiting.lastNumber, text);
    return waiting.lastNumber;
}

} // namespace

bool PostStatusText(CDialog& mainWindow, const std::string& text) {
    const WPARAM number = Keep(text);
    if (!mainWindow.PostMessage(WM_PCOP_STATUSTEXT, number)) {
        TakeStatusText(number);
        return false;
    }
    return true;
}

void SendStatusText(CDialog& mainWindow, const std::string& text) {
    const WPARAM number = Keep(text);
    mainWindow.SendMessage(WM_PCOP_STATUSTEXT, number);
    TakeStatusText(number);
}

std::optional<std::string> TakeStatusText(WPARAM wParam) {
    WaitingTexts& waiting = Waiting();
    std::lock_guard<std::mutex> guard(waiting.lock);
    const auto found = std::find_if(
        waiting.texts.begin(), waiting.texts.end(),
        [wParam](const std::pair<WPARAM, std::string>& t) { return t.first == wParam; });
    if (found == waiting.texts.end()) {
        return std::nullopt;
    }
    std::string text = std::move(found->second);
    waiting.texts.erase(found);
    return text;
}
