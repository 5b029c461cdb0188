// The private-profile rules, as the system applies them:
// - lines end at any run of CR and LF; blanks, tabs, vertical tabs, form
//   feeds and Ctrl-Z around a line, a key and a value are ignored;
// - "[name]" starts a section (the text up to the last ']'); lines before the
//   first section belong to a nameless one;
// - "key=value" lines; a line without '=' is a key without value, which reads
//   as missing; ';' lines are no different, their key simply never matches;
// - names compare without regard to case; only the first section of a name
//   and the first key of a name in it count;
// - a value (or default) wrapped in one pair of matching quotes loses them;
// - the integer reading takes the text as read into a 30-byte buffer.
#include "support/IniReader.h"

#include <cstdint>
#include <optional>

namespace {

constexpr std::size_t kIntBufferSize = 30;

bool IsProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsProfileSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsProfileSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// Names and values are C strings to the system: a NUL ends them.
std::string CutAtNul(std::string text) {
    std::size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        text.erase(nul);
    }
    return text;
}

// One line of the file, its break excluded, and what it says.
struct IniLine {
    std::size_t begin = 0;
    std::size_t end = 0;  // one past the line's last character
    std::size_t next = 0; // start of the following line
    bool isSection = false;
    bool isKey = false;
    std::string name;                 // section or key name
    std::optional<std::string> value; // absent on a key line without '='
};

std::size_t SkipByteOrderMark(const std::string& content) {
    return content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

void Interpret(const std::string& text, IniLine& line) {
    std::string trimmed = Trim(text);
    if (trimmed.empty()) {
        return;
    }
    std::size_t close = trimmed.rfind(']');
    if (trimmed[0] == '[' && close != std::string::npos) {
        line.isSection = true;
        line.name = CutAtNul(Trim(trimmed.substr(1, close - 1)));
        return;
    }
    line.isKey = true;
    std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos) {
        line.name = CutAtNul(trimmed);
        return;
    }
    line.name = CutAtNul(Trim(trimmed.substr(0, equals)));
    line.value = CutAtNul(Trim(trimmed.substr(equals + 1)));
}

IniLine LineAt(const std::string& content, std::size_t begin) {
    IniLine line;
    line.begin = begin;
    line.end = content.find_first_of("\r\n", begin);
    if (line.end == std::string::npos) {
        line.end = content.size();
    }
    line.next = content.find_first_not_of("\r\n", line.end);
    if (line.next == std::string::npos) {
        line.next = content.size();
    }
    Interpret(content.substr(begin, line.end - begin), line);
    return line;
}

// Where a key stands in the file. `sectionFound` tells whether the section
// exists; `lastLineOfSection` is its last non-blank line (its header when it
// has no keys), absent for the nameless section without lines.
struct KeyLookup {
    bool sectionFound = false;
    std::optional<IniLine> key;
    std::optional<IniLine> lastLineOfSection;
};

KeyLookup FindKey(const std::string& content, const std::string& section, const std::string& key) {
    const std::string wantedSection = Trim(section);
    const std::string wantedKey = Trim(key);
    KeyLookup found;
    bool inSection = wantedSection.empty(); // the nameless section comes first
    found.sectionFound = inSection;
    for (std::size_t at = SkipByteOrderMark(content); at < content.size();) {
        IniLine line = LineAt(content, at);
        at = line.next;
        if (line.isSection) {
            if (found.sectionFound) {
                break; // only the first section of that name counts
            }
            inSection = EqualsNoCase(line.name, wantedSection);
            found.sectionFound = inSection;
        }
        if (!inSection || (!line.isSection && !line.isKey)) {
            continue;
        }
        found.lastLineOfSection = line;
        if (line.isKey && EqualsNoCase(line.name, wantedKey)) {
            found.key = line;
            break;
        }
    }
    return found;
}

// Copies a value into a buffer of `bufferSize` bytes the way the system does:
// one pair of matching surrounding quotes goes, but when the buffer is too
// small for the value and its closing quote, the cut text is returned as is.
std::string CopyEntry(std::string value, std::size_t bufferSize) {
    if (bufferSize == 0) {
        return std::string();
    }
    bool quoted =
        value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    if (quoted) {
        value.erase(0, 1);
    }
    std::string out = value.substr(0, bufferSize - 1);
    if (quoted && bufferSize >= value.size() && !out.empty()) {
        out.pop_back();
    }
    return out;
}

// The system drops trailing blanks of a default, keeping at least one
// character.
std::string StripDefault(std::string value) {
    while (value.size() > 1 && value.back() == ' ') {
        value.pop_back();
    }
    return value;
}

// The system's text-to-integer rule: leading characters up to the blank are
// skipped, one sign, a "0x", "0o" or "0b" prefix chooses the base, digits are
// taken up to the first non-digit, and the sum wraps around 32 bits.
int ParseProfileInt(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    unsigned base = 10;
    if (at + 1 < text.size() && text[at] == '0') {
        const char prefix = text[at + 1];
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        at += base == 10 ? 0 : 2;
    }
    std::uint32_t total = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        unsigned digit = 99;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z') {
            digit = static_cast<unsigned>(AsciiLower(c) - 'a' + 10);
        }
        if (digit >= base) {
            break;
        }
        total = total * base + digit;
    }
    if (negative) {
        total = 0u - total;
    }
    return total > 0x7FFFFFFFu ? static_cast<int>(static_cast<std::int64_t>(total) - 0x100000000LL)
                               : static_cast<int>(total);
}

std::string LineBreakOf(const std::string& content) {
    std::size_t lf = content.find('\n');
    bool bareLf = lf != std::string::npos && (lf == 0 || content[lf - 1] != '\r');
    return bareLf ? "\n" : "\r\n";
}

} // namespace

std::string IniReadString(const std::string& content, const std::string& section,
                          const std::string& key, const std::string& defaultValue,
                          std::size_t bufferSize) {
    KeyLookup found = FindKey(content, section, key);
    if (found.key && found.key->value) {
        return CopyEntry(*found.key->value, bufferSize);
    }
    return CopyEntry(StripDefault(defaultValue), bufferSize);
}

int IniReadInt(const std::string& content, const std::string& section, const std::string& key,
               int defaultValue) {
    std::string text = IniReadString(content, section, key, std::string(), kIntBufferSize);
    // An empty value reads like a missing key.
    return text.empty() ? defaultValue : ParseProfileInt(text);
}

std::string IniWriteString(const std::string& content, const std::string& section,
                           const std::string& key, const std::string& value) {
    const std::string eol = LineBreakOf(content);
    const std::string newEntry = Trim(key) + "=" + value;
    KeyLookup found = FindKey(content, section, key);
    std::string out = content;
    if (found.key) {
        // The key keeps the spelling it has in the file.
        return out.replace(found.key->begin, found.key->end - found.key->begin,
                           found.key->name + "=" + value);
    }
    if (found.sectionFound && found.lastLineOfSection) {
        return out.insert(found.lastLineOfSection->end, eol + newEntry);
    }
    if (found.sectionFound) {
        // The nameless section, still empty: the entry opens the file.
        return out.insert(SkipByteOrderMark(out), newEntry + eol);
    }
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') {
        out += eol;
    }
    return out + "[" + Trim(section) + "]" + eol + newEntry + eol;
}
