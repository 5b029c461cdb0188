// Clock, pauses, the beeper and the current directory.
#pragma once

#include <string>

namespace platform {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

LocalTime Now();

// Blocks the calling thread for `ms` milliseconds.
void Pause(unsigned ms);

// Sounds the speaker at `frequencyHz` for `durationMs`; blocks meanwhile.
void Beep(unsigned frequencyHz, unsigned durationMs);

// The current directory as the system gives it; empty when it is longer than
// 255 characters or cannot be read.
std::string CurrentDirectory();

// Tells the system about a problem that the program's own log cannot hold
// (its folder cannot be written): the Application event log, source "Relvan".
void ReportToSystem(const std::string& text);

} // namespace platform
