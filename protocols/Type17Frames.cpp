#include "protocols/Type17Frames.h"

#include "protocols/ReplyLimits.h"
#include "serial/ControlChars.h"

namespace {

const char kLineEnd[] = "\r\n";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

void EraseLeading(std::string& text, char c) {
    text.erase(0, text.find_first_not_of(c));
}

bool EndsWithLineEnd(const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, kLineEnd) == 0;
}

// The unit just ended with CR LF and is no frame (holds no STX).
bool EndsLine(const std::string& unit) {
    return EndsWithLineEnd(unit) && unit.find(STX) == std::string::npos;
}

} // namespace

std::string ReceivedText(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        if (c != '\0') {
            text.push_back(static_cast<unsigned char>(c) > 0x7F ? '.' : c);
        }
    }
    return text;
}

std::vector<Type17Unit> TakeType17Units(std::string& pending, const std::string& block,
                                        std::vector<std::size_t>& dropped) {
    std::vector<Type17Unit> units;
    for (const char c : block) {
        if (!pending.empty() && pending.back() == ETX) {
            // This byte is the frame's checksum: the frame is complete.
            pending.pop_back();
            units.push_back({ReceivedText(pending), false});
            pending.clear();
            continue;
        }
        if (pending.size() >= kMaxLinkPending) {
            dropped.push_back(pending.size());
            pending.clear();
        }
        pending += c;
        if (EndsLine(pending)) {
            pending.resize(pending.size() - 2);
            units.push_back({ReceivedText(pending), true});
            pending.clear();
        }
    }
    return units;
}

bool RemoveLineEnds(std::string& text) {
    if (text.find(kLineEnd) == std::string::npos) {
        return false;
    }
    text = ReplaceAll(text, kLineEnd, "");
    return true;
}

bool RewriteErrorReply(std::string& text) {
    if (text.find("Error") == std::string::npos) {
        return false;
    }
    text = ReplaceAll(text, "Error ", "ADZ ");
    return true;
}

std::string StripFraming(std::string piece) {
    EraseLeading(piece, SYN);
    EraseLeading(piece, STX);
    const std::size_t last = piece.find_last_not_of(ETX);
    piece.erase(last == std::string::npos ? 0 : last + 1);
    return piece;
}
