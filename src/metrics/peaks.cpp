#include "metrics/peaks.h"

#include <cmath>

#include "output/waveform_file.h"

namespace smproc {

std::optional<Peak> peak_over_rows(const WaveformSeries& w, int c) {
  const int rows = row_count(w.nt, w.stride);
  const int step = row_step(w.stride);
  if (rows == 0) return std::nullopt;
  const std::span<const double> x = w.x[static_cast<std::size_t>(c)];
  Peak p;
  for (int k = 0; k < rows; ++k) {
    const int i = 1 + k * step;
    const auto at = static_cast<std::size_t>(i - 1);
    const double v = std::fabs(at < x.size() ? x[at] : 0.0);
    if (k == 0 || v > p.value) {
      p.value = v;
      p.time = static_cast<double>(i - 1) * w.dt;
    }
  }
  return p;
}

void peaks(const StationData& data, StationResult& out) {
  const char* const lower[] = {"ns", "ew", "ud"};
  const char* const upper[] = {"NS", "EW", "UD"};
  for (int c = 0; c < 3; ++c) {
    const std::optional<Peak> p = data.waveform ? peak_over_rows(*data.waveform, c) : std::nullopt;
    out.push_back(real_column(std::string("peak_") + lower[c], std::string("peak ") + upper[c],
                              p ? std::optional<double>(p->value) : std::nullopt));
    out.push_back(time_column(std::string("peak_time_") + lower[c], "at (s)",
                              p ? std::optional<double>(p->time) : std::nullopt));
  }
}

}  // namespace smproc
