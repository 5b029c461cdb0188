// Matching a value to the steps of a step table, whose display texts are
// read as numbers. The mode change rounds up to the next step; the host's
// exposure goes to the nearest step. Only the steps from 0 to `top` take
// part: the power model's highest selectable step, or the table's last row
// when the table is shorter (see TopSelectableStep).
#pragma once

#include "console/DataTables.h"

// How a step's display text is read: kV and mA as integers, sec and mAs as
// decimal fractions.
enum class StepReading { kInteger, kDecimal };

// The highest step that can be chosen: `maxIndex`, or the table's last row
// when that is lower (-1 for an empty table).
int TopSelectableStep(const StepTable& table, int maxIndex);

// The value of step `row`; false when the table has no such row.
bool StepValue(const StepTable& table, int row, StepReading reading, double& value);

// Rounding up: `value` is first held within the values of steps `top` and
// 0 (in that order), then the first step from 0 whose value is at least the
// result is taken. A product that equals a step's value up to the rounding
// of binary fractions (0.32 s x 10 mA and the step 3.2) takes that step.
// -1 when `top` is below 0 or `value` is not a finite number.
int FirstStepAtLeast(const StepTable& table, int top, double value);

// The nearest step: of the first step whose value is greater than `value`
// and the one before it, the nearer; the lower one on a tie. A value equal
// to step `top` takes that step. -1 when `value` lies below step 0 or above
// step `top` (no step on both sides), is not a finite number, or `top` is
// below 0.
int NearestStep(const StepTable& table, int top, double value, StepReading reading);
