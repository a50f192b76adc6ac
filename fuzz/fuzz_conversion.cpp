// The fast number conversions against the general ones. The first 8 bytes
// are a double's bits (missing bytes count as zero), the next two pick an F
// and an E field: width 1 + b8 % 64, decimals b9 % 101 (at least 1 for E);
// the output files' fields (F8.3, F12.4, F8.4, E12.4) are checked as well.
// The rest is a list-read token: when the short way for plain integers takes
// it, the general conversion must give the same bits; when it is any number,
// that value and its neighbours are rendered too, so decimal ties written out
// in the input reach the renderings.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "fuzz_support.h"
#include "textio/exponent_field.h"
#include "textio/fixed_field.h"
#include "textio/integer_token.h"
#include "textio/text_input.h"
#include "textio/text_output.h"

using namespace smproc;
using namespace smproc::textio;

namespace {

std::string written(FieldWriter write, double v, int w, int d) {
  std::string s(static_cast<std::size_t>(w), '?');
  write(s.data(), v, w, d);
  return s;
}

void compare_fields(double v, int w, int d) {
  if (fixed_field(v, w, d) != exact_fixed_field(v, w, d)) fuzz::defect("F field differs");
  if (d >= 1 && exponent_field(v, w, d) != exact_exponent_field(v, w, d))
    fuzz::defect("E field differs");
  // The output files' fields, by the writers compiled for them.
  for (const auto& [fw, fd] : {std::pair{8, 3}, std::pair{12, 4}, std::pair{8, 4}}) {
    if (written(fixed_field_writer(fw, fd), v, fw, fd) != exact_fixed_field(v, fw, fd))
      fuzz::defect("output file's F field differs");
  }
  if (written(exponent_field_writer(12, 4), v, 12, 4) != exact_exponent_field(v, 12, 4))
    fuzz::defect("output file's E field differs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t head[10] = {};
  std::memcpy(head, data, size < sizeof head ? size : sizeof head);
  std::uint64_t bits = 0;
  std::memcpy(&bits, head, sizeof bits);
  const int w = 1 + head[8] % 64;
  const int d = head[9] % 101;
  compare_fields(std::bit_cast<double>(bits), w, d);

  if (size <= sizeof head) return 0;
  const std::string_view token = fuzz::as_text(data + sizeof head, size - sizeof head);
  double fast = 0.0;
  double exact = 0.0;
  const bool is_number = exact_real_token(token, exact);
  if (integer_token_value(token, fast)) {
    if (!is_number) fuzz::defect("plain integer refused by the general conversion");
    if (std::bit_cast<std::uint64_t>(fast) != std::bit_cast<std::uint64_t>(exact))
      fuzz::defect("plain integer read to other bits");
  }
  if (is_number) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    compare_fields(exact, w, d);
    compare_fields(std::nextafter(exact, inf), w, d);
    compare_fields(std::nextafter(exact, -inf), w, d);
  }
  return 0;
}
