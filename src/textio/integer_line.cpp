#include "textio/integer_line.h"

#include <array>
#include <cstring>
#include <variant>

#include "textio/integer_token.h"

namespace smproc::textio {

bool read_integer_line(Input& in, std::span<const ReadItem> items) {
  constexpr std::size_t fast_path_items = 16;
  const std::size_t n = items.size();
  if (!in.integer_line_fast_path_ || n > fast_path_items) return false;
  std::array<double*, fast_path_items> out;
  for (std::size_t k = 0; k < n; ++k) {
    double* const* d = std::get_if<double*>(&items[k]);
    if (!d) return false;
    out[k] = *d;
  }
  const char* const data = in.buf_.data();
  const char* p = data + in.pos_;
  const auto* lf = static_cast<const char*>(std::memchr(p, '\n', in.len_ - in.pos_));
  if (!lf) return false;
  // The line's characters end where its CR or LF stands: every loop below
  // stops there.
  const char* stop = lf;
  if (stop > p && stop[-1] == '\r') --stop;
  if (in.max_line_ > 0 &&
      in.base_ + (stop - data) - in.line_start_ > static_cast<long long>(in.max_line_))
    return false;
  const char* const buffer_end = data + in.len_;
  std::array<double, fast_path_items> v;
  std::size_t k = 0;
  while (*p == ' ' || *p == '\t') ++p;
  while (p != stop) {
    if (k == n) return false;
    p = scan_plain_integer(p, stop, buffer_end, v[k++]);
    if (!p) return false;
    if (p == stop) break;
    if (*p != ' ' && *p != '\t') return false;
    do ++p;
    while (*p == ' ' || *p == '\t');
  }
  if (k != n) return false;
  for (std::size_t i = 0; i < n; ++i) *out[i] = v[i];
  in.pos_ = static_cast<std::size_t>(lf + 1 - data);
  ++in.lines_;
  in.line_start_ = in.base_ + static_cast<long long>(in.pos_);
  return true;
}

}  // namespace smproc::textio
