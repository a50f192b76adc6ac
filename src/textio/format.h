// Format texts such as "(F8.3,4(',',F12.4))", parsed into a flat list of edit
// descriptors that the formatted reads and writes step through.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace smproc::textio {

struct Descriptor {
  enum class Kind { literal, skip, slash, fixed, exponent, text };
  Kind kind;
  int w = 0;            // field width; the count of places for skip (nX)
  int d = 0;            // decimals (F) or significant digits (E)
  std::string literal;  // apostrophe literal, doubled quotes already undone

  bool takes_item() const {
    return kind == Kind::fixed || kind == Kind::exponent || kind == Kind::text;
  }
};

class Format {
 public:
  // Throws std::invalid_argument for a text that is not a format; the system's
  // formats are constants, so that is a programming error.
  explicit Format(std::string_view text);

  const std::string& text() const { return text_; }
  // Repeat groups expanded in place.
  const std::vector<Descriptor>& descriptors() const { return ops_; }
  // Where the format starts again when items remain at its end: the last
  // top-level group, or the start.
  std::size_t reversion() const { return reversion_; }

 private:
  std::string text_;
  std::vector<Descriptor> ops_;
  std::size_t reversion_ = 0;
};

}  // namespace smproc::textio
