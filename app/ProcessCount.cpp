#include "app/ProcessCount.h"

#include <cctype>

namespace {

std::string UpperCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace

bool AllProcessIds(ProcessList& list, std::vector<std::uint32_t>& ids) {
    // The classic 250-id array misses processes on a machine that runs more;
    // double the buffer until the list leaves room to spare.
    std::size_t capacity = 250;
    for (;;) {
        ids.assign(capacity, 0);
        std::size_t count = 0;
        if (!list.EnumIds(ids.data(), capacity, count)) {
            ids.clear();
            return false;
        }
        if (count < capacity || capacity >= (std::size_t{1} << 20)) {
            ids.resize(count < capacity ? count : capacity);
            return true;
        }
        capacity *= 2;
    }
}

int CountMatchingProcesses(const std::string& fileName, ProcessList& list) {
    if (fileName.empty() || fileName.size() > 260) {
        return kBadFileName;
    }
    std::vector<std::uint32_t> ids;
    if (!AllProcessIds(list, ids)) {
        return kListFailed;
    }
    const std::string wanted = UpperCase(fileName);
    int matches = 0;
    for (std::uint32_t id : ids) {
        if (UpperCase(list.BaseName(id)) != wanted || !list.CanTerminate(id)) {
            continue;
        }
        if (++matches == 2) {
            return kTwoRunning;
        }
    }
    return kFewerThanTwo;
}

std::string ExeFileNameOf(const std::string& modulePath) {
    std::string name = modulePath.substr(modulePath.find_last_of('\\') + 1);
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}
