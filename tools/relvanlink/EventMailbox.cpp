#include "tools/relvanlink/EventMailbox.h"

#include "tools/relvanlink/Module.h"

namespace {

constexpr char kWindowClass[] = "RelvanLinkMailbox";
constexpr UINT WM_LINK_EVENTS = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;

} // namespace

EventMailbox::~EventMailbox() {
    Destroy();
}

bool EventMailbox::Create(std::function<void()> wake, std::function<void()> tick) {
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(ModuleInstance(), kWindowClass, &windowClass)) {
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = ModuleInstance();
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);
    }
    m_wake = std::move(wake);
    m_tick = std::move(tick);
    m_window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ModuleInstance(), nullptr);
    if (m_window == nullptr) {
        return false;
    }
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void EventMailbox::StartTimer(UINT ms) {
    if (m_window != nullptr) {
        SetTimer(m_window, kTimerId, ms, nullptr);
    }
}

void EventMailbox::StopTimer() {
    if (m_window != nullptr) {
        KillTimer(m_window, kTimerId);
    }
}

// The window is woken once for every batch: when an event arrives to an
// empty queue. The control takes events until the queue is empty again.
void EventMailbox::Post(int id, LineFields args) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool wasEmpty = m_events.empty();
    m_events.emplace_back(id, std::move(args));
    if (wasEmpty && m_window != nullptr) {
        PostMessageA(m_window, WM_LINK_EVENTS, 0, 0);
    }
}

bool EventMailbox::Take(int& id, LineFields& args) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_events.empty()) {
        return false;
    }
    id = m_events.front().first;
    args = std::move(m_events.front().second);
    m_events.pop_front();
    return true;
}

void EventMailbox::Destroy() {
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        window = m_window;
        m_window = nullptr;
        m_events.clear();
    }
    if (window != nullptr) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        KillTimer(window, kTimerId);
        DestroyWindow(window);
    }
}

LRESULT CALLBACK EventMailbox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* mailbox = reinterpret_cast<EventMailbox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_LINK_EVENTS && mailbox != nullptr) {
        // The control may go away inside: nothing of the mailbox is touched after.
        std::function<void()> wake = mailbox->m_wake;
        wake();
        return 0;
    }
    if (message == WM_TIMER && wParam == kTimerId && mailbox != nullptr) {
        std::function<void()> tick = mailbox->m_tick;
        tick();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
