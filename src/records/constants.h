// The run's fixed numbers, each in one place.
#pragma once

#include <cmath>
#include <optional>
#include <string_view>

namespace smproc {

// The sampling interval of every record unless a header gives one: 0.01 s
// held in single precision and widened, 0.009999999776482582.
inline constexpr double legacy_interval = static_cast<double>(0.01f);

// The sampling interval of a rate in hertz, held as legacy_interval holds
// 0.01 s (so 100 Hz gives exactly it); none when 1/f is no normal
// single-precision number: a rate not positive and finite, or one too large
// or too small to sample by.
inline std::optional<double> interval_of_rate(double hz) {
  if (!(hz > 0.0) || !std::isfinite(hz)) return std::nullopt;
  const float dt = static_cast<float>(1.0 / hz);
  if (!std::isnormal(dt)) return std::nullopt;
  return static_cast<double>(dt);
}

// 2 pi to ten significant digits, as every conversion between hertz and
// radians per second uses it (the transform carries its own pi).
inline constexpr double twopi = 6.283185307;

// Values a record may hold: those past it are counted, not stored.
inline constexpr int capacity = 33000;

// How long a record a run takes: the values each series may hold and the
// longest transform. A run holds its own; by default the fixed 33000 values
// and 2^15 points.
struct RecordLimits {
  int capacity = smproc::capacity;  // values a record may hold
  int max_if1 = 15;                 // log2 of the longest transform

  // --long-records: series sized to the record, transforms up to 2^24 points.
  static constexpr RecordLimits long_records() { return {1 << 24, 24}; }
  // The longest transform, in points.
  constexpr int max_nf() const { return 1 << max_if1; }
};

// The record set a run reads when none is named: STEM.ns, STEM.ew, STEM.ud.
inline constexpr std::string_view default_stem = "tky0070410231756";

}  // namespace smproc
