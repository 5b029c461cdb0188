#include "tools/inpout32sim/PortSpace.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace portsim {
namespace {

constexpr DWORD kSpaceSize = 0x10000;
constexpr std::uint8_t kIdle = 0xFF;
// 1970-01-01 in FILETIME units (100 ns since 1601-01-01).
constexpr unsigned long long kUnixEpoch = 116444736000000000ULL;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string EnvironmentValue(const char* name) {
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) {
        return "";
    }
    std::string value(size, '\0');
    DWORD length = GetEnvironmentVariableA(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

// Closes the handle when it goes out of scope.
class File {
public:
    File(const std::string& path, DWORD access)
        : m_handle(path.empty() ? INVALID_HANDLE_VALUE
                                : CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~File() {
        if (IsOpen()) {
            CloseHandle(m_handle);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return m_handle; }

private:
    HANDLE m_handle;
};

bool Seek(HANDLE file, LONGLONG offset) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Fills the space up to its full size with 0xFF, so that no address past the
// end of a new or short file reads as anything else.
bool FillToSize(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        return false;
    }
    if (size.QuadPart >= kSpaceSize) {
        return true;
    }
    std::string fill(kSpaceSize - static_cast<DWORD>(size.QuadPart), static_cast<char>(kIdle));
    return Seek(file, size.QuadPart) &&
           WriteAll(file, fill.data(), static_cast<DWORD>(fill.size()));
}

bool OpenAt(const File& space, std::uint16_t address) {
    return space.IsOpen() && FillToSize(space.Handle()) && Seek(space.Handle(), address);
}

unsigned long long MillisecondsSinceEpoch() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    return (ticks.QuadPart - kUnixEpoch) / 10000;
}

void LogWrite(std::uint16_t address, std::uint8_t value) {
    File log(EnvironmentValue("RELVAN_PORTSIM_LOG"), FILE_APPEND_DATA);
    if (!log.IsOpen()) {
        return;
    }
    char line[64];
    int length = std::snprintf(line, sizeof line, "%llu %04X %02X\n", MillisecondsSinceEpoch(),
                               static_cast<unsigned>(address), static_cast<unsigned>(value));
    WriteAll(log.Handle(), line, static_cast<DWORD>(length));
}

} // namespace

std::uint8_t ReadByte(std::uint16_t address) {
    File space(EnvironmentValue("RELVAN_PORTSIM"), GENERIC_READ | GENERIC_WRITE);
    std::uint8_t value = kIdle;
    DWORD read = 0;
    if (!OpenAt(space, address) || !ReadFile(space.Handle(), &value, 1, &read, nullptr) ||
        read != 1) {
        return kIdle;
    }
    return value;
}

void WriteByte(std::uint16_t address, std::uint8_t value) {
    File space(EnvironmentValue("RELVAN_PORTSIM"), GENERIC_READ | GENERIC_WRITE);
    if (OpenAt(space, address)) {
        WriteAll(space.Handle(), &value, 1);
    }
    LogWrite(address, value);
}

} // namespace portsim
