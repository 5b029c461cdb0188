#include "console/win32/OleText.h"

#include <cstdio>
#include <vector>

BSTR NarrowToBstr(const std::string& text) {
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (result != nullptr && wide > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, result, wide);
    }
    return result;
}

std::string BstrToNarrow(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0) {
        return std::string();
    }
    const int narrow = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), narrow, nullptr, nullptr);
    return result;
}

std::string VariantToNarrow(const VARIANT& value) {
    if (V_VT(&value) == VT_BSTR) {
        return BstrToNarrow(V_BSTR(&value));
    }
    if (V_VT(&value) == (VT_BSTR | VT_BYREF)) {
        return V_BSTRREF(&value) != nullptr ? BstrToNarrow(*V_BSTRREF(&value)) : std::string();
    }
    VARIANT text;
    VariantInit(&text);
    std::string result;
    // The source is only read; the API is declared without const.
    VARIANT* source = const_cast<VARIANT*>(&value);
    if (SUCCEEDED(VariantChangeType(&text, source, 0, VT_BSTR))) {
        result = BstrToNarrow(V_BSTR(&text));
    }
    VariantClear(&text);
    return result;
}

std::string HResultText(HRESULT result) {
    struct Known {
        HRESULT code;
        const char* name;
    };
    static const Known known[] = {
        {REGDB_E_CLASSNOTREG, "class not registered"},
        {E_NOINTERFACE, "no such interface"},
        {DISP_E_MEMBERNOTFOUND, "member not found"},
        {DISP_E_BADPARAMCOUNT, "wrong argument count"},
        {DISP_E_TYPEMISMATCH, "type mismatch"},
        {DISP_E_EXCEPTION, "exception"},
        {HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), "module not found"},
    };
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    for (const Known& entry : known) {
        if (entry.code == result) {
            return std::string(text) + " (" + entry.name + ")";
        }
    }
    return text;
}
