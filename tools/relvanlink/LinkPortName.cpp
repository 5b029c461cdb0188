#include "tools/relvanlink/LinkPortName.h"

namespace {

constexpr int kHighestPort = 255;
constexpr char kBlanks[] = " \t";

bool IsComPrefix(const std::string& text) {
    if (text.size() < 3) {
        return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = text[i];
        if (c != "COM"[i] && c != "com"[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

int ParseLinkPort(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return 0;
    }
    std::string name = text.substr(first, text.find_last_not_of(kBlanks) + 1 - first);
    if (IsComPrefix(name)) {
        name.erase(0, 3);
    }
    if (name.empty() || name.size() > 3) {
        return 0;
    }
    int port = 0;
    for (char c : name) {
        if (c < '0' || c > '9') {
            return 0;
        }
        port = port * 10 + (c - '0');
    }
    return port <= kHighestPort ? port : 0;
}

std::string LinkPortName(int port) {
    return "COM" + std::to_string(port);
}
