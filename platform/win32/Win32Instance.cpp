// The Win32 face of the running program: PSAPI's process list (loaded at run
// time by name), the executable's path and the window slot shared between
// all running copies of relvan.exe.
#include "platform/Instance.h"

#include "app/ProcessCount.h"

namespace {

// One pointer-sized slot in a section that every running copy of the
// executable shares.
HWND g_hSharedMainWnd __attribute__((section(".shr"), shared)) = nullptr;

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

class PsapiProcessList : public ProcessList {
public:
    explicit PsapiProcessList(HMODULE psapi)
        : m_enumProcesses(reinterpret_cast<EnumProcessesFn>(
              reinterpret_cast<void*>(GetProcAddress(psapi, "EnumProcesses")))),
          m_enumModules(reinterpret_cast<EnumProcessModulesFn>(
              reinterpret_cast<void*>(GetProcAddress(psapi, "EnumProcessModules")))),
          m_baseName(reinterpret_cast<GetModuleBaseNameFn>(
              reinterpret_cast<void*>(GetProcAddress(psapi, "GetModuleBaseNameA")))) {}

    bool Complete() const { return m_enumProcesses && m_enumModules && m_baseName; }

    bool EnumIds(std::uint32_t* ids, std::size_t capacity, std::size_t& count) override {
        DWORD bytes = 0;
        const DWORD size = static_cast<DWORD>(capacity * sizeof(DWORD));
        if (!m_enumProcesses(reinterpret_cast<DWORD*>(ids), size, &bytes)) {
            return false;
        }
        count = bytes / sizeof(DWORD);
        return true;
    }

    std::string BaseName(std::uint32_t id) override {
        std::string name = "Unknown";
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
        if (process == nullptr) {
            return name;
        }
        HMODULE module = nullptr;
        DWORD needed = 0;
        char text[MAX_PATH + 1] = {};
        if (m_enumModules(process, &module, sizeof module, &needed) &&
            m_baseName(process, module, text, MAX_PATH) > 0) {
            name = text;
        }
        CloseHandle(process);
        return name;
    }

    bool CanTerminate(std::uint32_t id) override {
        HANDLE probe = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (probe == nullptr) {
            return false;
        }
        CloseHandle(probe);
        return true;
    }

private:
    EnumProcessesFn m_enumProcesses;
    EnumProcessModulesFn m_enumModules;
    GetModuleBaseNameFn m_baseName;
};

} // namespace

namespace platform {

std::string ModuleFileName() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    // A longer path is cut at MAX_PATH characters: none is better than that.
    return length < MAX_PATH ? std::string(path, length) : std::string();
}

bool ChangeDirectory(const std::string& directory) {
    return SetCurrentDirectoryA(directory.c_str()) != FALSE;
}

int CountProcessInstances(const std::string& fileName) {
    if (fileName.empty() || fileName.size() > 260) {
        return kBadFileName;
    }
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version)) {
        return kVersionFailed;
    }
#pragma GCC diagnostic pop
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        return kNotNtFamily;
    }
    HMODULE psapi = LoadLibraryA("PSAPI.DLL");
    if (psapi == nullptr) {
        return kListFailed;
    }
    PsapiProcessList list(psapi);
    const int result = list.Complete() ? CountMatchingProcesses(fileName, list) : kListFailed;
    FreeLibrary(psapi);
    return result;
}

HWND SharedMainWindow() {
    return g_hSharedMainWnd;
}

void PublishMainWindow(HWND hwnd) {
    g_hSharedMainWnd = hwnd;
}

void BringToForeground(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        return;
    }
    SetForegroundWindow(hwnd);
    // Asynchronous: a first copy that is busy or hung does not hold this one.
    if (IsIconic(hwnd)) {
        ShowWindowAsync(hwnd, SW_RESTORE);
    }
}

void PostQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

} // namespace platform
