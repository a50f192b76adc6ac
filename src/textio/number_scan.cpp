#include "textio/number_scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace smproc::textio {

Syntax NumberScan::convert(long exp, double& out) const {
  if (count_ == 0) {
    out = negative ? -0.0 : 0.0;
    return Syntax::ok;
  }
  // "[-]digits[1]e<exponent>" on the stack; a dropped digit that is not
  // zero stands as a last 1, which rounds the same way.
  char text[kept_digits + 32];
  char* last = text;
  if (negative) *last++ = '-';
  last = std::copy(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(count_), last);
  long long e = shift_ + exp;
  if (dropped_non_zero_) {
    *last++ = '1';
    --e;
  }
  e = std::clamp(e, -exponent_bound, exponent_bound);
  *last++ = 'e';
  last = std::to_chars(last, text + sizeof text, e).ptr;
  auto r = std::from_chars(text, last, out);
  if (r.ec == std::errc::result_out_of_range) {
    *last = '\0';
    double v = std::strtod(text, nullptr);
    if (std::abs(v) == std::numeric_limits<double>::infinity()) return Syntax::overflow;
    out = v;
  } else if (r.ec != std::errc() || r.ptr != last) {
    return Syntax::not_a_number;
  }
  return Syntax::ok;
}

Syntax parse_real_exactly(const NumberScan& n, double& out) {
  if (n.digits == 0) return Syntax::not_a_number;
  if (n.exponent &&
      (n.exponent_digits == 0 || n.exp() > max_exponent || n.exp() < -max_exponent))
    return Syntax::exponent;
  if (n.trailing) return Syntax::not_a_number;
  return n.convert(n.exp(), out);
}

}  // namespace smproc::textio
