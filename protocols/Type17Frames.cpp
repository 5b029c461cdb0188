#include "protocols/Type17Frames.h"

#include "serial/ControlChars.h"

#include <algorithm>

namespace {

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

} // namespace

bool RewriteLineEnded(std::string& text, int& mark) {
    if (text.find("\r\n") == std::string::npos) {
        return false;
    }
    if (text.find(ETX) == std::string::npos) {
        text = ReplaceAll(text, "\r\n", std::string{ETX, ACK});
        mark = 1;
    } else {
        text = ReplaceAll(text, "\r\n", "");
        mark = 0;
    }
    return true;
}

bool RewriteErrorReply(std::string& text) {
    if (text.find("Error") == std::string::npos) {
        return false;
    }
    text = ReplaceAll(text, "Error ", "ADZ ");
    text += ETX;
    text += ACK;
    return true;
}

Type17Pieces CollectType17Frames(const std::string& text, bool opensWithChecksum) {
    Type17Pieces result;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        // A later piece opens with the checksum of the frame before, which is
        // never an end of frame even when its value is ETX.
        const std::size_t from = first && !opensWithChecksum ? start : start + 1;
        const std::size_t etx = from < text.size() ? text.find(ETX, from) : std::string::npos;
        if (etx == std::string::npos) {
            const std::string rest = text.substr(std::min(start, text.size()));
            if (rest.size() > 1) {
                result.pending += rest.substr(1); // the start of a frame still to come
            }
            return result;
        }
        const std::string piece = text.substr(start, etx - start);
        if (piece.size() <= 1) {
            return result; // an empty piece ends the collection
        }
        result.frames.push_back(piece.substr(1));
        start = etx + 1;
        result.checksumDue = start == text.size();
    }
}

std::string StripFraming(std::string piece) {
    EraseLeading(piece, SYN);
    EraseLeading(piece, STX);
    const std::size_t last = piece.find_last_not_of(ETX);
    piece.erase(last == std::string::npos ? 0 : last + 1);
    return piece;
}
