#include "textio/integer_token.h"

#include <cstdint>

namespace smproc::textio {

// Why this is the general conversion's value: 19 digits fit in 64 bits, and
// every integer up to 2^53 is a double exactly, so converting it is exact and
// the correctly rounded value of the decimal text is that double. A "-"
// negates, which is exact too and gives -0 for "-0" as the general conversion
// does. Longer or larger integers take the general conversion.
bool integer_token_value(std::string_view t, double& out) {
  std::size_t i = 0;
  const bool minus = !t.empty() && t[0] == '-';
  if (minus || (!t.empty() && t[0] == '+')) i = 1;
  const std::size_t digits = t.size() - i;
  if (digits == 0 || digits > 19) return false;
  std::uint64_t n = 0;
  for (; i < t.size(); ++i) {
    const unsigned c = static_cast<unsigned char>(t[i]) - unsigned{'0'};
    if (c > 9) return false;
    n = n * 10 + c;
  }
  if (n > std::uint64_t{1} << 53) return false;
  const double x = static_cast<double>(n);
  out = minus ? -x : x;
  return true;
}

}  // namespace smproc::textio
