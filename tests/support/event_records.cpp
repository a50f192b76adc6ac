#include "support/event_records.h"

#include <fstream>
#include <sstream>

namespace smproc::testing {

std::string station_record(int n, int seed, int component, const StationFacts& facts) {
  static constexpr const char* directions[] = {"N-S", "E-W", "U-D"};
  std::ostringstream r;
  r << "Origin Time       2004/10/23 17:56:00\n"
       "Lat.              37.307\n"
       "Long.             138.867\n"
       "Depth. (km)       13\n"
       "Mag.              6.8\n"
    << "Station Code      " << facts.code << "\n"
    << "Station Lat.      " << facts.latitude << "\n"
    << "Station Long.     " << facts.longitude << "\n"
    << "Station Height(m) 300\n"
       "Record Time       2004/10/23 17:56:18\n"
    << "Sampling Freq(Hz) " << facts.sampling << "\n"
    << "Duration Time(s)  60\n"
    << "Dir.              " << directions[component] << "\n"
    << "Scale Factor      7845(gal)/8223790\n"
       "Max. Acc. (gal)   176.491\n"
       "Last Correction   2004/10/23 17:56:15\n"
       "Memo.\n";
  unsigned x = static_cast<unsigned>(seed) * 2654435761u + 1u;
  for (int i = 1; i <= n; ++i) {
    x = x * 1103515245u + 12345u;
    r << ' ' << 2000 + static_cast<int>((x >> 16) % 801) << (i % 8 == 0 ? "\n" : "");
  }
  return r.str();
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
