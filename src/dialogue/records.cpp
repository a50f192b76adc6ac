#include "dialogue/records.h"

#include <cstdio>

#include "records/component.h"
#include "records/record_header.h"
#include "textio/text_output.h"

namespace smproc {

namespace {

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
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
  if (r.values > capacity) {
    warnings.add(name + ": holds " + std::to_string(r.values) + " samples; only the first " +
                 std::to_string(capacity) + " are kept, and the mean is taken over those " +
                 std::to_string(capacity));
  }
  if (r.nt == 0) warnings.add(name + ": holds no samples");
}

void warn_of_headers(textio::Warnings& warnings, const PerComponent<std::string>& files,
                     const PerComponent<const RecordRead*>& records, bool rate_from_header) {
  for (int c = 0; c < 3; ++c) {
    const HeaderFacts facts = header_facts(records[c]->header);
    if (!rate_from_header && facts.sampling_hz && *facts.sampling_hz != 100.0) {
      const double ratio = *facts.sampling_hz / 100.0;
      warnings.add(files[c] + ": the header states a sampling frequency of " + facts.sampling +
                   "; the record is processed at 100 Hz (0.01 s), so the outputs' frequencies "
                   "are " + number(1.0 / ratio) + " times and their times " + number(ratio) +
                   " times the true ones");
    }
    if (direction_disagrees(facts.direction, c)) {
      warnings.add(files[c] + ": the header states the direction " + facts.direction +
                   ", but the file is read as the " + std::string(component_name(c)) + " component (" +
                   std::string(expected_direction(c)) + ")");
    }
  }
  const int ns = records[0]->nt, ew = records[1]->nt, ud = records[2]->nt;
  if (ns != ud || ew != ud) {
    warnings.add("the records hold different sample counts (NS " + std::to_string(ns) + ", EW " +
                 std::to_string(ew) + ", UD " + std::to_string(ud) +
                 "); all three are processed with the UD count, " + std::to_string(ud) +
                 ": a longer record is cut there, a shorter one continues with what stands "
                 "past its own count (its unconverted last values, then zeros)");
  }
}

}  // namespace smproc
