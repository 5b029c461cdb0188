#include "console/win32/InpOut32Port.h"

#include <utility>

namespace {

constexpr const char* kLibraryName = "INPOUT32.dll";
constexpr const char* kMissingText = "INPOUT32.dll Missing !!";
constexpr WORD kReadOrdinal = 1;
constexpr WORD kWriteOrdinal = 2;

// GetProcAddress gives a generic function pointer; void (*)() converts to
// and from any function pointer type without a warning.
template <typename Function> Function Ordinal(HMODULE library, WORD ordinal) {
    auto address = reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal)));
    return reinterpret_cast<Function>(address);
}

// The full path of a module; empty when it does not fit MAX_PATH.
std::string ModulePath(HMODULE module) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::string();
    }
    return std::string(path, length);
}

// The library from the program's own folder or the system folder, nowhere
// else. Systems whose loader lacks the search flags refuse them with
// ERROR_INVALID_PARAMETER; there the full path beside the program is loaded.
HMODULE LoadFromProgramOrSystemFolder() {
    HMODULE library = LoadLibraryExA(
        kLibraryName, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
        return library;
    }
    const std::string program = ModulePath(nullptr);
    if (program.empty()) {
        return nullptr;
    }
    const std::string beside = program.substr(0, program.find_last_of('\\') + 1) + kLibraryName;
    return LoadLibraryA(beside.c_str());
}

} // namespace

CInpOut32Port::CInpOut32Port(Log log) : m_log(std::move(log)) {}

CInpOut32Port::~CInpOut32Port() {
    if (m_library) {
        FreeLibrary(m_library);
    }
}

void CInpOut32Port::LoadOnce() {
    if (m_loadTried) {
        return;
    }
    m_loadTried = true;
    m_library = LoadFromProgramOrSystemFolder();
    if (!m_library) {
        const DWORD error = GetLastError();
        Fail(std::string(kLibraryName) + " could not be loaded (error " + std::to_string(error) +
             "): the parallel port is off");
        return;
    }
    m_read = Ordinal<ReadFunction>(m_library, kReadOrdinal);
    m_write = Ordinal<WriteFunction>(m_library, kWriteOrdinal);
    if (!m_read || !m_write) {
        const char* missing = !m_read ? "1 (read)" : "2 (write)";
        Fail(std::string(kLibraryName) + " has no ordinal " + missing +
             ": the parallel port is off");
        return;
    }
    if (m_log) {
        m_log(std::string(kLibraryName) + " loaded from " + ModulePath(m_library), 3);
    }
}

void CInpOut32Port::Fail(const std::string& text) {
    if (m_library) {
        FreeLibrary(m_library);
        m_library = nullptr;
    }
    m_read = nullptr;
    m_write = nullptr;
    m_statusText = kMissingText;
    if (m_log) {
        m_log(text, 1);
    }
}

bool CInpOut32Port::IsOpen() const {
    return m_read != nullptr;
}

const std::string& CInpOut32Port::StatusText() const {
    return m_statusText;
}

void CInpOut32Port::Write(std::uint16_t address, std::uint8_t value) {
    LoadOnce();
    if (m_write) {
        m_write(static_cast<short>(address), static_cast<short>(value));
    }
}

std::uint8_t CInpOut32Port::Read(std::uint16_t address) {
    LoadOnce();
    if (!m_read) {
        return kStandingCode;
    }
    return static_cast<std::uint8_t>(m_read(static_cast<short>(address)) & 0xFF);
}
