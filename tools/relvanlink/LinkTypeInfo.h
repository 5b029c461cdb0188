// The control's type information, from the type library in this module's
// resources (RelvanLink.idl).
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

// The library, loaded from `modulePath` without registering it.
HRESULT LoadLinkTypeLib(const std::string& modulePath, ITypeLib** library);
// The type information of `guid` (the methods' or events' dispinterface, or
// the control's class) from this module's library.
HRESULT LinkTypeInfo(REFGUID guid, ITypeInfo** info);
