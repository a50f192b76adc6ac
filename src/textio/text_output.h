// Writing lines: list writes (free form) and formatted writes (by a format),
// to the console or to a file, with the renderings of the numbers.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "textio/format.h"
#include "textio/output_stream.h"
#include "textio/row_writer.h"

namespace smproc::textio {

using WriteItem = std::variant<std::string_view, int, double>;

// One list write: the items on one line (or more, when it wraps at 80).
void list_write(Output& out, std::initializer_list<WriteItem> items);

// One formatted write of double items by the format.
void formatted_write(Output& out, const Format& format, std::span<const double> items);
void formatted_write(Output& out, const Format& format, std::initializer_list<double> items);

// Renderings, exposed for the tests.
std::string list_double(double v);                   // e.g. "  0.00999999978"
std::string fixed_field(double v, int w, int d);     // Fw.d
std::string exponent_field(double v, int w, int d);  // Ew.d

}  // namespace smproc::textio
