#include "tools/hostsim/Output.h"

#include <cstdio>
#include <mutex>

namespace hostsim {

void printLine(const std::string& line) {
    static std::mutex lock;
    const std::lock_guard<std::mutex> guard(lock);
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace hostsim
