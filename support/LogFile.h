// CLogFile: dated, levelled log lines appended to a file chosen by a naming rule.
#pragma once

#include <string>

class CLogFile {
public:
    enum Level { kError = 1, kWarning = 2, kInfo = 3, kDebug = 4 };
    enum Naming { kSingle = 0, kDaily = 1, kWeekly = 7, kHalfMonth = 15, kMonthly = 31 };

    void SetDirectory(std::string directory) { m_strDirectory = std::move(directory); }
    void SetExtension(std::string extension) { m_strExtension = std::move(extension); }
    // Refuses (with a message box) a delimiter whose first character cannot
    // stand in a file name, keeping the previous one.
    void SetDelimiter(const std::string& delimiter);
    void SetLevelThreshold(int threshold) { m_nLevelThreshold = threshold; }
    void SetTimeStamp(int on) { m_bTimeStamp = on; }
    void SetNaming(int mode) { m_nNaming = mode; }
    void SetBaseName(std::string name) { m_strBaseName = std::move(name); }
    const std::string& GetDelimiter() const { return m_strDelimiter; }

    // printf-style entries, written when the threshold allows their level.
    void LogError(const char* format, ...);
    void LogWarning(const char* format, ...);
    void LogInfo(const char* format, ...);
    void LogDebug(const char* format, ...);

    // Appends one line in one write; 1 when written, 0 when the file could
    // not be opened or written (nothing of the line stays in it then). The
    // first such failure is reported to the system, once.
    int WriteEntry(const std::string& text, int level);
    std::string BuildFileName() const;
    static std::string TimeStamp();

private:
    int m_nLevelThreshold = 4;
    int m_bTimeStamp = 1;
    int m_nNaming = kDaily;
    std::string m_strDirectory = ".";
    std::string m_strBaseName;
    std::string m_strExtension = "log";
    std::string m_strDelimiter = "_";
    bool m_bFailureReported = false;
};

// Creates every folder along `path` (backslash-separated); existing folders
// are no error.
void MakePath(std::string path);
