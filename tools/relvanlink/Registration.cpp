#include "tools/relvanlink/Registration.h"

#include "tools/relvanlink/LinkControlObject.h"
#include "tools/relvanlink/LinkGuids.h"

#include <olectl.h>

namespace {

constexpr char kProgId[] = "RelvanLink.LinkControl.1";
constexpr char kName[] = "Relvan Link Control";

std::string ClassKey() {
    return std::string("CLSID\\") + kRelvanLinkClsidText;
}

// Sets value `name` (empty: the key's default) of key `path` to `text`.
bool SetText(const std::string& path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result =
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool DeleteTree(const std::string& path) {
    const LONG result = RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// The file name of the server registered under the class id; empty when none is.
std::string RegisteredServerName() {
    char path[MAX_PATH] = {};
    LONG size = sizeof(path);
    const std::string key = ClassKey() + "\\InprocServer32";
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), path, &size) != ERROR_SUCCESS) {
        return std::string();
    }
    const std::string text(path);
    const std::size_t slash = text.find_last_of("\\/");
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

// True when the class id is free or names one of ours (an earlier install,
// perhaps from another folder).
bool ClassIsFreeOrOurs() {
    const std::string name = RegisteredServerName();
    return name.empty() || lstrcmpiA(name.c_str(), "relvanlink.dll") == 0;
}

} // namespace

HRESULT RegisterLinkControl(const std::string& modulePath) {
    if (!ClassIsFreeOrOurs()) {
        return SELFREG_E_CLASS;
    }
    const std::string key = ClassKey();
    const bool written =
        SetText(key, nullptr, kName) && SetText(key + "\\InprocServer32", nullptr, modulePath) &&
        SetText(key + "\\InprocServer32", "ThreadingModel", "Apartment") &&
        SetText(key + "\\ProgID", nullptr, kProgId) && SetText(key + "\\Control", nullptr, "") &&
        SetText(key + "\\MiscStatus", nullptr, "0") &&
        SetText(key + "\\MiscStatus\\1", nullptr, std::to_string(LinkControlObject::kMiscStatus)) &&
        SetText(key + "\\Version", nullptr, "1.0") && SetText(kProgId, nullptr, kName) &&
        SetText(std::string(kProgId) + "\\CLSID", nullptr, kRelvanLinkClsidText);
    if (!written) {
        UnregisterLinkControl();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterLinkControl() {
    if (!ClassIsFreeOrOurs()) {
        return SELFREG_E_CLASS;
    }
    const bool removed = DeleteTree(ClassKey()) && DeleteTree(kProgId);
    return removed ? S_OK : SELFREG_E_CLASS;
}
