#include "support/Token.h"

namespace {

// An empty delimiter is never found: it cannot cut anything, and treating it
// as found everywhere would never let HasMoreTokens end.
std::size_t FindDelimiter(const std::string& text, const std::string& delimiter) {
    return delimiter.empty() ? std::string::npos : text.find(delimiter);
}

} // namespace

CToken::CToken(std::string text) : m_strSource(std::move(text)), m_strRemainder(m_strSource) {}

void CToken::SetDelimiter(std::string delimiter) {
    m_strDelimiter = std::move(delimiter);
}

std::string CToken::NextToken() {
    std::string piece;
    if (m_bLastPiecePending) {
        piece.swap(m_strRemainder);
        m_bLastPiecePending = 0;
        return piece;
    }
    std::size_t at = FindDelimiter(m_strRemainder, m_strDelimiter);
    if (at == std::string::npos) {
        piece.swap(m_strRemainder);
        return piece;
    }
    m_bSplitSeen = 1;
    piece = m_strRemainder.substr(0, at);
    // Exactly one character is skipped for the delimiter, whatever its length.
    m_strRemainder.erase(0, at + 1);
    if (FindDelimiter(m_strRemainder, m_strDelimiter) == std::string::npos) {
        m_bLastPiecePending = 1;
    }
    return piece;
}

int CToken::HasMoreTokens() const {
    return (FindDelimiter(m_strRemainder, m_strDelimiter) != std::string::npos ||
            m_bLastPiecePending)
               ? 1
               : 0;
}
