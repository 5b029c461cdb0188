// Counting the running processes of one executable file name, the heart of
// the single-instance check. The process list itself comes from the system
// (PSAPI on Windows) through ProcessList, so the counting rule is portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Result codes of CountProcessInstances.
enum InstanceCount : int {
    kFewerThanTwo = 0,
    kTwoRunning = 1,
    kListFailed = 605,    // no PSAPI, a missing function, or enumeration failed
    kVersionFailed = 606, // the system version query failed
    kNotNtFamily = 607,
    kBadFileName = 632, // empty or longer than 260 bytes
};

class ProcessList {
public:
    virtual ~ProcessList() = default;
    // Fills `ids` (capacity `capacity`) and sets `count` to the number of ids
    // written; false when the enumeration fails.
    virtual bool EnumIds(std::uint32_t* ids, std::size_t capacity, std::size_t& count) = 0;
    // The base name of the process's first module; "Unknown" when unreadable.
    virtual std::string BaseName(std::uint32_t id) = 0;
    // Whether the process can be opened with terminate access.
    virtual bool CanTerminate(std::uint32_t id) = 0;
};

// Every running process id. The buffer grows until the system no longer fills
// it, so no process is missed on a busy machine.
bool AllProcessIds(ProcessList& list, std::vector<std::uint32_t>& ids);

// 1 when this name (compared without regard to case) runs twice: this process
// and another; 0 when fewer; 605 when the list fails.
int CountMatchingProcesses(const std::string& fileName, ProcessList& list);

// The lower-cased part of a module path after its last backslash.
std::string ExeFileNameOf(const std::string& modulePath);
