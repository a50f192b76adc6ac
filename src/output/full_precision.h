// Data rows in full precision, for readers that want the run's doubles
// rather than their fixed-width renderings.
#pragma once

#include <initializer_list>
#include <span>

#include "textio/text_output.h"

namespace smproc {

// Writes one row: each value as the shortest text that reads back to the same
// double ("0.1", "-2.5e-07"), each followed by a comma as in the fixed-width
// rows, so the same readers take both.
void write_full_precision_row(textio::Output& out, std::span<const double> values);
void write_full_precision_row(textio::Output& out, std::initializer_list<double> values);

}  // namespace smproc
