// Integration and differentiation in the frequency domain, bins 2..nom.
#pragma once

#include <span>

#include "records/series.h"
#include "spectral/spectrum.h"

namespace smproc {

// Applies the operator chosen by nit (1 divide by i*omega, 2 divide by
// -omega^2, 3 multiply by i*omega, anything else nothing) to bins 2..nom of
// the spectra, bin i lying at (i - 1) * dom rad/s.
void apply_operator(int nit, int nom, double dom, std::span<Spectrum* const> fx);

}  // namespace smproc
