// The link component's line codec over arbitrary bytes cut anywhere: lines
// never hold an LF nor exceed the limit, and their fields survive a join and
// a split.
#include "tools/relvanlink/LinkLines.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    constexpr std::size_t kLimit = 64;
    const auto onLine = [](const std::string& line) {
        const LineFields fields = SplitLine(line);
        std::string joined = JoinLine(fields);
        joined.pop_back();
        int id = 0;
        LineFields args;
        ParseEventLine(line, id, args);
        if (line.size() > kLimit || line.find('\n') != std::string::npos ||
            SplitLine(joined) != fields) {
            std::abort();
        }
    };
    const std::size_t cut = data[0] % size;
    const char* text = reinterpret_cast<const char*>(data + 1);
    LineAssembler assembler(kLimit);
    assembler.Feed(text, cut, onLine);
    assembler.Feed(text + cut, size - 1 - cut, onLine);
    return 0;
}
