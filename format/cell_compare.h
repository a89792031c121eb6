#pragma once
// How the cells of a report list compare when the user sorts by a column:
// numbers as numbers, amounts ("900 B", "2.50 MB") by the bytes they stand
// for, dates and periods by year, month and day whatever the date format
// puts first, and everything else as text.

#include <cstdint>
#include <string_view>

namespace qm {

enum class CellKind { Number, Amount, Date, Text };

// Negative, zero or positive as a sorts before, with or after b. Dates are
// read in the order of the date format id; a period cell compares by its
// first date.
int CompareCells(CellKind kind, std::string_view a, std::string_view b, uint32_t dateFormat);

// The bytes an amount text stands for: the number times 1,024, 2^20, 2^30
// or 2^40 for a unit that begins with K, M, G or T (either case).
double AmountValue(std::string_view text);

}  // namespace qm
