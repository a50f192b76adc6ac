// The intensity measures an event's summary shows of each station.
#pragma once

#include "metrics/metric.h"

namespace smproc {

// jma_intensity, jma_class, pga_rotd50_gal, pgv_rotd50_cm_s, arias_*_m_s,
// d5_95_*_s and psa_rotd50_T_gal for each period T of the first damping;
// no columns when the measures were not asked for, empty cells when the
// station did not get so far.
void intensity_columns(const StationData& data, StationResult& out);

}  // namespace smproc
