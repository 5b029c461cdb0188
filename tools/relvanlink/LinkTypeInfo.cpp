#include "tools/relvanlink/LinkTypeInfo.h"

#include "console/win32/OleText.h"
#include "tools/relvanlink/Module.h"

HRESULT LoadLinkTypeLib(const std::string& modulePath, ITypeLib** library) {
    *library = nullptr;
    BSTR path = NarrowToBstr(modulePath);
    if (path == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = LoadTypeLibEx(path, REGKIND_NONE, library);
    SysFreeString(path);
    return result;
}

HRESULT LinkTypeInfo(REFGUID guid, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(ModuleInstance(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    ITypeLib* library = nullptr;
    HRESULT result = LoadLinkTypeLib(std::string(path, length), &library);
    if (SUCCEEDED(result)) {
        result = library->GetTypeInfoOfGuid(guid, info);
        library->Release();
    }
    return result;
}
