// Reading one component record file into a calibrated, mean-free series.
// The reading comes in three parts so that the run can show the scale line
// before the samples are read: the header, the samples, the calibration.
#pragma once

#include <string>
#include <vector>

#include "records/series.h"
#include "textio/text_input.h"

namespace smproc {

// The header of a record: the lines passed over and the scale line's factors.
struct RecordHeader {
  // The header lines as they were passed over (the scale line included),
  // each cut to a few dozen characters.
  std::vector<std::string> lines;
  double sf1 = 0.0, sf2 = 0.0;  // scale factor numerator and denominator
};

// What the sample region held.
struct SampleCount {
  int nt = 0;            // eight times the complete groups of samples
  long long values = 0;  // values in complete groups, counted past the capacity too
  // Values after the eighth on sample lines, passed over, and their lines.
  long long ignored_values = 0;
  long long lines_with_ignored_values = 0;
  // Values read after the last complete group of eight: left out of the count.
  long long left_out = 0;
};

// What a record told beyond its samples: its header and its count.
struct RecordRead {
  int nt = 0;
  double sf1 = 0.0, sf2 = 0.0;
  long long values = 0;
  long long ignored_values = 0;
  long long lines_with_ignored_values = 0;
  long long left_out = 0;
  std::vector<std::string> header;
};

// Opens the record `name` for reading; a missing file is created empty when
// create_missing is set, and reported otherwise.
textio::Input open_record(const std::string& name, bool create_missing);

// The record held in `text` (a member read from an archive), read as its
// file would be; `name` names it in reports.
textio::Input open_record_text(const std::string& text, const std::string& name);

// Passes over the 13 header lines and reads the scale line
// "(18X,F4.0,6X,F10.0)"; the reading stops at the end of the scale line.
RecordHeader read_record_header(textio::Input& in);

// Passes over the 3 header lines after the scale line (kept in
// header.lines), then reads the samples in groups of eight until the end of
// the file into positions 1.. of xr; values past `capacity` are counted,
// not stored.
SampleCount read_samples(textio::Input& in, RecordHeader& header, Series& xr,
                         int capacity = smproc::capacity);

// Removes the mean of samples 1..nt (at most `capacity`) and scales them by
// sf1/sf2 in that order: ((x - avg) * sf1) / sf2. An uncounted last group
// stays raw.
void calibrate(Series& xr, int nt, double sf1, double sf2, int capacity = smproc::capacity);

// The header and the count of one record, as the run keeps them.
RecordRead record_read(RecordHeader header, const SampleCount& count);

}  // namespace smproc
