#include "output/waveform_file.h"

#include "output/full_precision.h"
#include "files/files.h"
#include "textio/format.h"

namespace smproc {

int row_count(int nt, int stride) {
  // A stride of 0 (a typed skip of -1) writes every sample; a negative
  // stride over an empty or negative count would reach before sample 1.
  if (stride == 0) stride = 1;
  if (stride < 0 && nt <= 0) return 0;
  long long n = (static_cast<long long>(nt) - 1 + stride) / stride;
  return n > 0 ? static_cast<int>(n) : 0;
}

void write_waveform_file(const textio::OutputPlace& place, const std::string& otfile,
                         PerComponent<const Series*> x, int nt, int stride, double dt,
                         bool full_precision) {
  textio::Output out = textio::open_for_writing(otfile, textio::unit_file, place, "waveform file");
  textio::list_write(out, {"time(s)", ",NS", ",EW", ",UD"});
  const textio::RowWriter row(textio::Format("(F8.3,4(',',F12.4))"), 4);
  const auto rows = static_cast<std::size_t>(row_count(nt, stride));
  const int step = row_step(stride);
  const auto sample_row = [&](std::size_t k, std::span<double> values) {
    const int i = 1 + static_cast<int>(k) * step;
    values[0] = static_cast<double>(i - 1) * dt;
    for (int c = 0; c < 3; ++c) values[1 + c] = x[c]->get(i);
  };
  if (full_precision)
    write_full_precision_rows(out, rows, 4, sample_row);
  else
    row.write_rows(out, rows, sample_row);
  out.close();
}

}  // namespace smproc
