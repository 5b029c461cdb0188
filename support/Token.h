// CToken: cuts a text into pieces at a one-character delimiter.
#pragma once

#include <string>

class CToken {
public:
    explicit CToken(std::string text);
    virtual ~CToken() = default;

    void SetDelimiter(std::string delimiter);
    // The next piece; an empty text once everything has been handed out.
    virtual std::string NextToken();
    // 1 while the remainder holds the delimiter or the last piece is pending.
    virtual int HasMoreTokens() const;
    // What NextToken has not yet handed out.
    std::string GetRemainder() const { return m_strRemainder; }

private:
    std::string m_strSource;
    std::string m_strRemainder;
    std::string m_strDelimiter = " ";
    int m_bSplitSeen = 0;
    int m_bLastPiecePending = 0;
};
