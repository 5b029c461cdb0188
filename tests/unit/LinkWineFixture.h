// What the Wine tests of the link control's site share: a parent window for
// the control, a message pump, and a CDVarnel whose log lines and events are
// recorded, with a check that no event arrives inside a call into it.
#pragma once

#include "console/win32/DVarnel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using LinkEvent = std::pair<int, LinkArgs>;
using LinkLogLine = std::pair<std::string, int>;
constexpr DWORD kLinkWaitMs = 5000;

// Dispatches messages until `done` or `ms` have passed.
inline void Pump(const std::function<bool()>& done, DWORD ms = kLinkWaitMs) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < ms) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

class LinkSiteFixture : public testing::Test {
protected:
    void SetUp() override {
        m_parent = CreateWindowExA(0, "STATIC", "panel", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
    }
    void TearDown() override { DestroyWindow(m_parent); }

    void Attach(CDVarnel& link) {
        link.SetLog(
            [this](const std::string& text, int level) { m_log.emplace_back(text, level); });
        link.SetEventHandler([this](int id, const LinkArgs& args) {
            EXPECT_FALSE(m_calling) << "event " << id << " inside a call";
            m_events.emplace_back(id, args);
            if (m_onEvent) {
                m_onEvent(id, args);
            }
        });
        link.SetStatusHandler([this](const std::string& text) {
            EXPECT_FALSE(m_calling) << "status \"" << text << "\" inside a call";
            m_status.push_back(text);
        });
    }
    void Call(CDVarnel& link, int id, const LinkArgs& args) {
        m_calling = true;
        link.Invoke(id, args);
        m_calling = false;
    }

    const RECT m_rect{0, 0, 8, 8};
    HWND m_parent = nullptr;
    std::vector<LinkLogLine> m_log;
    std::vector<LinkEvent> m_events;
    std::vector<std::string> m_status;
    std::function<void(int, const LinkArgs&)> m_onEvent;
    bool m_calling = false;
};
