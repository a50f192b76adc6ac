#include "dialogue/records.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>

#include "records/component.h"
#include "records/record_checks.h"
#include "records/record_header.h"
#include "records/record_name.h"
#include "textio/text_output.h"

namespace smproc {

namespace {

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// The file name without its folder part.
std::string_view file_part(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string_view(path)
                                    : std::string_view(path).substr(slash + 1);
}

// The sensor a set is read as: the one its files' endings name (the first
// that names one), else the one its headers' codes name (the first).
Sensor set_sensor(const PerComponent<std::string>& files,
                  const PerComponent<StatedDirection>& stated) {
  for (int c = 0; c < 3; ++c) {
    const std::optional<RecordName> r = parse_record_name(file_part(files[c]));
    if (r && r->sensor != Sensor::none) return r->sensor;
  }
  for (int c = 0; c < 3; ++c)
    if (stated[c].sensor != Sensor::none) return stated[c].sensor;
  return Sensor::none;
}

// Warns of a header whose direction names another component than the file
// is read as, or (a KiK-net code) another sensor than its set's.
void warn_of_directions(textio::Warnings& warnings, const PerComponent<std::string>& files,
                        const PerComponent<const RecordRead*>& records) {
  PerComponent<StatedDirection> stated;
  PerComponent<std::string> texts;
  for (int c = 0; c < 3; ++c) {
    texts[c] = header_facts(records[c]->header).direction;
    stated[c] = stated_direction(texts[c]);
  }
  const Sensor sensor = set_sensor(files, stated);
  for (int c = 0; c < 3; ++c) {
    const StatedDirection& d = stated[c];
    if (d.component < 0) continue;
    const std::string read_as(component_name(c));
    if (d.sensor == Sensor::none) {
      if (d.component != c)
        warnings.add(files[c] + ": the header states the direction " + texts[c] +
                     ", but the file is read as the " + read_as + " component (" +
                     std::string(expected_direction(c)) + ")");
    } else if (d.component != c || d.sensor != sensor) {
      warnings.add(files[c] + ": the header states the direction " + texts[c] + " (" +
                   std::string(sensor_name(d.sensor)) + " " +
                   std::string(component_name(d.component)) + "), but the file is read as the " +
                   std::string(sensor_name(sensor)) + " " + read_as + " component (" +
                   std::to_string(direction_code(c, sensor)) + ")");
    }
  }
}

}  // namespace

void show_opening(textio::Console& con) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Enter input file of waveform data (NS)"});
}

void echo_scale(textio::Console& con, double sf1, double sf2) {
  textio::list_write(con.out, {sf1, sf2});
}

void echo_count(textio::Console& con, int nt, double dt) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"NT and DT=", nt, dt});
}

void warn_of_record(textio::Warnings& warnings, const std::string& name,
                    const SampleCount& r, int capacity) {
  if (r.ignored_values > 0) {
    warnings.add(name + ": " + std::to_string(r.ignored_values) + " values after the eighth on " +
                 std::to_string(r.lines_with_ignored_values) +
                 " sample lines were ignored (a line ends its group of eight)");
  }
  if (r.left_out > 0) {
    warnings.add(name + ": the last " + std::to_string(r.left_out) +
                 (r.left_out == 1 ? " value, after the last full group of eight, is"
                                  : " values, after the last full group of eight, are") +
                 " left out (samples are read in groups of eight)");
  }
  if (r.values > capacity) {
    warnings.add(name + ": holds " + std::to_string(r.values) + " samples; only the first " +
                 std::to_string(capacity) + " are kept, and the mean is taken over those " +
                 std::to_string(capacity));
  }
  if (r.nt == 0) warnings.add(name + ": holds no samples");
}

void warn_of_headers(textio::Warnings& warnings, const PerComponent<std::string>& files,
                     const PerComponent<const RecordRead*>& records, bool rate_fallback) {
  for (int c = 0; c < 3; ++c) {
    const HeaderFacts facts = header_facts(records[c]->header);
    // A header without the line is processed at 100 Hz, as it always was.
    if (rate_fallback && facts.sampling_hz) {
      const double ratio = *facts.sampling_hz / 100.0;
      warnings.add(files[c] + ": the header states a sampling frequency of " + facts.sampling +
                   "; the record is processed at 100 Hz (0.01 s), so the outputs' frequencies "
                   "are " + number(1.0 / ratio) + " times and their times " + number(ratio) +
                   " times the true ones");
    } else if (rate_fallback && !facts.sampling.empty()) {
      warnings.add(files[c] + ": the header's sampling frequency \"" + facts.sampling +
                   "\" is not a number of hertz; the record is processed at 100 Hz (0.01 s)");
    }
  }
  warn_of_directions(warnings, files, records);
  const int ns = records[0]->nt, ew = records[1]->nt, ud = records[2]->nt;
  if (ns != ud || ew != ud) {
    warnings.add("the records hold different sample counts (NS " + std::to_string(ns) + ", EW " +
                 std::to_string(ew) + ", UD " + std::to_string(ud) +
                 "); all three are processed with the UD count, " + std::to_string(ud) +
                 ": a longer record is cut there, a shorter one continues with what stands "
                 "past its own count (its unconverted last values, then zeros)");
  }
}

void warn_of_header_peaks(textio::Warnings& warnings, const PerComponent<std::string>& files,
                          const PerComponent<const RecordRead*>& records,
                          const PerComponent<const Series*>& calibrated) {
  for (int c = 0; c < 3; ++c) {
    const RecordRead& r = *records[c];
    const std::optional<StatedNumber> stated = header_facts(r.header).max_acc_gal;
    if (!stated) continue;
    const std::span<const double> held = calibrated[c]->values();
    const auto n = std::min<std::size_t>(held.size(), static_cast<std::size_t>(std::max(r.nt, 0)));
    const double own = peak_magnitude(held.first(n));
    // No samples, or values that are not numbers: other warnings and the
    // run's own report say so.
    if (n == 0 || !std::isfinite(own) || header_peak_agrees(stated->value, own)) continue;
    const std::string scale = r.header.size() >= 14 ? std::string(header_value(r.header[13])) : "";
    char own_text[64];
    std::snprintf(own_text, sizeof own_text, "%.4f", own);
    warnings.add(files[c] + ": the record's own peak is " + own_text +
                 " gal (mean removed, scaled), its header's Max. Acc. " + stated->text +
                 " gal: they differ by more than 0.0005 gal + 0.1 %, so the scale factor" +
                 (scale.empty() ? std::string() : " " + scale) + " or the samples may be wrong");
  }
}

}  // namespace smproc
