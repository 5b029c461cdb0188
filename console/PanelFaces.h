// The console panel's link control and parallel port, as this build has
// them: the hosted ActiveX control and INPOUT32.dll in the Win32 build, a
// recording link and a simulated port in the native one.
#pragma once

#include "console/LinkControl.h"
#include "console/ParallelPort.h"

#include <functional>
#include <memory>
#include <string>

class CDialog;

// Receives the faces' log lines: text and level (1 error … 4 debug).
using PanelLog = std::function<void(const std::string& text, int level)>;
// Receives the link's own status texts for the operator (its port lost or
// back, a call that failed), on the panel's thread.
using LinkStatusHandler = std::function<void(const std::string& text)>;

class IPanelFaces {
public:
    virtual ~IPanelFaces() = default;

    virtual ILinkControl& Link() = 0;
    // Used by the console's rules in Model 1 only; the library behind it is
    // loaded at the first read or write.
    virtual IParallelPort& Port() = 0;

    // Creates the link control as control 1076 of `panel`, at 0,0 and 8 x 8
    // dialog units, with `onEvent` receiving its events and `onStatus` its
    // status texts. False, with one error line logged, when it cannot be
    // created.
    virtual bool CreateLink(CDialog& panel, LinkEventHandler onEvent,
                            LinkStatusHandler onStatus) = 0;
    // Releases the link control; safe to call more than once.
    virtual void DestroyLink() = 0;

    // A status text for the operator once the port has failed to load;
    // empty otherwise.
    virtual std::string PortStatusText() const = 0;
};

// The faces of this build; their log lines go to `log`.
std::unique_ptr<IPanelFaces> MakePanelFaces(PanelLog log);
