#include "tools/hostsim/HostCommand.h"

#include "bridge/HostRecord.h"
#include "tools/hostsim/RecordFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace hostsim {
namespace {

// A block larger than this is refused: the sender has to own every byte the system copies.
constexpr unsigned long kMaxBlock = 1ul << 20;

// Splits off the first blank-separated word; `rest` is what follows the one blank after it.
std::string takeWord(const std::string& line, std::string& rest) {
    const auto blank = line.find(' ');
    if (blank == std::string::npos) {
        rest.clear();
        return line;
    }
    rest = line.substr(blank + 1);
    return line.substr(0, blank);
}

bool parseNumber(const std::string& text, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    errno = 0;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0 && value <= 0xFFFFFFFFul;
}

HostCommand invalid(const std::string& why) {
    HostCommand command;
    command.action = Action::Invalid;
    command.error = why;
    return command;
}

HostCommand textRecord(DWORD kind, const std::string& text, unsigned long cbData) {
    if (cbData > kMaxBlock) {
        return invalid("code above " + std::to_string(kMaxBlock) + ": use raw with null");
    }
    HostCommand command;
    command.action = Action::Send;
    command.record.kind = kind;
    command.record.cbData = static_cast<DWORD>(cbData);
    const std::size_t size = cbData > text.size() + 1 ? cbData : text.size() + 1;
    command.record.block.assign(size, 0);
    std::copy(text.begin(), text.end(), command.record.block.begin());
    return command;
}

HostCommand codedRecord(DWORD kind, const std::string& args) {
    std::string text;
    unsigned long code = 0;
    if (!parseNumber(takeWord(args, text), code)) {
        return invalid("expected a code number");
    }
    return textRecord(kind, text, code);
}

bool parseHex(const std::string& text, std::vector<unsigned char>& bytes) {
    std::string digits;
    for (const char c : text) {
        if (c != ' ') {
            digits += c;
        }
    }
    if (digits.size() % 2 != 0 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(
            static_cast<unsigned char>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
    }
    return true;
}

HostCommand rawRecord(const std::string& args) {
    std::string afterKind;
    std::string data;
    unsigned long kind = 0;
    unsigned long cbData = 0;
    if (!parseNumber(takeWord(args, afterKind), kind) ||
        !parseNumber(takeWord(afterKind, data), cbData)) {
        return invalid("usage: raw <kind> <cbData> <hex|null>");
    }
    HostCommand command;
    command.action = Action::Send;
    command.record.kind = static_cast<DWORD>(kind);
    command.record.cbData = static_cast<DWORD>(cbData);
    command.record.showHex = true;
    if (data == "null") {
        command.record.nullData = true;
        return command;
    }
    if (cbData > kMaxBlock) {
        return invalid("cbData above " + std::to_string(kMaxBlock) + " needs null data");
    }
    if (!parseHex(data, command.record.block)) {
        return invalid("data must be hex bytes or null");
    }
    if (command.record.block.size() < cbData) {
        command.record.block.resize(cbData, 0);
    }
    return command;
}

HostCommand sleepCommand(const std::string& args) {
    unsigned long ms = 0;
    if (!parseNumber(args, ms)) {
        return invalid("usage: sleep <ms>");
    }
    HostCommand command;
    command.action = Action::Sleep;
    command.sleepMs = static_cast<DWORD>(ms);
    return command;
}

std::string hexOf(const std::vector<unsigned char>& bytes, DWORD count) {
    std::string hex;
    char pair[3];
    for (DWORD i = 0; i < count && i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        hex += pair;
    }
    return hex;
}

} // namespace

HostCommand parseHostCommand(const std::string& line) {
    if (line.empty() || line[0] == '#') {
        return HostCommand{};
    }
    std::string args;
    const std::string verb = takeWord(line, args);
    if (verb == "send") {
        return textRecord(kKindGeneratorCommand, args, args.size() + 1);
    }
    if (verb == "cmd") {
        return codedRecord(kKindGeneratorCommand, args);
    }
    if (verb == "console") {
        return codedRecord(kKindConsoleCommand, args);
    }
    if (verb == "list") {
        return textRecord(kKindParameterList, args, args.size() + 1);
    }
    if (verb == "raw") {
        return rawRecord(args);
    }
    if (verb == "sleep") {
        return sleepCommand(args);
    }
    if (verb == "quit") {
        HostCommand command;
        command.action = Action::Quit;
        return command;
    }
    return invalid("unknown command \"" + verb + "\"");
}

std::string describeSent(const OutgoingRecord& record) {
    std::string line =
        "SENT kind=" + std::to_string(record.kind) + " cb=" + std::to_string(record.cbData);
    if (record.nullData) {
        return line + " data=null";
    }
    if (record.showHex) {
        return line + " hex=" + hexOf(record.block, record.cbData);
    }
    std::string text;
    for (DWORD i = 0; i < record.cbData && record.block[i] != 0; ++i) {
        text += static_cast<char>(record.block[i]);
    }
    return line + " text=" + quoted(text);
}

} // namespace hostsim
