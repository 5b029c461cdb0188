// The Win32 face of the clock, pauses and the current directory.
#include "platform/System.h"

#include <windows.h>

namespace platform {

LocalTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalTime now;
    now.year = st.wYear;
    now.month = st.wMonth;
    now.day = st.wDay;
    now.hour = st.wHour;
    now.minute = st.wMinute;
    now.second = st.wSecond;
    now.millisecond = st.wMilliseconds;
    return now;
}

void Pause(unsigned ms) {
    Sleep(ms);
}

void Beep(unsigned frequencyHz, unsigned durationMs) {
    ::Beep(frequencyHz, durationMs);
}

std::string CurrentDirectory() {
    char buffer[256];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    // A longer directory does not fit: the system then fills nothing.
    if (length == 0 || length >= sizeof buffer) {
        return std::string();
    }
    return std::string(buffer, length);
}

void ReportToSystem(const std::string& text) {
    HANDLE source = RegisterEventSourceA(nullptr, "Relvan");
    if (source == nullptr) {
        return;
    }
    const char* strings[] = {text.c_str()};
    ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

} // namespace platform
