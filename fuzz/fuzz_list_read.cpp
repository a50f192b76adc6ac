// Any bytes as console answers, read by list reads of one item kind until the
// input ends or a read fails. The first byte b picks the item list (b % 6).
// When (b / 6) % 2 == 1 the bytes are also read from a descriptor that hands
// them out in pieces of 1 + (b / 12) % 16 bytes, and both readings must give
// the same values and the same end. Every input is read once more with the
// short way for lines of plain integers switched off, and again both ways
// with lines limited to 1 + b / 4 characters: each pair must agree in values,
// lines passed, words discarded and the failure report.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "textio/text_input.h"

using namespace smproc;
using namespace smproc::textio;

namespace {

// Every value read, after each read, then how the reading ended.
std::string read_all(Input& in, int kind) {
  char buf[96];
  int i = 0;
  std::array<double, 8> d{};
  std::string text(40, '#');  // a null or a slash leaves it as it is
  std::vector<ReadItem> items;
  bool eof_ends = false;
  switch (kind) {
    case 0:
      items = {&i};
      break;
    case 1:
      items = {&d[0]};
      break;
    case 2:
      items = {&d[0], &d[1], &d[2], &d[3]};
      break;
    case 3:
      for (double& v : d) items.push_back(&v);
      eof_ends = true;
      break;
    case 4:
      items = {TextItem{&text, 40}};
      break;
    default:
      break;  // no items: one line per read
  }
  std::string log;
  try {
    while (list_read(in, items, eof_ends) == ReadResult::ok) {
      // A text value is always held blank-padded or cut to its length.
      if (text.size() != 40) fuzz::defect("text item not 40 characters");
      log += std::to_string(i) + "|" + text + "|";
      for (double v : d)
        log.append(buf, static_cast<std::size_t>(std::snprintf(buf, sizeof buf, "%a ", v)));
      log.append(buf, static_cast<std::size_t>(std::snprintf(
                          buf, sizeof buf, "%lld %zu %zu %d\n", in.lines_passed(),
                          in.discarded_words(), in.lines_with_discarded_words(),
                          in.ended_without_line_end() ? 1 : 0)));
    }
    log += "end of input";
  } catch (const Failure& f) {
    // The expected outcome of a bad answer.
    log += f.context + ": " + f.reason + " " + f.detail;
  }
  return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 6;
  const std::string_view bytes = fuzz::as_text(data + 1, size - 1);
  Input whole = Input::from_text(std::string(bytes), unit_console_in, std::nullopt);
  const std::string log = read_all(whole, kind);
  Input exact = Input::from_text(std::string(bytes), unit_console_in, std::nullopt);
  exact.integer_line_fast_path(false);
  if (read_all(exact, kind) != log) fuzz::defect("the integer-line fast path reads otherwise");
  Input limited = Input::from_text(std::string(bytes), unit_console_in, std::nullopt);
  Input limited_exact = Input::from_text(std::string(bytes), unit_console_in, std::nullopt);
  limited.limit_line(1 + data[0] / 4u);
  limited_exact.limit_line(1 + data[0] / 4u);
  limited_exact.integer_line_fast_path(false);
  if (read_all(limited, kind) != read_all(limited_exact, kind))
    fuzz::defect("the integer-line fast path reads otherwise under a line limit");
  if ((data[0] / 6) % 2 == 1 && bytes.size() <= fuzz::max_chunked) {
    Input pieces =
        fuzz::chunked_input(bytes, 1 + (data[0] / 12) % 16, unit_console_in, std::nullopt);
    if (read_all(pieces, kind) != log) fuzz::defect("reading in pieces gives other values");
  }
  return 0;
}
