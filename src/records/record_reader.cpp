#include "records/record_reader.h"

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

// Reads header, scale line and samples into r and xr. Values past the
// capacity are read and counted but land in a scratch group.
void read_body(textio::Input& in, textio::Console& con, Series& xr, RecordRead& r) {
  for (int n = 0; n < header_before_scale; ++n) skip_header_line(in, r.header);
  const textio::Format scale("(18X,F4.0,6X,F10.0)");
  if (in.peek() != textio::Input::end_of_file) r.header.push_back(in.peek_line(header_kept));
  textio::formatted_read(in, scale, {&r.sf1, &r.sf2});
  textio::list_write(con.out, {r.sf1, r.sf2});
  for (int n = 0; n < header_after_scale; ++n) skip_header_line(in, r.header);

  const std::size_t words_before = in.discarded_words();
  const std::size_t lines_before = in.lines_with_discarded_words();
  // Address space for the capacity; only the pages the samples reach are touched.
  xr.reserve(capacity);
  long long i = 1;  // position of the first value of the current group
  std::array<double, group> scratch{};
  std::array<textio::ReadItem, group> items;
  for (;;) {
    // The group's positions exist before they are read into; unread ones stay zero.
    if (i <= capacity) xr.extend_to(static_cast<int>(std::min<long long>(i + group - 1, capacity)));
    for (int k = 0; k < group; ++k) {
      long long pos = i + k;
      items[k] = pos <= capacity ? &xr(static_cast<int>(pos)) : &scratch[k];
    }
    if (textio::list_read(in, items, /*eof_ends=*/true) == textio::ReadResult::end_of_file) {
      r.values = i - 1;
      r.ignored_values = static_cast<long long>(in.discarded_words() - words_before);
      r.lines_with_ignored_values =
          static_cast<long long>(in.lines_with_discarded_words() - lines_before);
      return;
    }
    i += group;
  }
}

}  // namespace

RecordRead read_record(textio::Console& con, textio::Warnings& warnings,
                       const std::string& name, double dt, Series& xr, bool create_missing,
                       const IntervalChoice& choose) {
  RecordRead r;
  {
    textio::Input in = textio::open_for_reading(name, textio::unit_file, create_missing, "record file");
    read_body(in, con, xr, r);
  }  // the file closes before the echo

  r.nt = r.values > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                    : static_cast<int>(r.values);
  if (choose) dt = choose(r);
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"NT and DT=", r.nt, dt});

  // Mean and scaling over the counted samples the series holds; an uncounted
  // last group stays raw. Past the capacity the mean is that of the samples
  // kept, not their sum over the full count.
  const int n = r.nt < capacity ? r.nt : capacity;
  double avg = 0.0;
  for (int j = 1; j <= n; ++j) avg += xr(j);
  avg /= static_cast<double>(n);
  for (int j = 1; j <= n; ++j) xr(j) = ((xr(j) - avg) * r.sf1) / r.sf2;

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
  return r;
}

}  // namespace smproc
