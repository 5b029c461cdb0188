#include "bridge/ReplyCodeTable.h"

#include <cctype>

const std::array<const char*, kReplyCodeCount> kReplyCodes = {
    "KV",  "MA",  "MS",  "MX",  "ER",  "EL",  "EC",  "ST",  "RE",  "RR",  "RS",  "RF", "WS", "BU",
    "TO",  "FO",  "ET",  "PR",  "XR",  "FI",  "FS",  "FN",  "AP",  "AT",  "HE",  "HO", "CA", "FLK",
    "FLM", "FLI", "FLT", "FLS", "FLF", "FLP", "FLX", "FLA", "FLZ", "FLR", "FLD", "TB", "MC", "FC",
    "CD",  "SA",  "KW",  "TR",  "GC",  "HH",  "GM",  "DA",  "DZ",  "DT",  "DS",  "FP", "FR", "PW"};

namespace {

bool EqualsNoCase(const std::string& text, const char* code) {
    std::size_t i = 0;
    for (; i < text.size() && code[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) !=
            std::toupper(static_cast<unsigned char>(code[i]))) {
            return false;
        }
    }
    return i == text.size() && code[i] == '\0';
}

std::string RemoveAll(std::string text, const std::string& part) {
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
    return text;
}

} // namespace

int ReplyCodeIndex(const std::string& code) {
    for (int index = 0; index < kReplyCodeCount; ++index) {
        if (EqualsNoCase(code, kReplyCodes[index])) {
            return index;
        }
    }
    return -1;
}

int SplitReplyItem(const std::string& item, std::string& code, std::string& value) {
    code.clear();
    value.clear();
    for (int index = 0; index < kReplyCodeCount; ++index) {
        if (item.find(kReplyCodes[index]) != std::string::npos) {
            code = kReplyCodes[index];
            value = RemoveAll(item, code);
            return index;
        }
    }
    return 0;
}
