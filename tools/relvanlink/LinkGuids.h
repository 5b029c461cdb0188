// The identities of relvanlink.dll's control.
#pragma once

#include <windows.h>

// The link control's class id, {7127E44D-6E77-4C78-B2C9-502CB56EE693}.
extern const CLSID CLSID_RelvanLink;
extern const char kRelvanLinkClsidText[];
// The control's event dispinterface (its default source),
// {7FC78737-497C-473D-ACD2-6E81F45F8555}: each event is a method whose
// dispatch id is the event id, with text (BSTR) arguments.
extern const IID DIID_RelvanLinkEvents;
// The dispinterface of its methods, {5B0F2E7A-61C4-4F3B-9A8D-0C7E1D2B3F48},
// and its type library (RelvanLink.idl), version 1.0.
extern const IID DIID_RelvanLinkMethods;
extern const GUID LIBID_RelvanLink;
extern const char kRelvanLinkLibIdText[];
