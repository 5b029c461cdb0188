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

} // namespace

HRESULT RegisterLinkControl(const std::string& modulePath) {
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
    const bool removed = DeleteTree(ClassKey()) && DeleteTree(kProgId);
    return removed ? S_OK : SELFREG_E_CLASS;
}
