// Data rows in full precision, for readers that want the run's doubles
// rather than their fixed-width renderings.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

#include "textio/text_output.h"

namespace smproc {

// Writes one row: each value as the shortest text that reads back to the same
// double ("0.1", "-2.5e-07"), each followed by a comma as in the fixed-width
// rows, so the same readers take both.
void write_full_precision_row(textio::Output& out, std::span<const double> values);
void write_full_precision_row(textio::Output& out, std::initializer_list<double> values);

// Rows 0 .. rows - 1 of `items` values each, row k's set by fill(k, values),
// as RowWriter::write_rows sets them.
template <typename Fill>
void write_full_precision_rows(textio::Output& out, std::size_t rows, std::size_t items,
                               Fill fill) {
  std::vector<double> values(items);
  for (std::size_t k = 0; k < rows; ++k) {
    fill(k, std::span<double>(values));
    write_full_precision_row(out, values);
  }
}

}  // namespace smproc
