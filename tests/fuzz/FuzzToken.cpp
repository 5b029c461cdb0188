// CToken over arbitrary text and delimiters: the pieces handed out never
// exceed the text, and the tokenizer always runs dry.
#include "support/Token.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t delimiterLength = data[0] % 4;
    if (size < 1 + delimiterLength) {
        return 0;
    }
    const std::string delimiter(reinterpret_cast<const char*>(data + 1), delimiterLength);
    const std::string text(reinterpret_cast<const char*>(data + 1 + delimiterLength),
                           size - 1 - delimiterLength);
    CToken token(text);
    if (!delimiter.empty()) {
        token.SetDelimiter(delimiter);
    }
    std::size_t handedOut = 0;
    for (std::size_t i = 0; i <= text.size() + 1; ++i) {
        handedOut += token.NextToken().size();
        token.HasMoreTokens();
        if (handedOut + token.GetRemainder().size() > text.size()) {
            std::abort();
        }
    }
    if (!token.NextToken().empty() || token.HasMoreTokens()) {
        std::abort();
    }
    return 0;
}
