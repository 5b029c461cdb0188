#include "tools/relvanlink/LinkLines.h"

namespace {

constexpr char kTab = '\t';
constexpr char kEscape = '\\';
constexpr std::size_t kMaxIdDigits = 9;

char EscapeLetter(char c) {
    switch (c) {
    case '\t':
        return 't';
    case '\r':
        return 'r';
    case '\n':
        return 'n';
    case kEscape:
        return kEscape;
    default:
        return 0;
    }
}

char EscapedCharacter(char letter) {
    switch (letter) {
    case 't':
        return '\t';
    case 'r':
        return '\r';
    case 'n':
        return '\n';
    case kEscape:
        return kEscape;
    default:
        return 0;
    }
}

bool ParseId(const std::string& text, int& id) {
    if (text.empty() || text.size() > kMaxIdDigits) {
        return false;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    id = value;
    return true;
}

} // namespace

std::string EscapeField(const std::string& text) {
    std::string field;
    field.reserve(text.size());
    for (char c : text) {
        const char letter = EscapeLetter(c);
        if (letter != 0) {
            field += kEscape;
            field += letter;
        } else {
            field += c;
        }
    }
    return field;
}

std::string UnescapeField(const std::string& field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char escaped =
            field[i] == kEscape && i + 1 < field.size() ? EscapedCharacter(field[i + 1]) : 0;
        if (escaped != 0) {
            text += escaped;
            ++i;
        } else {
            text += field[i];
        }
    }
    return text;
}

LineFields SplitLine(const std::string& line) {
    LineFields fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find(kTab, start);
        fields.push_back(UnescapeField(line.substr(start, tab - start)));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::string JoinLine(const LineFields& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += kTab;
        }
        line += EscapeField(fields[i]);
    }
    line += '\n';
    return line;
}

std::string CallLine(int id, const LineFields& args) {
    LineFields fields{"CALL", std::to_string(id)};
    fields.insert(fields.end(), args.begin(), args.end());
    return JoinLine(fields);
}

bool ParseEventLine(const std::string& line, int& id, LineFields& args) {
    LineFields fields = SplitLine(line);
    if (fields.size() < 2 || fields[0] != "EVENT" || !ParseId(fields[1], id)) {
        return false;
    }
    args.assign(fields.begin() + 2, fields.end());
    return true;
}

LineAssembler::LineAssembler(std::size_t limit) : m_limit(limit) {}

void LineAssembler::Feed(const char* data, std::size_t size, const LineHandler& onLine) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            if (!m_overlong) {
                if (!m_line.empty() && m_line.back() == '\r') {
                    m_line.pop_back();
                }
                onLine(m_line);
            }
            m_line.clear();
            m_overlong = false;
        } else if (m_overlong) {
            continue;
        } else if (m_line.size() < m_limit) {
            m_line += c;
        } else {
            m_line.clear();
            m_overlong = true;
        }
    }
}
