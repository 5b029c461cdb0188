// The console's step and over table readers over arbitrary file content:
// a step table keeps at most its size in rows, each cell free of TAB and
// line ends, the cells beyond its columns empty; an over table leaves the
// lines the file does not have closed (999).
#include "FuzzConsole.h"

#include "console/DataTables.h"

namespace {

// The rows the file has: each line end (CR LF counted once) ends one, and a
// last line without an end counts when it holds anything.
std::size_t RowCount(const std::string& bytes) {
    std::size_t rows = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            ++rows;
            i += bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 1 : 0;
        }
    }
    const char last = bytes.empty() ? '\n' : bytes.back();
    return rows + (last != '\r' && last != '\n' ? 1 : 0);
}

void CheckStepTable(const std::string& bytes, int columns, std::size_t maxRows) {
    std::vector<std::string> notes;
    const StepTable table = ParseStepTable(bytes, columns, maxRows, notes);
    if (table.rows.size() > maxRows || table.rows.size() > RowCount(bytes)) {
        std::abort();
    }
    for (const StepRow& row : table.rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            const bool beyond = column >= static_cast<std::size_t>(columns);
            if (row[column].find_first_of("\t\r\n") != std::string::npos ||
                (beyond && !row[column].empty())) {
                std::abort();
            }
        }
    }
}

void CheckOverTable(const std::string& bytes) {
    std::vector<std::string> notes;
    const OverGrid grid = ParseOverTable(bytes, notes);
    for (std::size_t line = RowCount(bytes); line < kOverLines; ++line) {
        for (const auto& column : grid) {
            if (column[line] != kOverNotAllowed) {
                std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    const std::uint8_t choice = in.Byte();
    const std::size_t maxRows = in.Byte();
    const std::string bytes = in.Rest();
    if (choice % 3 == 2) {
        CheckOverTable(bytes);
    } else {
        CheckStepTable(bytes, 2 + choice % 3, maxRows);
    }
    return 0;
}
