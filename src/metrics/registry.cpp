#include "metrics/registry.h"

#include "metrics/intensity_columns.h"
#include "metrics/event_metadata.h"
#include "metrics/peaks.h"
#include "metrics/provenance.h"
#include "metrics/record_facts.h"

namespace smproc {

namespace {

// A new metric: its file pair here in metrics/, and one line below.
constexpr Metric registered[] = {
    record_facts,
    peaks,
    event_metadata,
    provenance,  // how the outputs were made
    intensity_columns,  // only when the measures are asked for
};

}  // namespace

std::span<const Metric> registered_metrics() { return registered; }

StationResult measure(const StationData& data, std::span<const Metric> metrics) {
  StationResult result;
  for (const Metric metric : metrics) metric(data, result);
  return result;
}

}  // namespace smproc
