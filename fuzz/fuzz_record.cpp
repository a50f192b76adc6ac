// Any bytes as a component record file, read into a series. The series never
// holds more than the capacity, and the count is eight times the complete
// groups. A file without carriage returns is read a second time with CR LF
// line ends and must give the same count, samples and outcome.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "records/record_reader.h"

using namespace smproc;

namespace {

struct Outcome {
  int nt = -1;
  std::string failure;
  Series xr;
};

Outcome read(textio::Console& con, const std::string& path, std::string_view bytes) {
  fuzz::write_file(path, bytes);
  Outcome o;
  try {
    textio::Input in = open_record(path, /*create_missing=*/false);
    RecordHeader header = read_record_header(in);
    const SampleCount count = read_samples(in, header, o.xr);
    calibrate(o.xr, count.nt, header.sf1, header.sf2);
    o.nt = count.nt;
    if (o.nt < 0 || o.nt % 8 != 0) fuzz::defect("nt not a multiple of 8");
  } catch (const textio::Failure& f) {
    // The expected outcome of a bad record.
    o.failure = f.context + ": " + f.reason;
  }
  con.out.flush();
  if (o.xr.size() > capacity) fuzz::defect("read stored more values than the capacity");
  return o;
}

bool same_samples(const Series& a, const Series& b) {
  if (a.size() != b.size()) return false;
  for (int i = 1; i <= a.size(); ++i) {
    const double x = a(i), y = b(i);
    if (std::memcmp(&x, &y, sizeof x) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::temp_folder() + "/record.ns";
  textio::Console con = fuzz::null_console("");

  const std::string_view bytes = fuzz::as_text(data, size);
  const Outcome first = read(con, path, bytes);
  if (bytes.find('\r') != std::string_view::npos || bytes.find('\n') == std::string_view::npos)
    return 0;
  const Outcome second = read(con, path, fuzz::with_crlf(bytes));
  if (first.nt != second.nt || first.failure != second.failure ||
      !same_samples(first.xr, second.xr))
    fuzz::defect("CR LF line ends read otherwise than LF line ends");
  return 0;
}
