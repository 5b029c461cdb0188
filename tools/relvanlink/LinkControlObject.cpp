// The link control's life, its methods (IDispatch) and its events (the
// connection point and the class information that names it).
#include "tools/relvanlink/LinkControlObject.h"

#include "console/win32/OleText.h"
#include "tools/relvanlink/LinkCodes.h"
#include "tools/relvanlink/LinkGuids.h"
#include "tools/relvanlink/LinkTypeInfo.h"
#include "tools/relvanlink/Module.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace {

constexpr DWORD kCloseDrainMs = 2000;
constexpr wchar_t kSource[] = L"RelvanLink.LinkControl";

// The methods that the console calls.
constexpr int kMethods[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 14, 15, 19, 20, 21,
                            22, 23, 25, 26, 27, 43, 44, 45, 46, 47, 48, 56, 57, 58};

bool IsMethod(DISPID id) {
    return std::find(std::begin(kMethods), std::end(kMethods), id) != std::end(kMethods);
}

// An argument as text: strings as they are, other values as OLE writes them.
bool ArgumentText(const VARIANT& value, std::string& text) {
    const VARTYPE type = V_VT(&value) & ~VT_BYREF;
    VARIANT converted;
    VariantInit(&converted);
    VARIANT* source = const_cast<VARIANT*>(&value); // only read
    if (type != VT_BSTR && FAILED(VariantChangeType(&converted, source, 0, VT_BSTR))) {
        return false;
    }
    text = VariantToNarrow(type == VT_BSTR ? value : converted);
    VariantClear(&converted);
    return true;
}

// A failure as IDispatch reports it: in `exception` when the caller gave one.
HRESULT Failure(HRESULT code, const std::string& text, EXCEPINFO* exception) {
    if (exception == nullptr) {
        return code;
    }
    *exception = EXCEPINFO{};
    exception->bstrSource = SysAllocString(kSource);
    exception->bstrDescription = NarrowToBstr(text);
    exception->scode = code;
    return DISP_E_EXCEPTION;
}

} // namespace

LinkControlObject::LinkControlObject() : m_events(*this) {
    LockModule();
    m_mailbox.Create([this] { RaiseEvents(); }, [this] { OnReopenTick(); });
}

// After the last release nothing calls into the container any more: the
// window goes without telling the in-place site, whose reference (and the
// client site's) is only released. The lines still queued go out first.
LinkControlObject::~LinkControlObject() {
    m_line.Close(kCloseDrainMs);
    m_mailbox.Destroy();
    DestroyControlWindow();
    for (IUnknown* site : {static_cast<IUnknown*>(m_inPlaceSite), static_cast<IUnknown*>(m_site)}) {
        if (site != nullptr) {
            site->Release();
        }
    }
    UnlockModule();
}

// On the reader thread: EVENT lines go to the mailbox, other lines are dropped,
// and so is an event that only the control itself raises (PortState).
void LinkControlObject::ReceiveBytes(const char* data, std::size_t size) {
    m_assembler.Feed(data, size, [this](const std::string& line) {
        int id = 0;
        LineFields args;
        if (ParseEventLine(line, id, args) && id != kPortStateEvent) {
            m_mailbox.Post(id, std::move(args));
        }
    });
}

// From the mailbox window, on the creating thread, in the order received. A
// sink that runs a message loop does not start a second round inside this
// one. The control keeps itself alive for the round: a sink may release it.
void LinkControlObject::RaiseEvents() {
    if (m_raising) {
        return;
    }
    AddRef();
    m_raising = true;
    int id = 0;
    LineFields args;
    while (m_mailbox.Take(id, args)) {
        if (id < 0) {
            OnNotice(id, args);
        } else {
            m_events.Fire(id, args);
        }
    }
    m_raising = false;
    Release();
}

STDMETHODIMP LinkControlObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, IID_IOleObject)) {
        *object = static_cast<IOleObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject)) {
        *object = static_cast<IOleInPlaceObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleControl)) {
        *object = static_cast<IOleControl*>(this);
    } else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit)) {
        *object = static_cast<IPersistStreamInit*>(this);
    } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
        *object = static_cast<IProvideClassInfo2*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) LinkControlObject::AddRef() {
    return ++m_references;
}

STDMETHODIMP_(ULONG) LinkControlObject::Release() {
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

STDMETHODIMP LinkControlObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    return index == 0 ? LinkTypeInfo(DIID_RelvanLinkMethods, info) : DISP_E_BADINDEX;
}

// The methods by their names in the type library ("Method43").
STDMETHODIMP LinkControlObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                              DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    ITypeInfo* info = nullptr;
    HRESULT result = LinkTypeInfo(DIID_RelvanLinkMethods, &info);
    if (SUCCEEDED(result)) {
        result = info->GetIDsOfNames(names, count, ids);
        info->Release();
    }
    return result;
}

// Any number of arguments, in call order once OLE's reversal is undone. The
// CALL line is queued for the line's writer, in call order. The call fails
// when the line cannot take it (LinkCodes.h); the result, when asked for, is
// true.
STDMETHODIMP LinkControlObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                       VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if ((flags & DISPATCH_METHOD) == 0 || !IsMethod(id)) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) {
        return E_INVALIDARG;
    }
    if (params->cNamedArgs > 0) {
        return DISP_E_NONAMEDARGS;
    }
    try {
        LineFields args;
        for (UINT index = params->cArgs; index-- > 0;) {
            args.emplace_back();
            if (!ArgumentText(params->rgvarg[index], args.back())) {
                if (argumentError != nullptr) {
                    *argumentError = index;
                }
                return DISP_E_TYPEMISMATCH;
            }
        }
        std::string text;
        const HRESULT written = WriteCall(id, args, text);
        if (FAILED(written)) {
            return Failure(written, text, exception);
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (result != nullptr) {
        VariantInit(result);
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_TRUE;
    }
    return S_OK;
}

STDMETHODIMP LinkControlObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points == nullptr) {
        return E_POINTER;
    }
    *points = new (std::nothrow) EventPointEnumerator(&m_events, 0);
    return *points != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP LinkControlObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    *point = nullptr;
    if (!IsEqualIID(iid, DIID_RelvanLinkEvents)) {
        return CONNECT_E_NOCONNECTION;
    }
    *point = &m_events;
    m_events.AddRef();
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetClassInfo(ITypeInfo** info) {
    return LinkTypeInfo(CLSID_RelvanLink, info);
}

STDMETHODIMP LinkControlObject::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) {
        return E_POINTER;
    }
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID_RelvanLinkEvents;
    return S_OK;
}
