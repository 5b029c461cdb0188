#include "tools/hostsim/Output.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <mutex>

namespace hostsim {
namespace {

// 100 ns ticks between 1601-01-01 (FILETIME) and 1970-01-01 (Unix time).
constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;

bool g_timestamps = false;

std::uint64_t unixMicroseconds() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - kUnixEpochTicks) / 10;
}

} // namespace

void printLine(const std::string& line) {
    static std::mutex lock;
    const std::lock_guard<std::mutex> guard(lock);
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void enableTimestamps() {
    g_timestamps = true;
}

void printRecordLine(const std::string& line) {
    if (!g_timestamps) {
        return printLine(line);
    }
    printLine(line + " t=" + std::to_string(unixMicroseconds()));
}

} // namespace hostsim
