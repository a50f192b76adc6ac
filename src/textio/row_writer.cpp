#include "textio/row_writer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "textio/exponent_field.h"
#include "textio/fixed_field.h"

namespace smproc::textio {

RowWriter::RowWriter(const Format& format, std::size_t items)
    : format_text_(format.text()), items_(items) {
  // The format stepped through as a write of that many items steps through
  // it: nX places are written once something follows them on their line,
  // and items left at the format's end start a new line from its last group.
  const auto& ops = format.descriptors();
  lines_.emplace_back();
  // The piece the next `width` characters of the current line go to: the last one
  // while it has no field yet.
  auto piece_for = [&](std::size_t width) -> Piece& {
    Line& line = lines_.back();
    line.length += width;
    if (line.pieces.empty() || line.pieces.back().field) line.pieces.emplace_back();
    return line.pieces.back();
  };
  auto add_text = [&](std::string_view text) { piece_for(text.size()).text += text; };
  auto add_field = [&](FieldWriter field, int w, int d) {
    Piece& piece = piece_for(static_cast<std::size_t>(w));
    piece.field = field;
    piece.w = w;
    piece.d = d;
  };
  std::size_t k = 0;       // next item
  std::size_t p = 0;       // next descriptor
  std::size_t blanks = 0;  // places moved by nX, written once something follows
  bool any_item_edit = false;
  for (;;) {
    if (p == ops.size()) {
      if (k == items || !any_item_edit) break;
      lines_.emplace_back();
      blanks = 0;
      p = format.reversion();
      continue;
    }
    const Descriptor& op = ops[p];
    if (op.takes_item()) {
      if (k == items) break;
      any_item_edit = true;
    }
    switch (op.kind) {
      case Descriptor::Kind::skip:
        blanks += static_cast<std::size_t>(op.w);
        break;
      case Descriptor::Kind::slash:
        lines_.emplace_back();
        blanks = 0;
        break;
      default:
        if (blanks > 0) add_text(std::string(blanks, ' '));
        blanks = 0;
        if (op.kind == Descriptor::Kind::literal) {
          add_text(op.literal);
        } else if (op.kind == Descriptor::Kind::fixed) {
          add_field(fixed_field_writer(op.w, op.d), op.w, op.d);
          ++k;
        } else if (op.kind == Descriptor::Kind::exponent) {
          add_field(exponent_field_writer(op.w, op.d), op.w, op.d);
          ++k;
        } else {
          // No text items are written through formats: blanks in their place.
          add_text(std::string(static_cast<std::size_t>(op.w), ' '));
          ++k;
        }
        break;
    }
    ++p;
  }
  for (Line& line : lines_) {
    text_length_ += line.length + 1;
    for (Piece& piece : line.pieces)
      piece.text.copy(piece.head, std::min(piece.text.size(), sizeof piece.head));
  }
}

std::size_t RowWriter::put_pieces(char* p, const Line& line, std::span<const double> items,
                                  std::size_t k) {
  for (const Piece& piece : line.pieces) {
    const std::size_t n = piece.text.size();
    if (n <= sizeof piece.head) {
      std::memcpy(p, piece.head, sizeof piece.head);
    } else {
      std::memcpy(p, piece.text.data(), n);
    }
    p += n;
    if (piece.field) {
      piece.field(p, items[k++], piece.w, piece.d);
      p += piece.w;
    }
  }
  return k;
}

void RowWriter::write(Output& out, std::span<const double> items) const {
  out.begin_statement(format_text_);
  put_row(out, items);
}

void RowWriter::put_row(Output& out, std::span<const double> items) const {
  std::size_t k = 0;
  if (!out.remembers_last_line()) {
    // Every line in place at once, its line end included.
    char* p = out.prepare(text_length_ + sizeof(Piece::head));
    for (const Line& line : lines_) {
      k = put_pieces(p, line, items, k);
      p += line.length;
      *p++ = '\n';
    }
    out.commit(text_length_);
    out.end_lines();
    return;
  }
  for (const Line& line : lines_) {
    k = put_pieces(out.prepare(line.length + sizeof(Piece::head)), line, items, k);
    out.commit(line.length);
    out.end_line();
  }
}

}  // namespace smproc::textio
