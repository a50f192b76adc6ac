// Checks of a record against what its header states.
#pragma once

#include <span>

namespace smproc {

// The largest |x| of the samples; 0 for none, NaN when one is NaN.
double peak_magnitude(std::span<const double> samples);

// How far the record's own peak may lie from the header's "Max. Acc." (the
// peak of the mean-removed, scaled record, written to three decimals):
// 0.0005 gal plus 0.1 % of the stated value.
double header_peak_tolerance_gal(double stated_gal);

// True when the record's own peak |calibrated| lies within the tolerance of
// the stated one; false when it does not or either is not a number.
bool header_peak_agrees(double stated_gal, double own_gal);

}  // namespace smproc
