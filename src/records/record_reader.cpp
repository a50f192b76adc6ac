#include "records/record_reader.h"

#include <algorithm>
#include <array>
#include <limits>

#include "files/files.h"
#include "textio/format.h"

namespace smproc {

namespace {

constexpr int header_before_scale = 13;
constexpr int header_after_scale = 3;
constexpr int group = 8;
// Enough of a header line for its label and value.
constexpr std::size_t header_kept = 80;

bool is_blank_or_line_end(int c) {
  return c == ' ' || c == '\t' || c == textio::Input::line_end;
}

// Passes over one header line: one text item read, the rest of its line
// dropped. Blank lines before it go unseen, as the read passes them too.
void skip_header_line(textio::Input& in, std::vector<std::string>& header) {
  while (is_blank_or_line_end(in.peek())) in.advance();
  header.push_back(in.peek_line(header_kept));
  std::string head1;
  textio::list_read(in, {textio::TextItem{&head1, 40}});
}

}  // namespace

textio::Input open_record(const std::string& name, bool create_missing) {
  return textio::open_for_reading(name, textio::unit_file, create_missing, "record file");
}

textio::Input open_record_text(const std::string& text, const std::string& name) {
  textio::Input in = textio::Input::from_text(text, textio::unit_file, name);
  in.describe("record file");
  return in;
}

RecordHeader read_record_header(textio::Input& in) {
  RecordHeader h;
  for (int n = 0; n < header_before_scale; ++n) skip_header_line(in, h.lines);
  const textio::Format scale("(18X,F4.0,6X,F10.0)");
  if (in.peek() != textio::Input::end_of_file) h.lines.push_back(in.peek_line(header_kept));
  textio::formatted_read(in, scale, {&h.sf1, &h.sf2});
  return h;
}

SampleCount read_samples(textio::Input& in, RecordHeader& header, Series& xr, int capacity) {
  for (int n = 0; n < header_after_scale; ++n) skip_header_line(in, header.lines);

  SampleCount r;
  const std::size_t words_before = in.discarded_words();
  const std::size_t lines_before = in.lines_with_discarded_words();
  // Address space for an ordinary record; only the pages the samples reach
  // are touched. A longer one grows its room as it is read, so a run's
  // memory follows its records, not its capacity.
  xr.reserve(std::min(capacity, smproc::capacity));
  long long i = 1;  // position of the first value of the current group
  std::array<double, group> scratch{};
  std::array<textio::ReadItem, group> items;
  for (;;) {
    // The group's positions exist before they are read into; unread ones stay zero.
    if (i + group - 1 <= capacity) {
      const int first = static_cast<int>(i);
      xr.extend_to(first + group - 1);
      for (int k = 0; k < group; ++k) items[k] = &xr(first + k);
    } else {
      if (i <= capacity) xr.extend_to(capacity);
      for (int k = 0; k < group; ++k) {
        const long long pos = i + k;
        items[k] = pos <= capacity ? &xr(static_cast<int>(pos)) : &scratch[k];
      }
    }
    std::size_t filled = 0;
    if (textio::list_read(in, items, /*eof_ends=*/true, filled) == textio::ReadResult::end_of_file) {
      r.left_out = static_cast<long long>(filled);
      break;
    }
    i += group;
  }
  r.values = i - 1;
  r.ignored_values = static_cast<long long>(in.discarded_words() - words_before);
  r.lines_with_ignored_values =
      static_cast<long long>(in.lines_with_discarded_words() - lines_before);
  r.nt = r.values > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                    : static_cast<int>(r.values);
  return r;
}

void calibrate(Series& xr, int nt, double sf1, double sf2, int capacity) {
  // Past the capacity the mean is that of the samples kept, not their sum
  // over the full count.
  const int n = nt < capacity ? nt : capacity;
  double avg = 0.0;
  for (int j = 1; j <= n; ++j) avg += xr(j);
  avg /= static_cast<double>(n);
  for (int j = 1; j <= n; ++j) xr(j) = ((xr(j) - avg) * sf1) / sf2;
}

RecordRead record_read(RecordHeader header, const SampleCount& count) {
  RecordRead r;
  r.nt = count.nt;
  r.sf1 = header.sf1;
  r.sf2 = header.sf2;
  r.values = count.values;
  r.ignored_values = count.ignored_values;
  r.lines_with_ignored_values = count.lines_with_ignored_values;
  r.left_out = count.left_out;
  r.header = std::move(header.lines);
  return r;
}

}  // namespace smproc
