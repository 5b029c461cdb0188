#include "console/StepMatching.h"

#include "bridge/DecimalText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Two values closer than this, relative to their size, count as equal: the
// texts "3.2" and "0.32" x "10" are one value written two ways.
constexpr double kRelativeTolerance = 1e-9;

bool NearlyEqual(double a, double b) {
    return std::fabs(a - b) <= kRelativeTolerance * std::max({std::fabs(a), std::fabs(b), 1.0});
}

bool AtLeast(double a, double b) {
    return a > b || NearlyEqual(a, b);
}

double ValueOf(const StepTable& table, int row) {
    double value = 0.0;
    StepValue(table, row, StepReading::kDecimal, value);
    return value;
}

} // namespace

int TopSelectableStep(const StepTable& table, int maxIndex) {
    return std::min(maxIndex, table.LastRow());
}

bool StepValue(const StepTable& table, int row, StepReading reading, double& value) {
    const std::string* text = table.Cell(row, kDisplayColumn);
    if (text == nullptr) {
        return false;
    }
    value =
        reading == StepReading::kInteger ? LeadingInt(*text) : std::strtod(text->c_str(), nullptr);
    return true;
}

int FirstStepAtLeast(const StepTable& table, int top, double value) {
    if (top < 0 || !std::isfinite(value)) {
        return -1;
    }
    const double topValue = ValueOf(table, top);
    if (topValue < value) {
        value = topValue;
    }
    const double firstValue = ValueOf(table, 0);
    if (firstValue > value) {
        value = firstValue;
    }
    for (int row = 0; row < top; ++row) {
        if (AtLeast(ValueOf(table, row), value)) {
            return row;
        }
    }
    return top;
}

int NearestStep(const StepTable& table, int top, double value, StepReading reading) {
    double first = 0.0;
    double last = 0.0;
    if (top < 0 || !std::isfinite(value) || !StepValue(table, 0, reading, first) ||
        !StepValue(table, top, reading, last) || value < first || value > last) {
        return -1;
    }
    for (int row = 1; row <= top; ++row) {
        double above = 0.0;
        StepValue(table, row, reading, above);
        if (above > value) {
            double below = 0.0;
            StepValue(table, row - 1, reading, below);
            const double toBelow = value - below;
            const double toAbove = above - value;
            return toBelow < toAbove || NearlyEqual(toBelow, toAbove) ? row - 1 : row;
        }
    }
    return top;
}
