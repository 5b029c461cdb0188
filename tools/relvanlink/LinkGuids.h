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
