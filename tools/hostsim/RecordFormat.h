#pragma once
// The one-line, parseable form in which hostsim prints every record it receives.
#include <windows.h>

#include <string>

namespace hostsim {

// For example: RECV kind=742065 index=0 text="70"
//              RECV kind=113 value=1
//              RECV kind=114 text="12.5"
//              RECV kind=999 cb=3 hex=414243
std::string describeRecord(const COPYDATASTRUCT& record);

// Text in double quotes: printable ASCII as it is, '"', '\' and every other byte as \xHH.
std::string quoted(const std::string& text);

} // namespace hostsim
