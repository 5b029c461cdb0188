// The port test double (testbin\inpout32.dll, whose I/O space is a file),
// called through its ordinals, and CInpOut32Port where no library lies beside
// the test program: copies elsewhere on the DLL search path are not taken.
#include "console/win32/InpOut32Port.h"

#include "tests/unit/SupportWinTempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

namespace {

// The build puts the double in testbin\, beside the test program's bin\.
std::string TestBinFolder() {
    char path[MAX_PATH];
    std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    std::string bin = program.substr(0, program.find_last_of('\\'));
    return bin.substr(0, bin.find_last_of('\\')) + "\\testbin";
}

// The double, loaded by its full path, called as the program calls it.
class PortDouble {
public:
    PortDouble() : m_library(LoadLibraryA((TestBinFolder() + "\\inpout32.dll").c_str())) {}
    ~PortDouble() { FreeLibrary(m_library); }
    PortDouble(const PortDouble&) = delete;
    PortDouble& operator=(const PortDouble&) = delete;

    bool Loaded() const { return m_library != nullptr; }
    std::uint8_t Read(std::uint16_t address) {
        auto read = Ordinal<short(__stdcall*)(short)>(1);
        return static_cast<std::uint8_t>(read(static_cast<short>(address)) & 0xFF);
    }
    void Write(std::uint16_t address, std::uint8_t value) {
        Ordinal<void(__stdcall*)(short, short)>(2)(static_cast<short>(address), value);
    }

private:
    template <typename Function> Function Ordinal(WORD ordinal) {
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(m_library, MAKEINTRESOURCEA(ordinal))));
    }
    HMODULE m_library;
};

// Lets LoadLibraryA find DLLs in `folder` while it lives.
class DllFolder {
public:
    explicit DllFolder(const std::string& folder) { SetDllDirectoryA(folder.c_str()); }
    ~DllFolder() { SetDllDirectoryA(nullptr); }
};

// Makes `folder` the current folder while it lives.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) {
        GetCurrentDirectoryA(MAX_PATH, m_previous);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(m_previous); }

private:
    char m_previous[MAX_PATH] = {};
};

// Sets an environment variable (or removes it, for null) while it lives.
class Environment {
public:
    Environment(const char* name, const char* value) : m_name(name) {
        char previous[32767];
        const DWORD length = GetEnvironmentVariableA(name, previous, sizeof previous);
        m_had = length > 0 && length < sizeof previous;
        if (m_had) {
            m_previous.assign(previous, length);
        }
        SetEnvironmentVariableA(name, value);
    }
    ~Environment() { SetEnvironmentVariableA(m_name, m_had ? m_previous.c_str() : nullptr); }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_previous;
};

std::string ReadFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

unsigned long long NowMs() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
    return (ticks.QuadPart - 116444736000000000ULL) / 10000;
}

struct Recorder {
    std::vector<std::pair<int, std::string>> lines;
    CInpOut32Port::Log Log() {
        return [this](const std::string& text, int level) { lines.emplace_back(level, text); };
    }
};

TEST(InpOut32PortWineTest, TheDoubleReadsAndWritesItsSpaceFileAndLogsEveryWrite) {
    WinTempFolder folder;
    const std::string space = folder.Path() + "\\io.bin";
    const std::string log = folder.Path() + "\\writes.log";
    Environment spaceVariable("RELVAN_PORTSIM", space.c_str());
    Environment logVariable("RELVAN_PORTSIM_LOG", log.c_str());
    const unsigned long long before = NowMs();
    {
        PortDouble port;
        ASSERT_TRUE(port.Loaded());
        EXPECT_EQ(0xFF, port.Read(0x379)) << "a new space reads 0xFF";
        // A test moves the hand switch by writing the status register itself.
        std::fstream(space, std::ios::in | std::ios::out | std::ios::binary)
            .seekp(0x379)
            .put('\x20');
        EXPECT_EQ(0x20, port.Read(0x379));
        port.Write(0x378, 0xFD);
        port.Write(0xFFFF, 0x7E);
        EXPECT_EQ(0xFD, port.Read(0x378));
        EXPECT_EQ(0x7E, port.Read(0xFFFF)) << "the last address, negative as a short";
    }
    EXPECT_EQ(0x10000u, ReadFile(space).size());
    const std::string written = ReadFile(log);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(written, match, std::regex("(\\d+) 0378 FD\n(\\d+) FFFF 7E\n")))
        << written;
    EXPECT_GE(std::stoull(match[1]), before);
    EXPECT_LE(std::stoull(match[2]), NowMs());
}

TEST(InpOut32PortWineTest, TheDoubleWithoutAUsableSpaceReadsIdleAndNeverBreaks) {
    WinTempFolder folder;
    PortDouble port;
    ASSERT_TRUE(port.Loaded());
    {
        Environment none("RELVAN_PORTSIM", nullptr);
        port.Write(0x378, 0x00);
        EXPECT_EQ(0xFF, port.Read(0x378));
    }
    {
        Environment folderAsFile("RELVAN_PORTSIM", folder.Path().c_str());
        port.Write(0x378, 0x00);
        EXPECT_EQ(0xFF, port.Read(0x378));
    }
    {
        // A short file is filled up with 0xFF, never with zeros that would
        // read as asserted lines.
        const std::string space = folder.Path() + "\\short.bin";
        std::ofstream(space, std::ios::binary) << "abc";
        Environment shortFile("RELVAN_PORTSIM", space.c_str());
        EXPECT_EQ(0xFF, port.Read(0x379));
        EXPECT_EQ('b', port.Read(1));
        EXPECT_EQ(0x10000u, ReadFile(space).size());
    }
}

// The double lies in the DLL directory, on PATH and in the current folder, but
// not beside the test program nor in the system folder: it is not taken.
TEST(InpOut32PortWineTest, WithoutTheLibraryBesideTheProgramOneErrorLineAndReadsStanding) {
    WinTempFolder folder;
    const std::string space = folder.Path() + "\\io.bin";
    Environment spaceVariable("RELVAN_PORTSIM", space.c_str());
    ASSERT_TRUE(CopyFileA((TestBinFolder() + "\\inpout32.dll").c_str(),
                          (folder.Path() + "\\INPOUT32.dll").c_str(), FALSE));
    DllFolder dlls(TestBinFolder());
    Environment path("PATH", (TestBinFolder() + ";" + folder.Path()).c_str());
    CurrentFolder current(folder.Path());
    Recorder errors;
    CInpOut32Port port(errors.Log());
    EXPECT_TRUE(errors.lines.empty()) << "nothing is loaded before the port is used";
    port.Write(0x378, 0xFB);
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(1u, errors.lines.size());
    EXPECT_EQ(1, errors.lines[0].first);
    EXPECT_NE(std::string::npos, errors.lines[0].second.find("INPOUT32.dll"))
        << errors.lines[0].second;
    EXPECT_EQ("INPOUT32.dll Missing !!", port.StatusText());
    port.Write(0x378, 0xFC);
    EXPECT_EQ(0x30, port.Read(0x379));
    EXPECT_EQ(0x30, port.Read(0x378));
    EXPECT_EQ(1u, errors.lines.size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(space.c_str()))
        << "nothing reached a port";
}

} // namespace
