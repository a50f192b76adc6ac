// Integration and differentiation in the frequency domain, bins 2..nom.
#pragma once

#include <span>

#include "records/series.h"
#include "spectral/spectrum.h"

namespace smproc {

// The operators, numbered as the dialogue offers them.
enum class Operation { none = 0, integrate = 1, integrate_twice = 2, differentiate = 3 };

// The operation an answer chooses: 1, 2 or 3; anything else is none.
Operation operation_of(int nit);

// Applies the operator (integrate: divide by i*omega; integrate_twice:
// divide by -omega^2; differentiate: multiply by i*omega; none: nothing) to
// bins 2..nom of the spectra, bin i lying at (i - 1) * dom rad/s.
void apply_operator(Operation op, int nom, double dom, std::span<Spectrum* const> fx);

}  // namespace smproc
