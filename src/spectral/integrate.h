// Integration and differentiation in the frequency domain, bins 2..nom.
#pragma once

#include "textio/console.h"
#include "run/state.h"

namespace smproc {

// Applies the operator chosen by nit (1 divide by i*omega, 2 divide by
// -omega^2, 3 multiply by i*omega, anything else nothing) to bins 2..nom of
// fx1..fx3.
void apply_operator(State& s);

// Shows the four choices, reads nit and applies the operator.
void integration_step(State& s, textio::Console& con);

}  // namespace smproc
