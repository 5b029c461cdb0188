#include "tools/relvanlink/Registration.h"

#include "tools/relvanlink/LinkControlObject.h"
#include "tools/relvanlink/LinkGuids.h"
#include "tools/relvanlink/LinkTypeInfo.h"

#include "console/win32/OleText.h"

#include <olectl.h>

namespace {

constexpr char kProgId[] = "RelvanLink.LinkControl.1";
constexpr char kName[] = "Relvan Link Control";
// Servers of other kinds that a class key may name besides InprocServer32.
constexpr const char* kOtherServers[] = {"LocalServer32", "LocalServer",  "InprocHandler32",
                                         "InprocHandler", "InprocServer", "TreatAs"};

enum class Owner { Absent, Ours, Other, Unknown };

std::string ClassKey() {
    return std::string("CLSID\\") + kRelvanLinkClsidText;
}

HRESULT FromRegistry(LONG result) {
    return result == ERROR_ACCESS_DENIED ? E_ACCESSDENIED : HRESULT_FROM_WIN32(result);
}

bool KeyExists(const std::string& path, LONG& result) {
    HKEY key = nullptr;
    result = RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The default value of `path` as text (environment strings expanded); empty
// when there is none.
std::string DefaultText(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    char text[MAX_PATH * 2] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::string();
    }
    if (type == REG_EXPAND_SZ) {
        char expanded[MAX_PATH * 2] = {};
        if (ExpandEnvironmentStringsA(text, expanded, sizeof expanded) != 0) {
            return expanded;
        }
    }
    return text;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 2] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0;
}

// Who owns the class key: nobody, this module, or another server.
Owner OwnerOfClass(const std::string& modulePath, LONG& result) {
    const std::string key = ClassKey();
    if (!KeyExists(key, result)) {
        return result == ERROR_FILE_NOT_FOUND ? Owner::Absent : Owner::Unknown;
    }
    for (const char* server : kOtherServers) {
        LONG ignored = 0;
        if (KeyExists(key + "\\" + server, ignored)) {
            return Owner::Other;
        }
    }
    const std::string server = DefaultText(key + "\\InprocServer32");
    return !server.empty() && SamePath(server, modulePath) ? Owner::Ours : Owner::Other;
}

// Sets value `name` (empty: the key's default) of key `path` to `text`.
LONG SetText(const std::string& path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return result;
}

LONG DeleteTree(const std::string& path) {
    const LONG result = RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

// The ProgID is ours to write or remove when it is absent or names our class.
bool ProgIdFree() {
    const std::string clsid = DefaultText(std::string(kProgId) + "\\CLSID");
    return clsid.empty() || lstrcmpiA(clsid.c_str(), kRelvanLinkClsidText) == 0;
}

// The entries in order, the server first, so that a registration cut short
// is still recognisably ours and can be removed.
LONG WriteEntries(const std::string& modulePath) {
    const std::string key = ClassKey();
    const struct {
        std::string path;
        const char* name;
        std::string text;
    } entries[] = {
        {key + "\\InprocServer32", nullptr, modulePath},
        {key + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {key, nullptr, kName},
        {key + "\\ProgID", nullptr, kProgId},
        {key + "\\Control", nullptr, ""},
        {key + "\\MiscStatus", nullptr, "0"},
        {key + "\\MiscStatus\\1", nullptr, std::to_string(LinkControlObject::kMiscStatus)},
        {key + "\\Version", nullptr, "1.0"},
        {key + "\\TypeLib", nullptr, kRelvanLinkLibIdText},
    };
    for (const auto& entry : entries) {
        const LONG result = SetText(entry.path, entry.name, entry.text);
        if (result != ERROR_SUCCESS) {
            return result;
        }
    }
    if (!ProgIdFree()) {
        return ERROR_SUCCESS;
    }
    const LONG result = SetText(kProgId, nullptr, kName);
    return result != ERROR_SUCCESS
               ? result
               : SetText(std::string(kProgId) + "\\CLSID", nullptr, kRelvanLinkClsidText);
}

// The type library in this module's resources, registered (TypeLib key and
// its dispinterfaces) or unregistered.
HRESULT RegisterTypeLibrary(const std::string& modulePath) {
    ITypeLib* library = nullptr;
    HRESULT result = LoadLinkTypeLib(modulePath, &library);
    if (FAILED(result)) {
        return result;
    }
    BSTR path = NarrowToBstr(modulePath);
    result = path != nullptr ? RegisterTypeLib(library, path, nullptr) : E_OUTOFMEMORY;
    SysFreeString(path);
    library->Release();
    return result;
}

void UnregisterTypeLibrary() {
    const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    UnRegisterTypeLib(LIBID_RelvanLink, 1, 0, LOCALE_NEUTRAL, kind);
}

LONG RemoveEntries() {
    UnregisterTypeLibrary();
    const LONG result = DeleteTree(ClassKey());
    if (result != ERROR_SUCCESS || !ProgIdFree()) {
        return result;
    }
    return DeleteTree(kProgId);
}

} // namespace

HRESULT RegisterLinkControl(const std::string& modulePath) {
    LONG result = ERROR_SUCCESS;
    const Owner owner = OwnerOfClass(modulePath, result);
    if (owner == Owner::Other) {
        return SELFREG_E_CLASS;
    }
    if (owner == Owner::Unknown) {
        return FromRegistry(result);
    }
    result = WriteEntries(modulePath);
    if (result != ERROR_SUCCESS) {
        RemoveEntries();
        return FromRegistry(result);
    }
    const HRESULT typeLibrary = RegisterTypeLibrary(modulePath);
    if (FAILED(typeLibrary)) {
        RemoveEntries();
    }
    return typeLibrary;
}

HRESULT UnregisterLinkControl(const std::string& modulePath) {
    LONG result = ERROR_SUCCESS;
    switch (OwnerOfClass(modulePath, result)) {
    case Owner::Absent:
        return S_OK;
    case Owner::Other:
        return SELFREG_E_CLASS;
    case Owner::Unknown:
        return FromRegistry(result);
    case Owner::Ours:
        break;
    }
    result = RemoveEntries();
    return result == ERROR_SUCCESS ? S_OK : FromRegistry(result);
}
