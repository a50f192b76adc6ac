// Integration and differentiation in the frequency domain, bins 2..nom.
#pragma once

#include "records/series.h"
#include "spectral/spectrum.h"
#include "textio/console.h"

namespace smproc {

// Applies the operator chosen by nit (1 divide by i*omega, 2 divide by
// -omega^2, 3 multiply by i*omega, anything else nothing) to bins 2..nom of
// the three spectra, bin i lying at (i - 1) * dom rad/s.
void apply_operator(int nit, int nom, double dom, PerComponent<Spectrum*> fx);

// Shows the four choices, reads nit and applies the operator.
void integration_step(textio::Console& con, int& nit, int nom, double dom,
                      PerComponent<Spectrum*> fx);

}  // namespace smproc
