// The link control of relvanlink.dll. It accepts every method of the console
// by dispatch id and writes each call to the device as a CALL line before it
// returns; the device's EVENT lines come back as events on the connection
// point, on the thread that created the control, from its message loop (so
// never inside a call into the control).
//
// The serial port ("LinkPort" and "LinkBaud", see LinkSettings.h) is opened
// when a container in user mode sets its site, or at the first call (a
// container in design mode never opens it), and closed when the control is
// destroyed, after the lines still queued went out (for a short time at
// most). A call without an open port first tries to open it, and fails when
// it cannot (LinkCodes.h). A port that cannot be opened, or that is lost
// while open, is tried again every second; its changes are raised as the
// PortState event.
//
// What a container needs to create and activate it: IOleObject (in-place
// activation in the site's window), IOleInPlaceObject, IOleControl,
// IPersistStreamInit (no state to keep), IConnectionPointContainer and
// IProvideClassInfo2, whose GetGUID names the event dispinterface and whose
// GetClassInfo describes the class from the type library. Scripts call the
// methods by name (GetIDsOfNames, GetTypeInfo: RelvanLink.idl).
#pragma once

#include "tools/relvanlink/ConnectionPoint.h"
#include "tools/relvanlink/EventMailbox.h"
#include "tools/relvanlink/LinkLines.h"
#include "tools/relvanlink/LinkSettings.h"
#include "tools/relvanlink/SerialLine.h"

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

class LinkControlObject final : public IDispatch,
                                public IOleObject,
                                public IOleInPlaceObject,
                                public IOleControl,
                                public IPersistStreamInit,
                                public IConnectionPointContainer,
                                public IProvideClassInfo2 {
public:
    static constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                         OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                         OLEMISC_RECOMPOSEONRESIZE;

    LinkControlObject();
    LinkControlObject(const LinkControlObject&) = delete;
    LinkControlObject& operator=(const LinkControlObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: the console's methods
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow and IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* message) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IPersist and IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IProvideClassInfo and IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

private:
    // What the container was last told of the port (PortState).
    enum class PortShown { Nothing, Up, Down };

    ~LinkControlObject();

    // LinkControlPort.cpp: the port's opening, loss and reopening.
    // S_OK when the port is open (opening it now if need be); else the
    // failure, with its text in `text`.
    HRESULT OpenPort(std::string& text);
    void OpenWhenRunning();
    void OnTrouble(SerialLine::Trouble trouble, DWORD error, unsigned generation);
    void OnNotice(int id, const LineFields& args);
    void OnPortLost(DWORD error);
    void OnReopenTick();
    void ShowPort(PortShown shown, const char* state, const std::string& text);
    std::string PortName() const;
    HRESULT WriteCall(int id, const LineFields& args, std::string& text);

    void ReceiveBytes(const char* data, std::size_t size);
    void RaiseEvents();
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
    void DestroyControlWindow();
    bool SiteInUserMode() const;

    ULONG m_references = 1;
    IOleClientSite* m_site = nullptr;
    IOleInPlaceSite* m_inPlaceSite = nullptr;
    HWND m_window = nullptr;
    SIZEL m_extent{212, 212}; // 8 x 8 pixels at 96 dpi, in 0.01 mm
    EventPoint m_events;
    EventMailbox m_mailbox;
    bool m_raising = false;
    LineAssembler m_assembler; // the reader thread's alone
    LinkSettings m_settings;
    bool m_settingsRead = false;
    PortShown m_portShown = PortShown::Nothing;
    unsigned m_generation = 0; // of the port's opening; notices of older ones are stale
    SerialLine m_line;
};
