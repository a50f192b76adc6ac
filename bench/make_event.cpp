// Writes a made-up event for the benchmarks: STATIONS stations of SAMPLES
// counts each, as an archive delivers them (STATION+TIME.NS, .EW, .UD), the
// same bytes on every run.
//
// usage: make_event DIR [STATIONS [SAMPLES]]   (defaults: 200 stations, 6000 samples)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr const char* endings[] = {".NS", ".EW", ".UD"};
constexpr const char* directions[] = {"N-S", "E-W", "U-D"};

// One component's record: the 17-line header, then the counts eight to a line.
std::string record(int station, int component, int samples) {
  char line[128];
  std::string r =
      "Origin Time       2004/10/23 17:56:00\n"
      "Lat.              37.307\n"
      "Long.             138.867\n"
      "Depth. (km)       13\n"
      "Mag.              6.8\n";
  std::snprintf(line, sizeof line, "Station Code      EV%03d\n", station);
  r += line;
  std::snprintf(line, sizeof line, "Station Lat.      %.4f\nStation Long.     %.4f\n",
                35.0 + station * 0.0137, 137.0 + station * 0.0211);
  r += line;
  r += "Station Height(m) 120\n"
       "Record Time       2004/10/23 17:56:18\n"
       "Sampling Freq(Hz) 100Hz\n";
  std::snprintf(line, sizeof line, "Duration Time(s)  %d\nDir.              %s\n", samples / 100,
                directions[component]);
  r += line;
  r += "Scale Factor      7845(gal)/8223790\n"
       "Max. Acc. (gal)   176.491\n"
       "Last Correction   2004/10/23 17:56:15\n"
       "Memo.\n";
  // Counts about 2000, noise plus a burst that grows and decays, from an
  // integer generator so every machine writes the same file.
  unsigned x = 2654435761u * static_cast<unsigned>(station * 3 + component + 1);
  for (int i = 1; i <= samples; ++i) {
    x = x * 1103515245u + 12345u;
    const int noise = static_cast<int>((x >> 16) % 201) - 100;
    const int t = i - samples / 4;
    const int envelope = t < 0 ? 0 : t < 500 ? t * 8 : std::max(0, 4000 - (t - 500) * 2);
    const int burst = static_cast<int>((x >> 8) % 2001) - 1000;
    std::snprintf(line, sizeof line, " %8d", 2000 + noise + burst * envelope / 4000);
    r += line;
    if (i % 8 == 0) r += '\n';
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fputs("usage: make_event DIR [STATIONS [SAMPLES]]\n", stderr);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const int stations = argc > 2 ? std::atoi(argv[2]) : 200;
  const int samples = argc > 3 ? std::atoi(argv[3]) : 6000;
  if (stations < 1 || samples < 8) {
    std::fputs("make_event: at least one station of eight samples\n", stderr);
    return 2;
  }
  std::filesystem::create_directories(dir);
  for (int s = 1; s <= stations; ++s) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "EV%03d0410231756", s);
    for (int c = 0; c < 3; ++c) {
      std::ofstream out(dir / (std::string(stem) + endings[c]), std::ios::binary);
      out << record(s, c, samples);
      if (!out) {
        std::fprintf(stderr, "make_event: cannot write %s%s\n", stem, endings[c]);
        return 1;
      }
    }
  }
  return 0;
}
