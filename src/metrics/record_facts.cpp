#include "metrics/record_facts.h"

namespace smproc {

void record_facts(const StationData& data, StationResult& out) {
  const HeaderFacts& h = data.header;
  out.push_back(text_column("station_code", "code", h.station_code));
  // Stated numbers, aligned as numbers.
  out.push_back(text_column("station_latitude", "latitude", h.station_latitude, Align::right));
  out.push_back(text_column("station_longitude", "longitude", h.station_longitude, Align::right));
  out.push_back(text_column("sampling_frequency", "sampling", h.sampling));
  const char* const names[] = {"samples_ns", "samples_ew", "samples_ud"};
  for (int c = 0; c < 3; ++c) {
    const std::optional<int>& n = data.samples[static_cast<std::size_t>(c)];
    out.push_back(
        integer_column(names[c], "samples", n ? std::optional<long long>(*n) : std::nullopt));
  }
}

}  // namespace smproc
