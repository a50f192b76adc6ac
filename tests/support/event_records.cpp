#include "support/event_records.h"

#include <fstream>

#include "support/record_text.h"

namespace smproc::testing {

std::string station_record(int n, int seed, int component, const StationFacts& facts) {
  static constexpr const char* directions[] = {"N-S", "E-W", "U-D"};
  const std::vector<long> counts =
      scattered_counts(n, static_cast<unsigned>(seed) * 2654435761u + 1u);
  return RecordText()
      .line(1, "Origin Time       2004/10/23 17:56:00")
      .line(2, "Lat.              37.307")
      .line(3, "Long.             138.867")
      .line(4, "Depth. (km)       13")
      .line(5, "Mag.              6.8")
      .line(6, "Station Code      " + facts.code)
      .line(7, "Station Lat.      " + facts.latitude)
      .line(8, "Station Long.     " + facts.longitude)
      .line(9, "Station Height(m) 300")
      .line(10, "Record Time       2004/10/23 17:56:18")
      .line(11, "Sampling Freq(Hz) " + facts.sampling)
      .line(12, "Duration Time(s)  60")
      .line(13, std::string("Dir.              ") + directions[component])
      .line(15, "Max. Acc. (gal)   " + stated_peak(counts, 7845.0, 8223790.0))
      .line(16, "Last Correction   2004/10/23 17:56:15")
      .counts(counts)
      .leading_blanks()
      .text();
}

void write_station(const std::filesystem::path& dir, const std::string& stem, int n, int seed,
                   const StationFacts& facts, const char* const (&endings)[3]) {
  std::filesystem::create_directories(dir);
  for (int c = 0; c < 3; ++c) {
    std::ofstream(dir / (stem + endings[c]), std::ios::binary)
        << station_record(n, seed + c, c, facts);
  }
}

}  // namespace smproc::testing
