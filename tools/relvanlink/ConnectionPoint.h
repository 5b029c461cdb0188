// The control's one connection point, for its event dispinterface, and the
// enumerator that hands it out.
#pragma once

#include "tools/relvanlink/LinkLines.h"

#include <windows.h>

#include <ocidl.h>

#include <utility>
#include <vector>

// Part of the control: it counts its references on the control.
class EventPoint final : public IConnectionPoint {
public:
    explicit EventPoint(IConnectionPointContainer& container);
    ~EventPoint();
    EventPoint(const EventPoint&) = delete;
    EventPoint& operator=(const EventPoint&) = delete;

    // Raises event `id` on every connected sink, the texts as BSTRs.
    void Fire(int id, const LineFields& args);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // A sink must answer for the event interface itself, else the connection
    // is refused with CONNECT_E_CANNOTCONNECT.
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    // Not offered (E_NOTIMPL, which callers of this method must accept).
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    IConnectionPointContainer& m_container;
    std::vector<std::pair<DWORD, IDispatch*>> m_sinks;
    DWORD m_nextCookie = 1;
};

class EventPointEnumerator final : public IEnumConnectionPoints {
public:
    EventPointEnumerator(IConnectionPoint* point, ULONG position);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumConnectionPoints** copy) override;

private:
    ~EventPointEnumerator();

    ULONG m_references = 1;
    IConnectionPoint* m_point;
    ULONG m_position;
};
