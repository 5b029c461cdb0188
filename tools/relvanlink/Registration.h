// The registry entries that make the link control creatable by its class id.
#pragma once

#include <windows.h>

#include <string>

// Under HKEY_CLASSES_ROOT: CLSID\{class id} with the control's name,
// InprocServer32 (`modulePath`, ThreadingModel Apartment), ProgID, Control,
// MiscStatus and Version; and the ProgID "RelvanLink.LinkControl.1".
// Refused (SELFREG_E_CLASS, nothing written) when the class id already names
// a server that is not a relvanlink.dll: the original component is installed
// there and keeps its registration.
HRESULT RegisterLinkControl(const std::string& modulePath);
// Removes them; S_OK also when they were not there. Refused, the same way,
// while the class id names another component's server.
HRESULT UnregisterLinkControl();
