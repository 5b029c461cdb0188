#include "console/win32/LinkEventSink.h"

#include "console/win32/OleText.h"

#include <olectl.h>

namespace {

template <typename Interface> void ReleaseAndClear(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

bool FromProvideClassInfo2(IUnknown* control, IID& eventInterface) {
    IProvideClassInfo2* provider = nullptr;
    if (FAILED(
            control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&provider)))) {
        return false;
    }
    const bool found =
        SUCCEEDED(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &eventInterface));
    provider->Release();
    return found;
}

// The interface that implementation `index` of a coclass refers to.
bool ImplementedInterface(ITypeInfo* coclass, UINT index, IID& iid) {
    HREFTYPE reference = 0;
    ITypeInfo* info = nullptr;
    if (FAILED(coclass->GetRefTypeOfImplType(index, &reference)) ||
        FAILED(coclass->GetRefTypeInfo(reference, &info))) {
        return false;
    }
    TYPEATTR* attributes = nullptr;
    const bool found = SUCCEEDED(info->GetTypeAttr(&attributes));
    if (found) {
        iid = attributes->guid;
        info->ReleaseTypeAttr(attributes);
    }
    info->Release();
    return found;
}

bool DefaultSourceOfCoclass(ITypeInfo* coclass, IID& eventInterface) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(coclass->GetTypeAttr(&attributes))) {
        return false;
    }
    const UINT count = attributes->typekind == TKIND_COCLASS ? attributes->cImplTypes : 0;
    coclass->ReleaseTypeAttr(attributes);
    constexpr INT kDefaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    for (UINT index = 0; index < count; ++index) {
        INT flags = 0;
        if (SUCCEEDED(coclass->GetImplTypeFlags(index, &flags)) &&
            (flags & kDefaultSource) == kDefaultSource) {
            return ImplementedInterface(coclass, index, eventInterface);
        }
    }
    return false;
}

bool FromClassTypeInfo(IUnknown* control, IID& eventInterface) {
    IProvideClassInfo* provider = nullptr;
    if (FAILED(
            control->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&provider)))) {
        return false;
    }
    ITypeInfo* coclass = nullptr;
    bool found = false;
    if (SUCCEEDED(provider->GetClassInfo(&coclass)) && coclass != nullptr) {
        found = DefaultSourceOfCoclass(coclass, eventInterface);
        coclass->Release();
    }
    provider->Release();
    return found;
}

bool FromFirstConnectionPoint(IUnknown* control, IID& eventInterface) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(control->QueryInterface(IID_IConnectionPointContainer,
                                       reinterpret_cast<void**>(&container)))) {
        return false;
    }
    IEnumConnectionPoints* points = nullptr;
    IConnectionPoint* point = nullptr;
    bool found = false;
    if (SUCCEEDED(container->EnumConnectionPoints(&points)) && points != nullptr) {
        ULONG fetched = 0;
        if (points->Next(1, &point, &fetched) == S_OK && fetched == 1) {
            found = SUCCEEDED(point->GetConnectionInterface(&eventInterface));
            point->Release();
        }
        points->Release();
    }
    container->Release();
    return found;
}

} // namespace

bool FindEventInterface(IUnknown* control, IID& eventInterface) {
    return FromProvideClassInfo2(control, eventInterface) ||
           FromClassTypeInfo(control, eventInterface) ||
           FromFirstConnectionPoint(control, eventInterface);
}

LinkEventSink::LinkEventSink(const IID& eventInterface, Receiver receiver)
    : m_eventInterface(eventInterface), m_receiver(std::move(receiver)) {}

void LinkEventSink::Detach() {
    m_receiver = nullptr;
}

STDMETHODIMP LinkEventSink::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, m_eventInterface)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) LinkEventSink::AddRef() {
    return ++m_references;
}

STDMETHODIMP_(ULONG) LinkEventSink::Release() {
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

STDMETHODIMP LinkEventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

STDMETHODIMP LinkEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP LinkEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

// OLE passes the arguments last first: they are turned back into call order.
STDMETHODIMP LinkEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) {
    LinkArgs args;
    if (params != nullptr && params->rgvarg != nullptr) {
        for (UINT index = params->cArgs; index-- > 0;) {
            args.push_back(VariantToNarrow(params->rgvarg[index]));
        }
    }
    if (m_receiver) {
        Receiver receiver = m_receiver;
        receiver(static_cast<int>(id), std::move(args));
    }
    return S_OK;
}

HRESULT LinkEventConnection::Connect(IUnknown* control, const IID& eventInterface,
                                     IDispatch* sink) {
    IConnectionPointContainer* container = nullptr;
    HRESULT result = control->QueryInterface(IID_IConnectionPointContainer,
                                             reinterpret_cast<void**>(&container));
    if (FAILED(result)) {
        return result;
    }
    result = container->FindConnectionPoint(eventInterface, &m_point);
    container->Release();
    if (SUCCEEDED(result)) {
        result = m_point->Advise(sink, &m_cookie);
    }
    if (FAILED(result)) {
        ReleaseAndClear(m_point);
    }
    return result;
}

void LinkEventConnection::Disconnect() {
    if (m_point != nullptr) {
        m_point->Unadvise(m_cookie);
        ReleaseAndClear(m_point);
    }
}
