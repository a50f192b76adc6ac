#include "run/summary.h"

#include <algorithm>
#include <cstdio>

namespace smproc {

namespace {

std::string without_program_name(std::string line) {
  const std::string name = "smproc: ";
  if (line.compare(0, name.size(), name) == 0) line.erase(0, name.size());
  return line;
}

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

// A field quoted when it holds a comma, a quote or a line end, quotes doubled.
std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char ch : s) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return q + "\"";
}

// The columns after stem and status, as text; empty where the run did not get so far.
struct Facts {
  std::string code, latitude, longitude, sampling;
  PerComponent<std::string> samples, peak, peak_time;
};

Facts facts_of(const StationRow& r) {
  Facts f;
  if (r.outcome == StationRow::Outcome::not_run) return f;
  const RunSummary& s = r.summary;
  f.code = s.header.station_code;
  f.latitude = s.header.station_latitude;
  f.longitude = s.header.station_longitude;
  f.sampling = s.header.sampling;
  for (int c = 0; c < 3; ++c) {
    // A failed run may end before it counts a record's samples.
    if (r.outcome == StationRow::Outcome::ok || s.samples[c] > 0)
      f.samples[c] = std::to_string(s.samples[c]);
    if (s.waveform_written) {
      f.peak[c] = fixed(s.peak[c], 4);
      f.peak_time[c] = fixed(s.peak_time[c], 3);
    }
  }
  return f;
}

std::string joined(const std::vector<std::string>& parts, const std::string& sep) {
  std::string t;
  for (std::size_t k = 0; k < parts.size(); ++k) t += (k ? sep : "") + parts[k];
  return t;
}

}  // namespace

std::string failure_status(const std::string& report) {
  return without_program_name(report.substr(0, report.find('\n')));
}

std::string one_line(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    if (end > start) lines.push_back(report.substr(start, end - start));
    start = end + 1;
  }
  return without_program_name(joined(lines, "; "));
}

std::string summary_csv(const std::vector<StationRow>& rows) {
  std::string t =
      "stem,status,station_code,station_latitude,station_longitude,sampling_frequency,"
      "samples_ns,samples_ew,samples_ud,peak_ns,peak_time_ns,peak_ew,peak_time_ew,"
      "peak_ud,peak_time_ud,warnings\n";
  for (const StationRow& r : rows) {
    const Facts f = facts_of(r);
    std::vector<std::string> fields = {r.name,     r.status,    f.code,
                                       f.latitude, f.longitude, f.sampling};
    for (int c = 0; c < 3; ++c) fields.push_back(f.samples[c]);
    for (int c = 0; c < 3; ++c) {
      fields.push_back(f.peak[c]);
      fields.push_back(f.peak_time[c]);
    }
    fields.push_back(joined(r.warnings, " | "));
    for (std::string& field : fields) field = csv_field(field);
    t += joined(fields, ",") + "\n";
  }
  return t;
}

std::string summary_table(const std::vector<StationRow>& rows) {
  // Numbers right-aligned, text left-aligned; the status, often long, last.
  const std::vector<std::string> heads = {"stem",    "code",    "latitude", "longitude", "sampling",
                                          "samples", "peak NS", "at (s)",   "peak EW",   "at (s)",
                                          "peak UD", "at (s)",  "warnings", "status"};
  const std::vector<bool> right = {false, false, true, true, false, true, true,
                                   true,  true,  true, true, true,  true, false};
  std::vector<std::vector<std::string>> cells = {heads};
  for (const StationRow& r : rows) {
    const Facts f = facts_of(r);
    std::string samples = f.samples[0];
    if (f.samples[1] != f.samples[0] || f.samples[2] != f.samples[0])
      samples = f.samples[0] + "/" + f.samples[1] + "/" + f.samples[2];
    cells.push_back({r.name, f.code, f.latitude, f.longitude, f.sampling, samples, f.peak[0],
                     f.peak_time[0], f.peak[1], f.peak_time[1], f.peak[2], f.peak_time[2],
                     r.outcome == StationRow::Outcome::not_run ? std::string()
                                                               : std::to_string(r.warnings.size()),
                     r.status});
  }
  std::vector<std::size_t> width(heads.size(), 0);
  for (const auto& row : cells) {
    for (std::size_t k = 0; k < row.size(); ++k) width[k] = std::max(width[k], row[k].size());
  }
  std::string t;
  for (const auto& row : cells) {
    std::string line;
    for (std::size_t k = 0; k < row.size(); ++k) {
      const std::string pad(width[k] - row[k].size(), ' ');
      if (k) line += "  ";
      line += right[k] ? pad + row[k] : k + 1 == row.size() ? row[k] : row[k] + pad;
    }
    t += line + "\n";
  }
  return t;
}

}  // namespace smproc
