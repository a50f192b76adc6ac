#include "output/full_precision.h"

#include <charconv>

namespace smproc {

void write_full_precision_row(textio::Output& out, std::span<const double> values) {
  out.begin_statement("full precision");
  for (double v : values) {
    // The longest shortest form of a double, "-2.2250738585072014e-308", fits.
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, v).ptr;
    out.put(std::string_view(text, static_cast<std::size_t>(end - text)));
    out.put(',');
  }
  out.end_line();
}

void write_full_precision_row(textio::Output& out, std::initializer_list<double> values) {
  write_full_precision_row(out, std::span<const double>(values.begin(), values.size()));
}

}  // namespace smproc
