#include "tools/relvanlink/ClassFactory.h"

#include "tools/relvanlink/LinkControlObject.h"
#include "tools/relvanlink/Module.h"

#include <new>

ClassFactory& TheClassFactory() {
    static ClassFactory factory;
    return factory;
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The factory lives as long as the DLL: references to it only keep the DLL.
STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
    LockModule();
    return 2;
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    UnlockModule();
    return 1;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    LinkControlObject* control = new (std::nothrow) LinkControlObject();
    if (control == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = control->QueryInterface(iid, object);
    control->Release();
    return result;
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock) {
        LockModule();
    } else {
        UnlockModule();
    }
    return S_OK;
}
