#include "tools/relvanlink/LinkControlObject.h"

#include "console/win32/OleText.h"
#include "tools/relvanlink/LinkGuids.h"
#include "tools/relvanlink/LinkSettings.h"
#include "tools/relvanlink/Module.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr char kWindowClass[] = "RelvanLinkControl";

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

HWND CreateControlWindow(HWND parent, const RECT& position) {
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(ModuleInstance(), kWindowClass, &windowClass)) {
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = ModuleInstance();
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);
    }
    return CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE, position.left, position.top,
                           position.right - position.left, position.bottom - position.top, parent,
                           nullptr, ModuleInstance(), nullptr);
}

} // namespace

LinkControlObject::LinkControlObject() : m_events(*this) {
    LockModule();
    m_mailbox.Create([this] { RaiseEvents(); });
    OpenPort();
}

LinkControlObject::~LinkControlObject() {
    m_line.Close();
    m_mailbox.Destroy();
    InPlaceDeactivate();
    SetClientSite(nullptr);
    UnlockModule();
}

void LinkControlObject::OpenPort() {
    const LinkSettings settings = ReadLinkSettings();
    if (settings.port > 0) {
        m_line.Open(settings.port, settings.baud,
                    [this](const char* data, std::size_t size) { ReceiveBytes(data, size); });
    }
}

// On the reader thread: EVENT lines go to the mailbox, other lines are dropped.
void LinkControlObject::ReceiveBytes(const char* data, std::size_t size) {
    m_assembler.Feed(data, size, [this](const std::string& line) {
        int id = 0;
        LineFields args;
        if (ParseEventLine(line, id, args)) {
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
        m_events.Fire(id, args);
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
    *count = 0;
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP LinkControlObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

// Any number of arguments, in call order once OLE's reversal is undone. The
// CALL line is queued for the line's writer, in call order; the result (when
// asked for) says whether it was (a closed port or a full queue refuse it).
STDMETHODIMP LinkControlObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                       VARIANT* result, EXCEPINFO*, UINT* argumentError) {
    if ((flags & DISPATCH_METHOD) == 0 || !IsMethod(id)) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) {
        return E_INVALIDARG;
    }
    if (params->cNamedArgs > 0) {
        return DISP_E_NONAMEDARGS;
    }
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
    const bool queued = m_line.IsOpen() && m_line.Write(CallLine(id, args));
    if (result != nullptr) {
        VariantInit(result);
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = queued ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

STDMETHODIMP LinkControlObject::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) {
        site->AddRef();
    }
    if (m_site != nullptr) {
        m_site->Release();
    }
    m_site = site;
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = m_site;
    if (m_site != nullptr) {
        m_site->AddRef();
    }
    return S_OK;
}

STDMETHODIMP LinkControlObject::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP LinkControlObject::Close(DWORD) {
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP LinkControlObject::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkControlObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP LinkControlObject::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkControlObject::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) {
        *data = nullptr;
    }
    return E_NOTIMPL;
}

// Showing, opening and activating all mean in-place activation; the control
// has no user interface of its own to activate.
STDMETHODIMP LinkControlObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                       LPCRECT position) {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(site != nullptr ? site : m_site, parent, position);
    case OLEIVERB_HIDE:
        if (m_window != nullptr) {
            ShowWindow(m_window, SW_HIDE);
        }
        return S_OK;
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
}

// In the in-place site's window and rectangle when there is such a site, else
// in the window and rectangle given with the verb.
HRESULT LinkControlObject::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
    if (m_window != nullptr) {
        ShowWindow(m_window, SW_SHOW);
        return S_OK;
    }
    RECT rect = position != nullptr ? *position : RECT{};
    IOleInPlaceSite* inPlace = nullptr;
    if (site != nullptr &&
        SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) {
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        if (inPlace->CanInPlaceActivate() != S_OK || FAILED(inPlace->GetWindow(&parent)) ||
            FAILED(inPlace->GetWindowContext(&frame, &document, &rect, &clip, &frameInfo))) {
            inPlace->Release();
            return E_FAIL;
        }
        if (frame != nullptr) {
            frame->Release();
        }
        if (document != nullptr) {
            document->Release();
        }
        inPlace->OnInPlaceActivate();
        m_inPlaceSite = inPlace;
    }
    if (parent == nullptr) {
        return E_INVALIDARG;
    }
    m_window = CreateControlWindow(parent, rect);
    return m_window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP LinkControlObject::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) {
        *verbs = nullptr;
    }
    return OLEOBJ_E_NOVERBS;
}

STDMETHODIMP LinkControlObject::Update() {
    return S_OK;
}

STDMETHODIMP LinkControlObject::IsUpToDate() {
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

STDMETHODIMP LinkControlObject::GetUserType(DWORD, LPOLESTR* type) {
    if (type != nullptr) {
        *type = nullptr;
    }
    return OLE_S_USEREG;
}

STDMETHODIMP LinkControlObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || size == nullptr) {
        return E_INVALIDARG;
    }
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || size == nullptr) {
        return E_INVALIDARG;
    }
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP LinkControlObject::Advise(IAdviseSink*, DWORD* connection) {
    if (connection != nullptr) {
        *connection = 0;
    }
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP LinkControlObject::Unadvise(DWORD) {
    return OLE_E_NOCONNECTION;
}

STDMETHODIMP LinkControlObject::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises != nullptr) {
        *advises = nullptr;
    }
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP LinkControlObject::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = kMiscStatus;
    return S_OK;
}

STDMETHODIMP LinkControlObject::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkControlObject::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = m_window;
    return m_window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP LinkControlObject::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkControlObject::InPlaceDeactivate() {
    if (m_window != nullptr) {
        DestroyWindow(m_window);
        m_window = nullptr;
    }
    if (m_inPlaceSite != nullptr) {
        IOleInPlaceSite* site = m_inPlaceSite;
        m_inPlaceSite = nullptr;
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP LinkControlObject::UIDeactivate() {
    return S_OK;
}

STDMETHODIMP LinkControlObject::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) {
        return E_POINTER;
    }
    if (m_window != nullptr) {
        MoveWindow(m_window, position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    }
    return S_OK;
}

STDMETHODIMP LinkControlObject::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

STDMETHODIMP LinkControlObject::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP LinkControlObject::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkControlObject::OnAmbientPropertyChange(DISPID) {
    return S_OK;
}

// Events are not held back while frozen: the device's events are raised as
// they come.
STDMETHODIMP LinkControlObject::FreezeEvents(BOOL) {
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = CLSID_RelvanLink;
    return S_OK;
}

// The control keeps no state: nothing to load or save.
STDMETHODIMP LinkControlObject::IsDirty() {
    return S_FALSE;
}

STDMETHODIMP LinkControlObject::Load(LPSTREAM) {
    return S_OK;
}

STDMETHODIMP LinkControlObject::Save(LPSTREAM, BOOL) {
    return S_OK;
}

STDMETHODIMP LinkControlObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP LinkControlObject::InitNew() {
    return S_OK;
}

STDMETHODIMP LinkControlObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points == nullptr) {
        return E_POINTER;
    }
    *points = new EventPointEnumerator(&m_events, 0);
    return S_OK;
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
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
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
