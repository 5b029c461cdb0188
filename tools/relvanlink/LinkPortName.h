// The serial port named by the "LinkPort" key: a COM number as "6" or as
// "COM6" (any case, blanks around it allowed). Free of Win32.
#pragma once

#include <string>

// The COM number, 1 to 255; 0 when `text` names no port.
int ParseLinkPort(const std::string& text);
// "COM6" for 6.
std::string LinkPortName(int port);
