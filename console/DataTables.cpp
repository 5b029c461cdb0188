#include "console/DataTables.h"

#include "bridge/DecimalText.h"

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The cells of each row of `bytes`: rows end at CR LF, CR or LF, and at the
// end of the bytes when the last row has any content; cells are separated
// by TAB.
std::vector<std::vector<std::string>> SplitRows(const std::string& bytes) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> cells;
    std::string cell;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\t') {
            cells.push_back(cell);
            cell.clear();
        } else if (IsLineEnd(c)) {
            cells.push_back(cell);
            cell.clear();
            rows.push_back(cells);
            cells.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            cell.push_back(c);
        }
    }
    if (!cell.empty() || !cells.empty()) {
        cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

bool IsEmptyRow(const std::vector<std::string>& cells) {
    return cells.size() == 1 && cells[0].empty();
}

std::string CountNote(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Blanks, an optional sign, digits, blanks: what an over cell should hold.
bool IsWholeNumber(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return false;
    }
    const std::size_t last = text.find_last_not_of(" \t");
    std::size_t at = first + (text[first] == '+' || text[first] == '-' ? 1 : 0);
    if (at > last) {
        return false;
    }
    for (; at <= last; ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

bool operator==(const StepTable& a, const StepTable& b) {
    return a.rows == b.rows;
}

OverGrid ClosedOverGrid() {
    OverGrid grid;
    for (auto& column : grid) {
        column.fill(kOverNotAllowed);
    }
    return grid;
}

StepTable ParseStepTable(const std::string& bytes, int columnCount, std::size_t maxRows,
                         std::vector<std::string>& notes) {
    StepTable table;
    const std::size_t width = static_cast<std::size_t>(columnCount);
    std::size_t shortRows = 0;
    std::size_t longRows = 0;
    std::size_t cutRows = 0;
    for (const std::vector<std::string>& cells : SplitRows(bytes)) {
        if (IsEmptyRow(cells)) {
            continue;
        }
        if (table.rows.size() >= maxRows) {
            ++cutRows;
            continue;
        }
        shortRows += cells.size() < width ? 1 : 0;
        longRows += cells.size() > width ? 1 : 0;
        StepRow row;
        for (std::size_t column = 0; column < width && column < cells.size(); ++column) {
            row[column] = cells[column];
        }
        table.rows.push_back(row);
    }
    if (shortRows != 0) {
        notes.push_back(CountNote(shortRows, "rows with missing cells, taken as empty"));
    }
    if (longRows != 0) {
        notes.push_back(CountNote(longRows, "rows with extra cells, dropped"));
    }
    if (cutRows != 0) {
        notes.push_back(CountNote(cutRows, "rows beyond the table's size, dropped"));
    }
    return table;
}

OverGrid ParseOverTable(const std::string& bytes, std::vector<std::string>& notes) {
    OverGrid grid = ClosedOverGrid();
    std::size_t droppedCells = 0;
    std::size_t notNumbers = 0;
    std::size_t line = 0;
    for (const std::vector<std::string>& cells : SplitRows(bytes)) {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (line < kOverLines && column < kOverColumns) {
                grid[column][line] = LeadingInt(cells[column]);
                notNumbers += !cells[column].empty() && !IsWholeNumber(cells[column]) ? 1 : 0;
            } else if (!cells[column].empty()) {
                ++droppedCells;
            }
        }
        ++line;
    }
    if (droppedCells != 0) {
        notes.push_back(CountNote(droppedCells, "cells beyond 21 columns or 38 lines, dropped"));
    }
    if (notNumbers != 0) {
        notes.push_back(CountNote(notNumbers,
                                  "cells that are not whole numbers, read up to the first "
                                  "character that is not a digit"));
    }
    return grid;
}

std::uint16_t ParsePortAddress(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        at += 2;
    }
    std::uint16_t value = 0;
    for (; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
        value = static_cast<std::uint16_t>(value * 16 + HexDigit(text[at]));
    }
    return value;
}

int MaGroupOf(int maIndex) {
    if (maIndex <= 6) {
        return 0;
    }
    if (maIndex <= 9) {
        return 1;
    }
    if (maIndex <= 11) {
        return 2;
    }
    return maIndex - 9;
}
