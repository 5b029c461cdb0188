#pragma once
// hostsim's standard output: whole lines, flushed at once, from either of its threads.
#include <string>

namespace hostsim {

void printLine(const std::string& line);

} // namespace hostsim
