// What a row writer calls to fill a field's places.
#pragma once

namespace smproc::textio {

// Writes the field of v into its w places at dst, d its precision.
using FieldWriter = void (*)(char* dst, double v, int w, int d);

}  // namespace smproc::textio
