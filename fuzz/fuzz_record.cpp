// Any bytes as a component record file, read into the middle signal array.
// The arrays on both sides hold sentinels that the read must leave alone.
// A file without carriage returns is read a second time with CR LF line ends
// and must give the same count, samples and outcome.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "records/record_reader.h"

using namespace smproc;

namespace {

constexpr double sentinel = -7.25e300;

void fill(Signal& x) {
  for (double& v : x.v) v = sentinel;
}

bool untouched(const Signal& x) {
  for (double v : x.v)
    if (v != sentinel) return false;
  return true;
}

struct Outcome {
  int nt = -1;
  std::string failure;
};

// Reads the bytes as the record into s.xr2, which starts as zeros, as at
// the start of a run.
Outcome read(State& s, textio::Console& con, const std::string& path, std::string_view bytes) {
  fuzz::write_file(path, bytes);
  fill(s.xr1);
  s.xr2.v.fill(0.0);
  fill(s.xr3);
  s.nt = -1;
  Outcome o;
  try {
    read_record(s, con, path, s.xr2, /*create_missing=*/false);
    // The count is eight times the complete groups.
    if (s.nt < 0 || s.nt % 8 != 0) fuzz::defect("nt not a multiple of 8");
    o.nt = s.nt;
  } catch (const textio::Failure& f) {
    // The expected outcome of a bad record.
    o.failure = f.context + ": " + f.reason;
  }
  con.out.flush();
  if (!untouched(s.xr1)) fuzz::defect("read wrote into the array before its target");
  if (!untouched(s.xr3)) fuzz::defect("read wrote into the array after its target");
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::temp_folder() + "/record.ns";
  static auto s = std::make_unique<State>();
  static auto lf = std::make_unique<Signal>();
  static textio::Console con = fuzz::null_console("");

  const std::string_view bytes = fuzz::as_text(data, size);
  const Outcome first = read(*s, con, path, bytes);
  if (bytes.find('\r') != std::string_view::npos || bytes.find('\n') == std::string_view::npos)
    return 0;
  *lf = s->xr2;
  const Outcome second = read(*s, con, path, fuzz::with_crlf(bytes));
  if (first.nt != second.nt || first.failure != second.failure ||
      std::memcmp(lf->v.data(), s->xr2.v.data(), sizeof lf->v) != 0)
    fuzz::defect("CR LF line ends read otherwise than LF line ends");
  return 0;
}
