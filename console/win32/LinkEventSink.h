// The site's end of the link control's events: how the control's default
// source interface is found, and the sink that the control calls.
#pragma once

#include "console/LinkControl.h"

#include <windows.h>

#include <ocidl.h>

#include <functional>
#include <utility>

// The control's default source (event) interface: from IProvideClassInfo2,
// else from the [default, source] interface of its class's type information,
// else the first connection point it offers. False when none of them tells.
bool FindEventInterface(IUnknown* control, IID& eventInterface);

// Answers for the event interface and IDispatch; each call of Invoke becomes
// one event with its arguments as narrow texts in call order.
class LinkEventSink final : public IDispatch {
public:
    using Receiver = std::function<void(int eventId, LinkArgs args)>;

    LinkEventSink(const IID& eventInterface, Receiver receiver);
    // Stops passing events on (the control may keep the sink a while longer).
    void Detach();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    ~LinkEventSink() = default;

    ULONG m_references = 1;
    IID m_eventInterface;
    Receiver m_receiver;
};

// An advised sink on one connection point of the control.
class LinkEventConnection {
public:
    // Connects `sink` for `eventInterface`; the HRESULT of the step that failed.
    HRESULT Connect(IUnknown* control, const IID& eventInterface, IDispatch* sink);
    void Disconnect();

private:
    IConnectionPoint* m_point = nullptr;
    DWORD m_cookie = 0;
};
