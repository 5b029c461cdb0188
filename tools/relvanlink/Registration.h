// The registry entries that make the link control creatable by its class id.
#pragma once

#include <windows.h>

#include <string>

// Under HKEY_CLASSES_ROOT: CLSID\{class id} with the control's name,
// InprocServer32 (`modulePath`, ThreadingModel Apartment), ProgID, Control,
// MiscStatus and Version; and the ProgID "RelvanLink.LinkControl.1".
HRESULT RegisterLinkControl(const std::string& modulePath);
// Removes them; S_OK also when they were not there.
HRESULT UnregisterLinkControl();
