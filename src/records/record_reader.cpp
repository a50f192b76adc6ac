#include "records/record_reader.h"

#include <array>
#include <limits>

#include "textio/files.h"
#include "textio/format.h"

namespace smproc {

namespace {

constexpr int header_before_scale = 13;
constexpr int header_after_scale = 3;
constexpr int group = 8;

// Passes over one header line: one text item read, the rest of its line dropped.
void skip_header_line(textio::Input& in, std::string& head1) {
  textio::list_read(in, {textio::TextItem{&head1, 40}});
}

// Reads header, scale line and samples; returns the count of values in
// complete groups. Values past the capacity are read and counted but land in
// a scratch group, never beyond the array.
long long read_body(textio::Input& in, textio::Console& con, Signal& xr, double& sf1, double& sf2) {
  std::string head1;
  for (int n = 0; n < header_before_scale; ++n) skip_header_line(in, head1);
  const textio::Format scale("(18X,F4.0,6X,F10.0)");
  textio::formatted_read(in, scale, {&sf1, &sf2});
  textio::list_write(con.out, {sf1, sf2});
  for (int n = 0; n < header_after_scale; ++n) skip_header_line(in, head1);

  long long i = 1;  // position of the first value of the current group
  std::array<double, group> scratch{};
  std::array<textio::ReadItem, group> items;
  for (;;) {
    for (int k = 0; k < group; ++k) {
      long long pos = i + k;
      items[k] = pos <= capacity ? &xr(static_cast<int>(pos)) : &scratch[k];
    }
    if (textio::list_read(in, items, /*eof_ends=*/true) == textio::ReadResult::end_of_file)
      return i - 1;
    i += group;
  }
}

}  // namespace

void read_record(State& s, textio::Console& con, const std::string& name, Signal& xr, bool create_missing) {
  double sf1 = 0.0;
  double sf2 = 0.0;
  long long count = 0;
  {
    textio::Input in = textio::open_for_reading(name, textio::unit_file, create_missing, "record file");
    count = read_body(in, con, xr, sf1, sf2);
  }  // the file closes before the echo

  s.nt = count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                 : static_cast<int>(count);
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"NT and DT=", s.nt, s.dt});

  // Mean and scaling over the counted samples the array holds; an uncounted
  // last group stays raw.
  const int n = s.nt < capacity ? s.nt : capacity;
  double avg = 0.0;
  for (int j = 1; j <= n; ++j) avg += xr(j);
  avg /= static_cast<double>(s.nt);
  for (int j = 1; j <= n; ++j) xr(j) = ((xr(j) - avg) * sf1) / sf2;
}

}  // namespace smproc
