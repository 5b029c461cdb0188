#include "tools/relvanlink/ConnectionPoint.h"

#include "console/win32/OleText.h"
#include "tools/relvanlink/LinkGuids.h"

#include <olectl.h>

#include <new>

EventPoint::EventPoint(IConnectionPointContainer& container) : m_container(container) {}

EventPoint::~EventPoint() {
    for (auto& sink : m_sinks) {
        sink.second->Release();
    }
}

// OLE wants the arguments last first. The sinks are held for the whole round,
// so one that disconnects (or another) while it handles the event is safe.
void EventPoint::Fire(int id, const LineFields& args) {
    std::vector<IDispatch*> sinks;
    for (auto& sink : m_sinks) {
        sink.second->AddRef();
        sinks.push_back(sink.second);
    }
    std::vector<VARIANT> values(args.size());
    for (size_t index = 0; index < args.size(); ++index) {
        VARIANT& value = values[args.size() - 1 - index];
        VariantInit(&value);
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = NarrowToBstr(args[index]);
    }
    for (IDispatch* sink : sinks) {
        DISPPARAMS params{values.empty() ? nullptr : values.data(), nullptr,
                          static_cast<UINT>(values.size()), 0};
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
        sink->Release();
    }
    for (VARIANT& value : values) {
        VariantClear(&value);
    }
}

STDMETHODIMP EventPoint::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventPoint::AddRef() {
    return m_container.AddRef();
}

STDMETHODIMP_(ULONG) EventPoint::Release() {
    return m_container.Release();
}

STDMETHODIMP EventPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return E_POINTER;
    }
    *iid = DIID_RelvanLinkEvents;
    return S_OK;
}

STDMETHODIMP EventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) {
        return E_POINTER;
    }
    *container = &m_container;
    m_container.AddRef();
    return S_OK;
}

STDMETHODIMP EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return E_POINTER;
    }
    *cookie = 0;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(DIID_RelvanLinkEvents, reinterpret_cast<void**>(&events)))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = m_nextCookie++;
    m_sinks.emplace_back(*cookie, events);
    return S_OK;
}

STDMETHODIMP EventPoint::Unadvise(DWORD cookie) {
    for (auto sink = m_sinks.begin(); sink != m_sinks.end(); ++sink) {
        if (sink->first == cookie) {
            IDispatch* events = sink->second;
            m_sinks.erase(sink);
            events->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP EventPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) {
        *connections = nullptr;
    }
    return E_NOTIMPL;
}

EventPointEnumerator::EventPointEnumerator(IConnectionPoint* point, ULONG position)
    : m_point(point), m_position(position) {
    m_point->AddRef();
}

EventPointEnumerator::~EventPointEnumerator() {
    m_point->Release();
}

STDMETHODIMP EventPointEnumerator::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumConnectionPoints)) {
        *object = static_cast<IEnumConnectionPoints*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventPointEnumerator::AddRef() {
    return ++m_references;
}

STDMETHODIMP_(ULONG) EventPointEnumerator::Release() {
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

STDMETHODIMP EventPointEnumerator::Next(ULONG count, IConnectionPoint** points, ULONG* fetched) {
    if (points == nullptr || (count > 1 && fetched == nullptr)) {
        return E_POINTER;
    }
    ULONG given = 0;
    if (count > 0 && m_position == 0) {
        points[0] = m_point;
        m_point->AddRef();
        m_position = 1;
        given = 1;
    }
    if (fetched != nullptr) {
        *fetched = given;
    }
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP EventPointEnumerator::Skip(ULONG count) {
    const ULONG skipped = count > 0 && m_position == 0 ? 1 : 0;
    m_position += skipped;
    return skipped == count ? S_OK : S_FALSE;
}

STDMETHODIMP EventPointEnumerator::Reset() {
    m_position = 0;
    return S_OK;
}

STDMETHODIMP EventPointEnumerator::Clone(IEnumConnectionPoints** copy) {
    if (copy == nullptr) {
        return E_POINTER;
    }
    *copy = new (std::nothrow) EventPointEnumerator(m_point, m_position);
    return *copy != nullptr ? S_OK : E_OUTOFMEMORY;
}
