// The text of one component's record file, for tests: 17 header lines with the
// scale factors on the 14th, then the counts, eight to a line unless told
// otherwise.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace smproc::testing {

class RecordText {
 public:
  static constexpr int header_lines = 17;
  static constexpr int scale_line = 14;

  // Lines 1 to 13 "Header line 1" .. "Header line 13", the scale line
  // "Scale Factor      7845(gal)/8223790", then "Max. Acc.", "Last Correction"
  // and "Memo."; no counts.
  RecordText();

  // Header line `number` (1 to 17) as given, without its line end.
  RecordText& line(int number, std::string text);
  // The scale line "Scale Factor      " followed by `factors`, e.g. "1000(gal)/1".
  RecordText& scale(const std::string& factors);

  // The counts, `per_line` to a line (8 unless set), the last line ended
  // even when short.
  RecordText& counts(const std::vector<long>& values);
  // value(1) .. value(n).
  RecordText& counts(int n, const std::function<long(int)>& value);
  RecordText& per_line(int n);
  // Each count written after a blank (" 1 2 3"), not only between them ("1 2 3").
  RecordText& leading_blanks();
  // The lines after the header exactly as given, for samples no writer would make.
  RecordText& body(std::string text);

  // The first `n` header lines, each ended.
  std::string header(int n = header_lines) const;
  // The whole file.
  std::string text() const;

 private:
  std::array<std::string, header_lines> lines_;
  std::vector<long> counts_;
  int per_line_ = 8;
  bool leading_blanks_ = false;
  std::string body_;
  bool has_body_ = false;
};

// The peak of the counts once their mean is removed and they are scaled by
// sf1/sf2, to three decimals: the "Max. Acc. (gal)" a header states for them.
std::string stated_peak(const std::vector<long>& counts, double sf1, double sf2);

// The 17 header lines of K-NET station CHB002's record of the 2014-12-31
// 23:49 JST event, stating `direction` ("N-S") and the peak `max_acc` ("3.868").
std::vector<std::string> chb002_header(const std::string& direction, const std::string& max_acc);

// n counts between 2000 and 2800 from a linear congruential sequence begun at
// `state`: a record that looks like ground noise, the same on every run.
std::vector<long> scattered_counts(int n, unsigned state);

}  // namespace smproc::testing
