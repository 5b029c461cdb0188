// Events from the serial reader to the thread that created the control: any
// thread posts, and a hidden message window of the creating thread wakes the
// control, which takes them in the order they were posted. The same window
// keeps the control's one timer (the port's reopening).
#pragma once

#include "tools/relvanlink/LinkLines.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <utility>

class EventMailbox {
public:
    EventMailbox() = default;
    ~EventMailbox();
    EventMailbox(const EventMailbox&) = delete;
    EventMailbox& operator=(const EventMailbox&) = delete;

    // Makes the window on the calling thread; `wake` runs there, from its
    // message loop, whenever events wait, and `tick` on every tick of the
    // timer while it runs.
    bool Create(std::function<void()> wake, std::function<void()> tick);
    void StartTimer(UINT ms);
    void StopTimer();
    // From any thread.
    void Post(int id, LineFields args);
    // The oldest waiting event; false when none waits.
    bool Take(int& id, LineFields& args);
    // Destroys the window; what still waits is dropped.
    void Destroy();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::function<void()> m_wake;
    std::function<void()> m_tick;
    std::mutex m_mutex;
    std::deque<std::pair<int, LineFields>> m_events;
};
