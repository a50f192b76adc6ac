#include "textio/formatted_read.h"

#include <string>
#include <variant>

#include "textio/number_scan.h"

namespace smproc::textio {

namespace {

// A field of a formatted read, blanks removed. Without a written point the
// last d digits are decimals; a field without digits reads as zero.
bool parse_field(std::string_view f, int d, double& out, bool& overflow) {
  overflow = false;
  NumberScan n;
  for (char c : f) n.add(c);
  if (n.trailing) return false;
  if (n.digits == 0) {
    out = 0.0;
    return true;
  }
  Syntax s = n.convert(n.point ? n.exp() : n.exp() - d, out);
  overflow = s == Syntax::overflow;
  return s != Syntax::not_a_number;
}

}  // namespace

void formatted_read(Input& in, const Format& format, std::span<const ReadItem> items) {
  in.begin_statement(format.text());
  if (in.peek() == Input::end_of_file)
    in.fail(in.ended_without_line_end() ? "read start" : "fmt", "end of file");
  // Once the line end is met, nothing more is taken from the line.
  bool line_over = false;
  auto next = [&]() -> int {
    if (line_over) return Input::line_end;
    int c = in.peek();
    if (c == Input::line_end || c == Input::end_of_file) {
      line_over = true;
      return Input::line_end;
    }
    return c;
  };
  std::size_t k = 0;
  std::string field;
  for (const Descriptor& op : format.descriptors()) {
    if (op.takes_item() && k == items.size()) break;
    switch (op.kind) {
      case Descriptor::Kind::skip:
        for (int n = 0; n < op.w && next() != Input::line_end; ++n) in.advance();
        break;
      case Descriptor::Kind::slash:
        in.discard_line();
        line_over = false;
        if (in.peek() == Input::end_of_file) in.fail("fmt", "end of file");
        break;
      case Descriptor::Kind::literal:
        break;
      case Descriptor::Kind::text: {
        field.clear();
        for (int n = 0; n < op.w; ++n) {
          int c = next();
          if (c == Input::line_end) break;
          field.push_back(static_cast<char>(c));
          in.advance();
        }
        if (auto* t = std::get_if<TextItem>(&items[k])) assign_text(*t, field);
        ++k;
        break;
      }
      case Descriptor::Kind::fixed:
      case Descriptor::Kind::exponent: {
        field.clear();
        for (int n = 0; n < op.w; ++n) {
          int c = next();
          if (c == Input::line_end) break;
          in.advance();
          if (c == ',') break;  // a comma ends the field early
          if (c != ' ') field.push_back(static_cast<char>(c));
        }
        double v = 0.0;
        bool overflow = false;
        if (!parse_field(field, op.d, v, overflow)) in.fail("fmt", "read unexpected character");
        if (overflow) in.fail("fmt", "numeric overflow");
        if (auto* d = std::get_if<double*>(&items[k])) **d = v;
        ++k;
        break;
      }
    }
  }
  in.discard_line();
}

void formatted_read(Input& in, const Format& format, std::initializer_list<ReadItem> items) {
  formatted_read(in, format, std::span<const ReadItem>(items.begin(), items.size()));
}

}  // namespace smproc::textio
