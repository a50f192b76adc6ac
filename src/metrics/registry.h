// The metrics every station's result holds, in their column order.
#pragma once

#include <span>

#include "metrics/metric.h"

namespace smproc {

// The registered metrics: the record facts first, then each metric.
std::span<const Metric> registered_metrics();

// A station's result: the columns of each metric in turn. With no data
// (StationData{}), the columns of a station that got nowhere: the layout.
StationResult measure(const StationData& data,
                      std::span<const Metric> metrics = registered_metrics());

}  // namespace smproc
