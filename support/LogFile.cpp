#include "support/LogFile.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/System.h"

#include <cstdarg>
#include <cstdio>

namespace {

// The formatter stops at this many characters; longer entries are cut.
constexpr int kMaxEntryLength = 1024;

// Characters that cannot stand in a file name.
constexpr const char* kForbiddenDelimiters = "\\/:*?\"<>|";

constexpr const char* kDelimiterRefused = "Delimiter charactor is not allowed .\r\n"
                                          " \\ / :  * ? \" < > | ";

std::string FormatEntry(const char* format, std::va_list args) {
    char text[kMaxEntryLength + 1];
    int length = std::vsnprintf(text, sizeof text, format, args);
    return length < 0 ? std::string() : std::string(text);
}

const char* TagOf(int level) {
    switch (level) {
    case CLogFile::kError:
        return "[E] ";
    case CLogFile::kWarning:
        return "[W] ";
    case CLogFile::kInfo:
        return "[I] ";
    case CLogFile::kDebug:
        return "[D] ";
    default:
        return nullptr;
    }
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = FormatEntry(format, args);
    va_end(args);
    return text;
}

// An entry of `level` is formatted and written only when the threshold
// allows it.
void WriteFormatted(CLogFile& log, int threshold, int level, const char* format,
                    std::va_list args) {
    if (threshold >= level) {
        log.WriteEntry(FormatEntry(format, args), level);
    }
}

} // namespace

void CLogFile::SetDelimiter(const std::string& delimiter) {
    if (!delimiter.empty() &&
        std::string(kForbiddenDelimiters).find(delimiter[0]) != std::string::npos) {
        platform::ShowMessageBox(kDelimiterRefused, "Relvan", MB_OK);
        return;
    }
    m_strDelimiter = delimiter;
}

void CLogFile::LogError(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    WriteFormatted(*this, m_nLevelThreshold, kError, format, args);
    va_end(args);
}

void CLogFile::LogWarning(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    WriteFormatted(*this, m_nLevelThreshold, kWarning, format, args);
    va_end(args);
}

void CLogFile::LogInfo(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    WriteFormatted(*this, m_nLevelThreshold, kInfo, format, args);
    va_end(args);
}

void CLogFile::LogDebug(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    WriteFormatted(*this, m_nLevelThreshold, kDebug, format, args);
    va_end(args);
}

int CLogFile::WriteEntry(const std::string& text, int level) {
    // The file first, then the time: an entry written as midnight passes
    // stays in the day whose file it was given.
    const std::string fileName = BuildFileName();
    const char* tag = TagOf(level);
    std::string line = tag ? tag + text : std::string();
    if (m_bTimeStamp == 1) {
        line = TimeStamp() + " " + line;
    }
    if (platform::AppendToFile(fileName, line + "\r\n")) {
        return 1;
    }
    if (!m_bFailureReported) {
        m_bFailureReported = true;
        platform::ReportToSystem("Relvan cannot write its log file " + fileName +
                                 "; log entries are lost until it can.");
    }
    return 0;
}

std::string CLogFile::BuildFileName() const {
    const platform::LocalTime now = platform::Now();
    std::string folder = m_strDirectory.empty() ? "C:\\" : m_strDirectory;
    if (folder.back() != '\\') {
        folder += '\\';
    }
    const std::string ext = m_strExtension.empty() ? "log" : m_strExtension;
    const char* f = folder.c_str();
    const char* d = m_strDelimiter.c_str();
    const char* n = m_strBaseName.c_str();
    switch (m_nNaming) {
    case kDaily:
        return Format("%s%04d%s%02d%s%02d%s%s_Kel.%s", f, now.year, d, now.month, d, now.day, d, n,
                      ext.c_str());
    case kWeekly:
        return Format("%s%s%04d%s%02d%s%02dWeek_Kel.%s", f, n, now.year, d, now.month, d,
                      now.day / 7 + 1, ext.c_str());
    case kHalfMonth:
        return Format(now.day > 15 ? "%s%s%04d%s%02dAfter_Kel.%s" : "%s%s%04d%s%02dBefore_Kel.%s",
                      f, n, now.year, d, now.month, ext.c_str());
    case kMonthly:
        return Format("%s%s%04d%s%02dMonth_Kel.%s", f, n, now.year, d, now.month, ext.c_str());
    default:
        return Format("%s%s_Kel.%s", f, n, ext.c_str());
    }
}

std::string CLogFile::TimeStamp() {
    const platform::LocalTime now = platform::Now();
    return Format("%02d:%02d:%02d.%03d", now.hour, now.minute, now.second, now.millisecond);
}

void MakePath(std::string path) {
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        platform::MakeDirectory(path.substr(0, at + 1));
    }
}
