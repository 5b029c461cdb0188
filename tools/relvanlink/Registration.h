// The registry entries that make the link control creatable by its class id.
#pragma once

#include <windows.h>

#include <string>

// Under HKEY_CLASSES_ROOT: CLSID\{class id} with the control's name,
// InprocServer32 (`modulePath`, ThreadingModel Apartment), ProgID, Control,
// MiscStatus, Version and TypeLib; the ProgID "RelvanLink.LinkControl.1";
// and the type library in the module's resources (TypeLib key, interfaces).
// Written only when the class key is absent or already ours: its
// InprocServer32 names this very module (its full path) and it names no
// other kind of server (LocalServer32, InprocHandler32, TreatAs). Otherwise
// nothing is written and the result is SELFREG_E_CLASS: another component
// (the original control, or a copy of ours elsewhere) owns the class. A
// registry that refuses us gives E_ACCESSDENIED; other registry failures
// their Win32 error as an HRESULT.
HRESULT RegisterLinkControl(const std::string& modulePath);
// Removes them when they are ours (the same test), and the ProgID when it
// names our class; S_OK also when the class key is absent. SELFREG_E_CLASS,
// with nothing removed, while another component owns the class.
HRESULT UnregisterLinkControl(const std::string& modulePath);
