// Events from the serial reader to the thread that created the control: any
// thread posts, and a hidden message window of the creating thread wakes the
// control, which takes them in the order they were posted.
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
    // message loop, whenever events wait.
    bool Create(std::function<void()> wake);
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
    std::mutex m_mutex;
    std::deque<std::pair<int, LineFields>> m_events;
};
