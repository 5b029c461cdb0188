// CDVarnel: the console's USB link control, hosted as an ActiveX control in a
// small control site of our own (no framework). It creates the control by its
// class id as a child window of the panel, calls its methods by dispatch id
// with narrow texts, and hands its events to the panel.
//
// Apartment: Create calls OleInitialize on the calling thread (the panel's)
// and Destroy balances it; a thread already in a multithreaded apartment
// cannot host the control and Create then fails.
//
// Events reach the handler on the panel's thread, from its message loop:
// never from inside a call into the control, nor from inside the control's
// own raising of the event, so a handler may call methods, destroy the
// control or delete this object. Destroy called while a call into the
// control is in progress is carried out when that call returns.
//
// Faults: creation failing (class not registered included) gives a false
// Create and one error line with the HRESULT in hex; a method that the
// control lacks or refuses gives one error line per dispatch id. A call that
// fails with the control's own text (its link cannot carry it) gives one
// error line per dispatch id with that text until a call succeeds again,
// which is logged once; the first such failure is shown to the operator as a
// status text. Invoke without a control does nothing.
//
// The control's PortState event (id 100: port, state, text) is the site's
// own: its text is logged (lost or not opened as a warning, open again as
// information) and shown as a status text; the panel never sees it.
#pragma once

#include "console/LinkControl.h"

#include <windows.h>

#include <functional>
#include <string>

// The class id of the link control.
extern const CLSID CLSID_RelvanLinkControl;

// Receives the site's log lines: text and level (1 error, 2 warning,
// 3 information, 4 debug).
using LinkLog = std::function<void(const std::string& text, int level)>;
// Receives the status texts for the operator, on the panel's thread and
// never from inside a call into the control.
using LinkStatus = std::function<void(const std::string& text)>;

class CDVarnel : public ILinkControl {
public:
    CDVarnel();
    ~CDVarnel() override;
    CDVarnel(const CDVarnel&) = delete;
    CDVarnel& operator=(const CDVarnel&) = delete;

    void SetLog(LinkLog log);
    void SetEventHandler(LinkEventHandler handler);
    void SetStatusHandler(LinkStatus status);

    // Creates the control as child window `id` of `parent` at `rect` (the
    // parent's client coordinates), active in place. False, with one error
    // line, when it cannot be created; the panel then runs without it.
    bool Create(HWND parent, int id, const RECT& rect);
    // True between a successful Create and Destroy.
    bool IsPresent() const;
    // The site window that holds the control (child id as given to Create).
    HWND GetSafeHwnd() const;

    void Invoke(int dispatchId, const LinkArgs& args) override;

    // Releases the control and its window; events not yet delivered are
    // dropped. Safe to call more than once.
    void Destroy();

    // The control and its window, kept apart from this object so that both
    // may go while an event handler or a call into the control still runs.
    class Hosting;

private:
    Hosting* m_hosting = nullptr;
    LinkLog m_log;
    LinkEventHandler m_handler;
    LinkStatus m_status;
};
