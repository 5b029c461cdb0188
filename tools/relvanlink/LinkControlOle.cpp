// The link control as an OLE object in its container: client site, in-place
// activation in a small window of its own, the control and persistence
// interfaces (it keeps no state).
#include "tools/relvanlink/LinkControlObject.h"

#include "tools/relvanlink/LinkGuids.h"
#include "tools/relvanlink/Module.h"

namespace {

constexpr char kWindowClass[] = "RelvanLinkControl";

// The control's window tells its parent nothing (WS_EX_NOPARENTNOTIFY): it
// may go in the destructor, when the container hears from the control no
// more.
HWND CreateControlWindow(HWND parent, const RECT& position) {
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(ModuleInstance(), kWindowClass, &windowClass)) {
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = ModuleInstance();
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);
    }
    return CreateWindowExA(WS_EX_NOPARENTNOTIFY, kWindowClass, "", WS_CHILD | WS_VISIBLE,
                           position.left, position.top, position.right - position.left,
                           position.bottom - position.top, parent, nullptr, ModuleInstance(),
                           nullptr);
}

} // namespace

STDMETHODIMP LinkControlObject::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) {
        site->AddRef();
    }
    if (m_site != nullptr) {
        m_site->Release();
    }
    m_site = site;
    if (m_site != nullptr) {
        OpenWhenRunning();
    }
    return S_OK;
}

// The ambient UserMode; a container that states none runs the control.
bool LinkControlObject::SiteInUserMode() const {
    IDispatch* ambient = nullptr;
    if (m_site == nullptr ||
        FAILED(m_site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)))) {
        return true;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    const HRESULT asked = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                          DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    ambient->Release();
    const bool designing = SUCCEEDED(asked) && V_VT(&value) == VT_BOOL && !V_BOOL(&value);
    VariantClear(&value);
    return !designing;
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

void LinkControlObject::DestroyControlWindow() {
    if (m_window != nullptr) {
        DestroyWindow(m_window);
        m_window = nullptr;
    }
}

STDMETHODIMP LinkControlObject::InPlaceDeactivate() {
    DestroyControlWindow();
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

// A container that leaves design mode runs the control: its port opens.
STDMETHODIMP LinkControlObject::OnAmbientPropertyChange(DISPID id) {
    if (id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN) {
        OpenWhenRunning();
    }
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
