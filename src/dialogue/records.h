// What the console shows of the records, and what the user is warned of.
#pragma once

#include <string>

#include "records/record_reader.h"
#include "textio/console.h"
#include "textio/warnings.h"

namespace smproc {

// The opening lines: an empty line and the question for the NS file, which
// reads no answer.
void show_opening(textio::Console& con);

// The record's scale factors, shown before its samples are read.
void echo_scale(textio::Console& con, double sf1, double sf2);

// An empty line and " NT and DT=" with the record's count and the interval.
void echo_count(textio::Console& con, int nt, double dt);

// Warns of values passed over, values left out after the last full group of
// eight, values past `capacity` and a record without samples, naming the
// record file.
void warn_of_record(textio::Warnings& warnings, const std::string& name,
                    const SampleCount& count, int capacity = smproc::capacity);

// Warns of headers that state a sampling rate the run cannot use when it
// falls back to 100 Hz for it (`rate_fallback`; a header without the line
// is no cause for a warning), of headers that state another
// direction than the run assumes, and of records of different lengths.
void warn_of_headers(textio::Warnings& warnings, const PerComponent<std::string>& files,
                     const PerComponent<const RecordRead*>& records, bool rate_fallback);

// Warns of a record whose own peak |calibrated| over its nt samples differs
// from its header's Max. Acc. (gal) by more than the tolerance: its scale
// factor or its samples may be wrong. A header that states no peak, a record
// without samples and one whose values are not all numbers are not checked.
void warn_of_header_peaks(textio::Warnings& warnings, const PerComponent<std::string>& files,
                          const PerComponent<const RecordRead*>& records,
                          const PerComponent<const Series*>& calibrated);

}  // namespace smproc
