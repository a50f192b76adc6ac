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

// Warns of values passed over, values past `capacity` and a record
// without samples, naming the record file.
void warn_of_record(textio::Warnings& warnings, const std::string& name,
                    const SampleCount& count, int capacity = smproc::capacity);

// Warns of headers that state another sampling rate (unless the rate is
// taken from them) or another direction than the run assumes, and of
// records of different lengths.
void warn_of_headers(textio::Warnings& warnings, const PerComponent<std::string>& files,
                     const PerComponent<const RecordRead*>& records, bool rate_from_header);

}  // namespace smproc
