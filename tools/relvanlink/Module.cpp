// The DLL's entry points: the class object, unloading, self-registration.
#include "tools/relvanlink/Module.h"

#include "tools/relvanlink/ClassFactory.h"
#include "tools/relvanlink/LinkGuids.h"
#include "tools/relvanlink/Registration.h"

#include <olectl.h>

#include <atomic>
#include <string>

namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_locks{0};

} // namespace

HINSTANCE ModuleInstance() {
    return g_instance;
}

void LockModule() {
    ++g_locks;
}

void UnlockModule() {
    --g_locks;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_RelvanLink)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return TheClassFactory().QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() {
    return g_locks == 0 ? S_OK : S_FALSE;
}

namespace {

// This module's full path; empty when it does not fit.
std::string ModulePath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_instance, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

} // namespace

STDAPI DllRegisterServer() {
    const std::string path = ModulePath();
    return path.empty() ? HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)
                        : RegisterLinkControl(path);
}

STDAPI DllUnregisterServer() {
    const std::string path = ModulePath();
    return path.empty() ? HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)
                        : UnregisterLinkControl(path);
}
