#pragma once
// hostsim's standard output: whole lines, flushed at once, from either of its threads.
#include <string>

namespace hostsim {

void printLine(const std::string& line);

// With time stamps on (--timestamps), printRecordLine appends " t=<microseconds since
// 1970-01-01 UTC>" taken when the line is printed; otherwise it prints the line as is.
void enableTimestamps();
void printRecordLine(const std::string& line);

} // namespace hostsim
