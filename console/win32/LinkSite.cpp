#include "console/win32/LinkSite.h"

#include <olectl.h>

LinkSite::LinkSite(HWND window) : m_window(window) {}

void LinkSite::Detach() {
    m_window = nullptr;
}

STDMETHODIMP LinkSite::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) LinkSite::AddRef() {
    return ++m_references;
}

STDMETHODIMP_(ULONG) LinkSite::Release() {
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

STDMETHODIMP LinkSite::SaveObject() {
    return E_NOTIMPL;
}

STDMETHODIMP LinkSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP LinkSite::GetContainer(IOleContainer** container) {
    if (container != nullptr) {
        *container = nullptr;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP LinkSite::ShowObject() {
    return S_OK;
}

STDMETHODIMP LinkSite::OnShowWindow(BOOL) {
    return S_OK;
}

STDMETHODIMP LinkSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

STDMETHODIMP LinkSite::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = m_window;
    return m_window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP LinkSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkSite::CanInPlaceActivate() {
    return m_window != nullptr ? S_OK : S_FALSE;
}

STDMETHODIMP LinkSite::OnInPlaceActivate() {
    return S_OK;
}

STDMETHODIMP LinkSite::OnUIActivate() {
    return S_OK;
}

// The control takes the whole client area of the site window; this object is
// also the frame, and there is no document window.
STDMETHODIMP LinkSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                        LPRECT position, LPRECT clip,
                                        LPOLEINPLACEFRAMEINFO frameInfo) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
        frameInfo == nullptr) {
        return E_POINTER;
    }
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    RECT client{};
    if (m_window != nullptr) {
        ::GetClientRect(m_window, &client);
    }
    *position = client;
    *clip = client;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = m_window != nullptr ? GetAncestor(m_window, GA_ROOT) : nullptr;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP LinkSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkSite::OnUIDeactivate(BOOL) {
    return S_OK;
}

STDMETHODIMP LinkSite::OnInPlaceDeactivate() {
    return S_OK;
}

STDMETHODIMP LinkSite::DiscardUndoState() {
    return S_OK;
}

STDMETHODIMP LinkSite::DeactivateAndUndo() {
    return S_OK;
}

STDMETHODIMP LinkSite::OnPosRectChange(LPCRECT) {
    return S_OK;
}

STDMETHODIMP LinkSite::GetBorder(LPRECT) {
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP LinkSite::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP LinkSite::SetBorderSpace(LPCBORDERWIDTHS) {
    return OLE_E_INVALIDRECT;
}

STDMETHODIMP LinkSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP LinkSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return E_NOTIMPL;
}

STDMETHODIMP LinkSite::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}

STDMETHODIMP LinkSite::RemoveMenus(HMENU) {
    return S_OK;
}

STDMETHODIMP LinkSite::SetStatusText(LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP LinkSite::EnableModeless(BOOL) {
    return S_OK;
}

STDMETHODIMP LinkSite::TranslateAccelerator(LPMSG, WORD) {
    return S_FALSE;
}

STDMETHODIMP LinkSite::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

STDMETHODIMP LinkSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP LinkSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

// The one ambient property the site states: the control is in user mode.
// For every other one the control takes its own default.
STDMETHODIMP LinkSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                              EXCEPINFO*, UINT*) {
    if (id != DISPID_AMBIENT_USERMODE || (flags & DISPATCH_PROPERTYGET) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (result == nullptr) {
        return E_POINTER;
    }
    VariantInit(result);
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = VARIANT_TRUE;
    return S_OK;
}
