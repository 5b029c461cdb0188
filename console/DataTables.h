// The console's data tables and the readers of their files: the step tables
// (one row per step, cells separated by TAB, rows ended by CR LF), the mA
// grid that the pre-heat editor works on, and the over tables of a power
// model. The readers are pure functions on a file's bytes; what they had to
// cut or fill in comes back as notes for the log.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Columns of a step table row.
enum StepColumn : int {
    kDisplayColumn = 0, // the text shown (kV, mA, sec or mAs)
    kCodeColumn = 1,    // the text sent to the generator
    kThirdColumn = 2,   // kV: the second text sent; mA: the pre-heat value
};

using StepRow = std::array<std::string, 3>;

struct StepTable {
    std::vector<StepRow> rows;

    // -1 for an empty table.
    int LastRow() const { return static_cast<int>(rows.size()) - 1; }
    bool HasRow(int row) const { return row >= 0 && row < static_cast<int>(rows.size()); }
    // The cell, or null when the table has no such row: a step index beyond
    // the table is never used to read it.
    const std::string* Cell(int row, StepColumn column) const {
        return HasRow(row) ? &rows[static_cast<std::size_t>(row)][column] : nullptr;
    }
};

bool operator==(const StepTable& a, const StepTable& b);

// The mA table as the pre-heat editor keeps it: 21 rows of 3 cells.
constexpr int kMaGridRows = 21;
using MaGrid = std::array<StepRow, kMaGridRows>;

// An over table: for each mA step (21) and each time or mAs step (38) the
// highest kV allowed, 999 when none is.
constexpr int kOverColumns = 21;
constexpr int kOverLines = 38;
constexpr int kOverNotAllowed = 999;
using OverGrid = std::array<std::array<std::int32_t, kOverLines>, kOverColumns>;

// A grid where no combination is allowed (every cell 999).
OverGrid ClosedOverGrid();

// Reads a step table of `columnCount` (2 or 3) columns. Rows end at CR LF, a
// lone CR or a lone LF, and at the end of the file (a last row without CR LF
// keeps its last cell). Empty rows are skipped. A row gets exactly
// `columnCount` cells: missing ones are empty, extra ones dropped, with a
// note either way. At most `maxRows` rows are kept (a note when cut).
StepTable ParseStepTable(const std::string& bytes, int columnCount, std::size_t maxRows,
                         std::vector<std::string>& notes);

// Reads an over table: line n is the time or mAs step, cell c the mA step,
// each a decimal number. Cells the file does not give stay 999 (not
// allowed); cells and lines beyond the grid are dropped with a note.
OverGrid ParseOverTable(const std::string& bytes, std::vector<std::string>& notes);

// The parallel port address that a "paraio.dat" text gives: its leading
// hexadecimal number (a "0x" prefix allowed), low 16 bits; 0 when none.
std::uint16_t ParsePortAddress(const std::string& text);

// The mA group of an mA step, the section number of the kV reference data.
int MaGroupOf(int maIndex);
