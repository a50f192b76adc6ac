#include "support/record_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace smproc::testing {

RecordText::RecordText() {
  for (int i = 1; i < scale_line; ++i) lines_[i - 1] = "Header line " + std::to_string(i);
  scale("7845(gal)/8223790");
  lines_[14] = "Max. Acc.";
  lines_[15] = "Last Correction";
  lines_[16] = "Memo.";
}

RecordText& RecordText::line(int number, std::string text) {
  if (number < 1 || number > header_lines) throw std::out_of_range("no such header line");
  lines_[number - 1] = std::move(text);
  return *this;
}

RecordText& RecordText::scale(const std::string& factors) {
  return line(scale_line, "Scale Factor      " + factors);
}

RecordText& RecordText::counts(const std::vector<long>& values) {
  counts_ = values;
  has_body_ = false;
  return *this;
}

RecordText& RecordText::counts(int n, const std::function<long(int)>& value) {
  counts_.clear();
  for (int i = 1; i <= n; ++i) counts_.push_back(value(i));
  has_body_ = false;
  return *this;
}

RecordText& RecordText::per_line(int n) {
  per_line_ = n;
  return *this;
}

RecordText& RecordText::leading_blanks() {
  leading_blanks_ = true;
  return *this;
}

RecordText& RecordText::body(std::string text) {
  body_ = std::move(text);
  has_body_ = true;
  return *this;
}

std::string RecordText::header(int n) const {
  std::string text;
  for (int i = 0; i < n && i < header_lines; ++i) text += lines_[i] + "\n";
  return text;
}

std::string RecordText::text() const {
  std::string text = header();
  if (has_body_) return text + body_;
  const int n = static_cast<int>(counts_.size());
  for (int i = 1; i <= n; ++i) {
    if (leading_blanks_ || (i - 1) % per_line_ != 0) text += ' ';
    text += std::to_string(counts_[i - 1]);
    if (i % per_line_ == 0 || i == n) text += '\n';
  }
  return text;
}

std::string stated_peak(const std::vector<long>& counts, double sf1, double sf2) {
  // Over the complete groups of eight, as the record is read.
  const std::size_t n = counts.size() / 8 * 8;
  double mean = 0.0;
  for (std::size_t i = 0; i < n; ++i) mean += static_cast<double>(counts[i]);
  mean = n > 0 ? mean / static_cast<double>(n) : 0.0;
  double peak = 0.0;
  for (std::size_t i = 0; i < n; ++i)
    peak = std::max(peak, std::fabs((static_cast<double>(counts[i]) - mean) * sf1 / sf2));
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", peak);
  return text;
}

std::vector<long> scattered_counts(int n, unsigned state) {
  std::vector<long> counts;
  for (int i = 1; i <= n; ++i) {
    state = state * 1103515245u + 12345u;
    counts.push_back(2000 + static_cast<long>((state >> 16) % 801));
  }
  return counts;
}

std::vector<std::string> chb002_header(const std::string& direction, const std::string& max_acc) {
  return {"Origin Time       2014/12/31 23:49:00", "Lat.              35.785",
          "Long.             139.887",             "Depth. (km)       84",
          "Mag.              4.2",                 "Station Code      CHB002",
          "Station Lat.      35.7868",             "Station Long.     139.9031",
          "Station Height(m) 14",                  "Record Time       2014/12/31 23:50:00",
          "Sampling Freq(Hz) 100Hz",               "Duration Time(s)  68",
          "Dir.              " + direction,        "Scale Factor      7845(gal)/8223790",
          "Max. Acc. (gal)   " + max_acc,          "Last Correction   2014/12/31 23:49:59",
          "Memo."};
}

}  // namespace smproc::testing
