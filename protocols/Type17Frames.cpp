#include "protocols/Type17Frames.h"

#include "serial/ControlChars.h"
#include "support/Token.h"

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

Type17Pieces CollectType17Frames(const std::string& text) {
    Type17Pieces result;
    CToken token(text);
    token.SetDelimiter(std::string(1, ETX));
    std::string piece;
    do {
        const std::size_t remaining = token.GetRemainder().size();
        piece = token.NextToken();
        const std::string body = piece.empty() ? std::string() : piece.substr(1);
        const bool lastWithoutEtx = !piece.empty() && piece.size() == remaining;
        if (lastWithoutEtx && piece.size() > 1) {
            result.pending += body;
        } else if (body.empty()) {
            break;
        } else {
            result.frames.push_back(body);
        }
    } while (!piece.empty());
    return result;
}

std::string StripFraming(std::string piece) {
    EraseLeading(piece, SYN);
    EraseLeading(piece, STX);
    const std::size_t last = piece.find_last_not_of(ETX);
    piece.erase(last == std::string::npos ? 0 : last + 1);
    return piece;
}
