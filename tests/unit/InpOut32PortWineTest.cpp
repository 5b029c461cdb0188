// CInpOut32Port against the port test double (testbin\inpout32.dll, whose I/O
// space is a file) and against no library at all.
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

// Lets LoadLibraryA find the double while it lives.
class DllFolder {
public:
    explicit DllFolder(const std::string& folder) { SetDllDirectoryA(folder.c_str()); }
    ~DllFolder() { SetDllDirectoryA(nullptr); }
};

// Sets an environment variable (or removes it, for null) while it lives.
class Environment {
public:
    Environment(const char* name, const char* value) : m_name(name) {
        SetEnvironmentVariableA(name, value);
    }
    ~Environment() { SetEnvironmentVariableA(m_name, nullptr); }

private:
    const char* m_name;
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
    std::vector<std::string> lines;
    CInpOut32Port::ErrorLog Log() {
        return [this](const std::string& text) { lines.push_back(text); };
    }
};

TEST(InpOut32PortWineTest, TheDoubleReadsAndWritesItsSpaceFileAndLogsEveryWrite) {
    WinTempFolder folder;
    const std::string space = folder.Path() + "\\io.bin";
    const std::string log = folder.Path() + "\\writes.log";
    Environment spaceVariable("RELVAN_PORTSIM", space.c_str());
    Environment logVariable("RELVAN_PORTSIM_LOG", log.c_str());
    DllFolder dlls(TestBinFolder());
    Recorder errors;
    const unsigned long long before = NowMs();
    {
        CInpOut32Port port(errors.Log());
        EXPECT_EQ(0xFF, port.Read(0x379)) << "a new space reads 0xFF";
        ASSERT_TRUE(port.IsOpen());
        EXPECT_EQ("", port.StatusText());
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
    EXPECT_TRUE(errors.lines.empty());
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
    DllFolder dlls(TestBinFolder());
    CInpOut32Port port({});
    {
        Environment none("RELVAN_PORTSIM", nullptr);
        port.Write(0x378, 0x00);
        EXPECT_EQ(0xFF, port.Read(0x378));
        ASSERT_TRUE(port.IsOpen());
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

TEST(InpOut32PortWineTest, WithoutTheLibraryOneErrorLineAtFirstUseAndReadsStanding) {
    WinTempFolder folder;
    const std::string space = folder.Path() + "\\io.bin";
    Environment spaceVariable("RELVAN_PORTSIM", space.c_str());
    Recorder errors;
    CInpOut32Port port(errors.Log());
    EXPECT_TRUE(errors.lines.empty()) << "nothing is loaded before the port is used";
    port.Write(0x378, 0xFB);
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(1u, errors.lines.size());
    EXPECT_NE(std::string::npos, errors.lines[0].find("INPOUT32.dll")) << errors.lines[0];
    EXPECT_EQ("INPOUT32.dll Missing !!", port.StatusText());
    port.Write(0x378, 0xFC);
    EXPECT_EQ(0x30, port.Read(0x379));
    EXPECT_EQ(0x30, port.Read(0x378));
    EXPECT_EQ(1u, errors.lines.size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(space.c_str()))
        << "nothing reached a port";
}

} // namespace
