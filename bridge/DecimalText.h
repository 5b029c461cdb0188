// Reading a decimal number from the front of a text, the way the host's and
// the generator's items are meant: leading blanks, an optional sign, then the
// digits up to the first non-digit; 0 when there are none.
#pragma once

#include <string>

// Values beyond the range of int are held at INT_MAX or INT_MIN.
int LeadingInt(const std::string& text);
