#include "tools/hostsim/RecordFormat.h"

#include "bridge/HostRecord.h"

#include <cstdio>

namespace hostsim {
namespace {

constexpr DWORD kReplyBlockSize = 260;
constexpr DWORD kIndexSize = 4;

std::string hexByte(unsigned char byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

const unsigned char* bytesOf(const COPYDATASTRUCT& record) {
    return static_cast<const unsigned char*>(record.lpData);
}

// Bytes from `offset` up to the first zero, never past `end`.
std::string textWithin(const COPYDATASTRUCT& record, DWORD offset, DWORD end) {
    std::string text;
    for (DWORD i = offset; i < end && bytesOf(record)[i] != 0; ++i) {
        text += static_cast<char>(bytesOf(record)[i]);
    }
    return text;
}

std::string head(const COPYDATASTRUCT& record) {
    return "RECV kind=" + std::to_string(record.dwData);
}

std::string describeRaw(const COPYDATASTRUCT& record) {
    std::string line = head(record) + " cb=" + std::to_string(record.cbData) + " hex=";
    if (record.lpData == nullptr) {
        return line + "null";
    }
    for (DWORD i = 0; i < record.cbData; ++i) {
        line += hexByte(bytesOf(record)[i]);
    }
    return line;
}

std::string describeReplyItem(const COPYDATASTRUCT& record) {
    if (record.lpData == nullptr || record.cbData < kIndexSize) {
        return describeRaw(record);
    }
    const unsigned char* bytes = bytesOf(record);
    const auto index = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
    const DWORD end = record.cbData < kReplyBlockSize ? record.cbData : kReplyBlockSize;
    return head(record) + " index=" + std::to_string(index) +
           " text=" + quoted(textWithin(record, kIndexSize, end));
}

std::string describeText(const COPYDATASTRUCT& record) {
    if (record.lpData == nullptr) {
        return describeRaw(record);
    }
    return head(record) + " text=" + quoted(textWithin(record, 0, record.cbData));
}

} // namespace

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            out += "\\x" + hexByte(byte);
        }
    }
    return out + "\"";
}

std::string describeRecord(const COPYDATASTRUCT& record) {
    switch (record.dwData) {
    case kKindReplyItem:
        return describeReplyItem(record);
    case kKindConsoleState:
        return head(record) + " value=" + std::to_string(record.cbData);
    case kKindConsoleValue:
    case kKindConsoleStatus:
        return describeText(record);
    default:
        return describeRaw(record);
    }
}

} // namespace hostsim
