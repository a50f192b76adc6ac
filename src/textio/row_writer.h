// Formatted writes of rows by one format, the layout worked out once.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "textio/field_writer.h"
#include "textio/format.h"
#include "textio/output_stream.h"

namespace smproc::textio {

// Formatted writes of a given number of items by one format, the layout of
// such a write worked out once: where a file is written row after row by one
// format, each row then costs little more than its fields.
class RowWriter {
 public:
  RowWriter(const Format& format, std::size_t items);
  // The same as formatted_write(out, format, items); items.size() must be
  // the number given at construction.
  void write(Output& out, std::span<const double> items) const;
  // Rows 0 .. rows - 1, row k's items set by fill(k, items): the same as
  // write() of each in turn.
  template <typename Fill>
  void write_rows(Output& out, std::size_t rows, Fill fill) const {
    out.begin_statement(format_text_);
    std::vector<double> items(items_);
    for (std::size_t k = 0; k < rows; ++k) {
      fill(k, std::span<double>(items));
      put_row(out, items);
    }
  }

 private:
  // Text (blanks, literals), then a field or nothing.
  struct Piece {
    std::string text;
    // Its first eight bytes (blanks past its end), stored all at once: what
    // runs past the text is overwritten by what follows it, or lies past the
    // line in room made for that.
    char head[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    FieldWriter field = nullptr;
    int w = 0;
    int d = 0;
  };
  struct Line {
    std::vector<Piece> pieces;
    std::size_t length = 0;  // without the line end
  };
  // write() once the statement is begun.
  void put_row(Output& out, std::span<const double> items) const;
  // Writes a line's pieces from p on; returns the item after the line's last.
  static std::size_t put_pieces(char* p, const Line& line, std::span<const double> items,
                                std::size_t k);

  std::string format_text_;
  std::vector<Line> lines_;  // each ends with a line end
  std::size_t text_length_ = 0;  // of all lines, line ends included
  std::size_t items_ = 0;
};
}  // namespace smproc::textio
