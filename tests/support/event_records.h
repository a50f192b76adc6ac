// Record files of made-up stations, for the tests of many stations at once.
#pragma once

#include <filesystem>
#include <string>

namespace smproc::testing {

struct StationFacts {
  std::string code = "ST001";
  std::string latitude = "36.4372";
  std::string longitude = "139.0525";
  std::string sampling = "100Hz";
};

// One component's record: a 17-line header stating the facts and the
// component's direction (0 N-S, 1 E-W, 2 U-D), then n counts eight to a line.
std::string station_record(int n, int seed, int component, const StationFacts& facts = {});

// Writes STEM plus each of the three endings (".ns", ".ew", ".ud" unless
// given) into dir: records of n counts from seeds seed, seed+1, seed+2.
void write_station(const std::filesystem::path& dir, const std::string& stem, int n, int seed,
                   const StationFacts& facts = {},
                   const char* const (&endings)[3] = {".ns", ".ew", ".ud"});

}  // namespace smproc::testing
