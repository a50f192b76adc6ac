// What the records state and hold: the columns every station's result starts with.
#pragma once

#include "metrics/metric.h"

namespace smproc {

// station_code, station_latitude, station_longitude, sampling_frequency
// (text, as the NS record's header states them) and samples_ns, samples_ew,
// samples_ud (each record's sample count; one table column "samples").
void record_facts(const StationData& data, StationResult& out);

}  // namespace smproc
