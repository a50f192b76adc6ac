#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "textio/double_cases.h"
#include "textio/exponent_field.h"
#include "textio/fixed_field.h"
#include "textio/format.h"
#include "textio/text_output.h"

namespace smproc::textio {
namespace {

using namespace smproc::testing;

// What a formatted write of `items` gives, stepped through the format the
// plain way, one descriptor at a time, fields by the general conversions.
std::string reference(const Format& format, const std::vector<double>& items) {
  const auto& ops = format.descriptors();
  std::string out;
  std::size_t k = 0, p = 0, blanks = 0;
  bool edits = false;
  for (;;) {
    if (p == ops.size()) {
      if (k == items.size() || !edits) break;
      out += '\n';
      blanks = 0;
      p = format.reversion();
      continue;
    }
    const Descriptor& op = ops[p++];
    if (op.takes_item() && k == items.size()) break;
    edits = edits || op.takes_item();
    if (op.kind == Descriptor::Kind::skip) {
      blanks += static_cast<std::size_t>(op.w);
    } else if (op.kind == Descriptor::Kind::slash) {
      out += '\n';
      blanks = 0;
    } else {
      out.append(blanks, ' ');
      blanks = 0;
      if (op.kind == Descriptor::Kind::literal) out += op.literal;
      if (op.kind == Descriptor::Kind::fixed) append_exact_fixed_field(out, items[k++], op.w, op.d);
      if (op.kind == Descriptor::Kind::exponent)
        append_exact_exponent_field(out, items[k++], op.w, op.d);
    }
  }
  return out + '\n';
}

// Rows of every count of items, written again and again by one writer,
// match the plain reading of the format with the exact conversions: the
// output files' two formats, reversion, slashes and moves, fields too
// narrow for their values.
TEST(RowWriterTest, ManyRowsMatchTheFormatReadPlainly) {
  std::mt19937_64 gen(20261208);
  std::vector<double> values = random_magnitudes(gen, 3000, -12, 8);
  for (double v : powers_of_ten(-10, 10)) values.push_back(v);
  for (double v : subnormals_and_zeros(gen, 50)) values.push_back(v);
  for (double v : random_bit_patterns(gen, 300)) values.push_back(v);
  for (double v : {std::numeric_limits<double>::infinity(), -std::nan(""), 0.5, -0.05, 999.9999,
                   -99999.99995, 1e7, 0.00005, -0.00005})
    values.push_back(v);
  const char* formats[] = {"(F8.3,4(',',F12.4))", "(F8.4,6(',',E12.4))", "(F5.2,2X,E10.3)",
                           "('x',2(F6.1,/),3X,F4.0)", "(E8.1,F3.1,F2.0)", "('abc',2X)",
                           "('a literal longer than eight',F6.2,'and a long tail too',2X,F1.0)"};
  for (const char* text : formats) {
    const Format format(text);
    for (std::size_t items = 0; items <= 6; ++items) {
      SCOPED_TRACE(std::string(text) + " with " + std::to_string(items) + " items");
      const RowWriter writer(format, items);
      std::string got, want;
      Output out = Output::to_text(&got, unit_file, "rows");
      std::vector<std::size_t> starts;
      for (std::size_t at = 0; at + items <= values.size(); at += items + 1) {
        const std::vector<double> row(values.begin() + static_cast<long>(at),
                                      values.begin() + static_cast<long>(at + items));
        writer.write(out, row);
        want += reference(format, row);
        starts.push_back(at);
        if (items == 0 && at > 20) break;
      }
      out.close();
      ASSERT_EQ(got, want);
      // The same rows as one run of rows.
      std::string run;
      Output rows = Output::to_text(&run, unit_file, "rows");
      writer.write_rows(rows, starts.size(), [&](std::size_t k, std::span<double> row) {
        std::copy_n(values.begin() + static_cast<long>(starts[k]), items, row.begin());
      });
      rows.close();
      ASSERT_EQ(run, want);
    }
  }
}

}  // namespace
}  // namespace smproc::textio
