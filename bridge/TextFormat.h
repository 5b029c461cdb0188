// printf-style formatting into a std::string, for log lines and commands.
#pragma once

#include <string>

#if defined(__GNUC__)
#define RELVAN_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define RELVAN_PRINTF_FORMAT(fmt, args)
#endif

std::string FormatText(const char* format, ...) RELVAN_PRINTF_FORMAT(1, 2);
