// Narrow texts (the system code page) to and from the OLE strings of a
// control's methods and events, and HRESULTs as log text.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

// A new BSTR holding `text`; the caller frees it with SysFreeString.
BSTR NarrowToBstr(const std::string& text);
// The narrow text of `text`; a null BSTR is an empty text.
std::string BstrToNarrow(BSTR text);
// An event argument as a narrow text: strings as they are (also by
// reference), other values as OLE converts them to text, "" when they have
// no text.
std::string VariantToNarrow(const VARIANT& value);
// "0x80040154 (class not registered)": the number in hex, with a short name
// for the codes a link control gives most. The system is not asked for a
// message: Wine has none for several of them.
std::string HResultText(HRESULT result);
