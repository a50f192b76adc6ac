// The Fw.d field: the value with exactly d decimals, correctly rounded (ties
// to even on the exact binary value), right-aligned in w places.
#pragma once

#include <string>

#include "textio/field_writer.h"

namespace smproc::textio {

// Appends the Fw.d field of v to dst: w places, or w asterisks when the
// digits do not fit. Exact integer arithmetic where that is proven to give
// the general conversion's text, the general conversion elsewhere.
void append_fixed_field(std::string& dst, double v, int w, int d);
// The same field written into the w places at dst.
void write_fixed_field(char* dst, double v, int w, int d);

// write_fixed_field, or for the widths and decimals of the output files'
// fields the same rendering compiled for them alone.
FieldWriter fixed_field_writer(int w, int d);

// The same field by the general conversion alone; the fast one must match
// it byte for byte.
void append_exact_fixed_field(std::string& dst, double v, int w, int d);
std::string exact_fixed_field(double v, int w, int d);

}  // namespace smproc::textio
