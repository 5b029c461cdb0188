// The text lines that relvanlink.dll exchanges with the device behind its
// serial port. Free of Win32, so it is built and tested natively too.
//
// A line is bytes ended by LF (a CR before the LF is dropped); its fields
// are separated by one TAB. Inside a field TAB, CR, LF and backslash are
// written \t, \r, \n and \\; a backslash before any other character (or at
// the end of a field) stands for itself. An empty argument is an empty
// field, so "CALL\t4\t" carries one empty argument and "CALL\t4" none.
//   to the device:   CALL<TAB>id<TAB>arg...   (one line per method call)
//   from the device: EVENT<TAB>id<TAB>arg...  (raises event id)
// Ids are decimal, one to nine digits.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

using LineFields = std::vector<std::string>;

std::string EscapeField(const std::string& text);
std::string UnescapeField(const std::string& field);
// The fields of a line (without its LF), unescaped.
LineFields SplitLine(const std::string& line);
// The fields escaped, joined by TABs and ended by LF.
std::string JoinLine(const LineFields& fields);

// The line that reports method call `id` with `args` to the device.
std::string CallLine(int id, const LineFields& args);
// The event that `line` raises; false for any line that is not an EVENT line
// with a valid id.
bool ParseEventLine(const std::string& line, int& id, LineFields& args);

// Cuts received bytes, however they arrive, into lines. A line of more than
// `limit` bytes before its LF (a CR counted) is dropped whole, and never holds
// more memory than the limit.
class LineAssembler {
public:
    using LineHandler = std::function<void(const std::string& line)>;

    static constexpr std::size_t kDefaultLimit = 4096;
    explicit LineAssembler(std::size_t limit = kDefaultLimit);

    // Hands every line that these bytes complete to `onLine`, without its
    // CR LF or LF.
    void Feed(const char* data, std::size_t size, const LineHandler& onLine);

private:
    std::size_t m_limit;
    std::string m_line;
    bool m_overlong = false;
};
