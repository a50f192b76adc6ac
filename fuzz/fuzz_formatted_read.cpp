// Any bytes read line by line with the program's two reading formats, the
// scale line's and the waveform file name's, until the input ends or a read
// fails. The first byte b picks the format (b % 2). When (b / 2) % 2 == 1 the
// bytes are also read from a descriptor that hands them out in pieces of
// 1 + (b / 4) % 16 bytes, and both readings must give the same values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "textio/format.h"
#include "textio/text_input.h"

using namespace smproc;
using namespace smproc::textio;

namespace {

// Every value read, after each read, then how the reading ended.
std::string read_all(Input& in, bool text) {
  static const Format scale("(18X,F4.0,6X,F10.0)");
  static const Format name("(A30)");
  double sf1 = 0.0;
  double sf2 = 0.0;
  std::string otfile;
  std::string log;
  try {
    while (in.peek() != Input::end_of_file) {
      if (text) {
        formatted_read(in, name, {TextItem{&otfile, 30}});
        if (otfile.size() != 30) fuzz::defect("A30 item not 30 characters");
        log += otfile + '\n';
      } else {
        formatted_read(in, scale, {&sf1, &sf2});
        char buf[64];
        log.append(buf,
                   static_cast<std::size_t>(std::snprintf(buf, sizeof buf, "%a %a\n", sf1, sf2)));
      }
    }
    log += "end of input";
  } catch (const Failure& f) {
    // The expected outcome of a bad line.
    log += f.context + ": " + f.reason;
  }
  return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool text = data[0] % 2 == 1;
  const std::string_view bytes = fuzz::as_text(data + 1, size - 1);
  Input whole = Input::from_text(std::string(bytes), unit_file, "record");
  const std::string log = read_all(whole, text);
  if ((data[0] / 2) % 2 == 1 && bytes.size() <= fuzz::max_chunked) {
    Input pieces = fuzz::chunked_input(bytes, 1 + (data[0] / 4) % 16, unit_file, "record");
    if (read_all(pieces, text) != log) fuzz::defect("reading in pieces gives other values");
  }
  return 0;
}
