#include "bridge/HostRecord.h"

#include <cstring>

std::string RecordText(const HostRecord& record) {
    if (record.data == nullptr || record.cbData == 0) {
        return std::string();
    }
    const char* bytes = static_cast<const char*>(record.data);
    const void* terminator = std::memchr(bytes, 0, record.cbData);
    const std::size_t length =
        terminator != nullptr
            ? static_cast<std::size_t>(static_cast<const char*>(terminator) - bytes)
            : record.cbData;
    return std::string(bytes, length);
}
