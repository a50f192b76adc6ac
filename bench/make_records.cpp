// Writes the benchmark record set into a folder: rec.ns, rec.ew and rec.ud,
// the same records that BM_whole_run reads.
//
// usage: make_records FOLDER [SAMPLES]   (default 32768 samples)
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "record_set.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: make_records FOLDER [SAMPLES]\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const int samples = argc == 3 ? std::atoi(argv[2]) : 32768;
  if (samples < 1) {
    std::cerr << "make_records: SAMPLES must be a positive count\n";
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::string text = smproc::bench::record_text(samples);
  for (const char* name : {"rec.ns", "rec.ew", "rec.ud"}) {
    std::ofstream out(dir / name, std::ios::binary);
    out << text;
    if (!out.flush()) {
      std::cerr << "make_records: cannot write " << (dir / name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
