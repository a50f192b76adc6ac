// The Ew.d field: "0.", the d significant digits of the value correctly
// rounded (ties to even on the exact binary value), and the exponent of that
// form, right-aligned in w places.
#pragma once

#include <string>

#include "textio/field_writer.h"

namespace smproc::textio {

// Appends the Ew.d field of v to dst (d >= 1): w places, or w asterisks when
// it does not fit. Exact integer arithmetic where that is proven to give the
// general conversion's text, the general conversion elsewhere.
void append_exponent_field(std::string& dst, double v, int w, int d);
// The same field written into the w places at dst.
void write_exponent_field(char* dst, double v, int w, int d);
// write_exponent_field, or for the width and digits of amp3.csv's fields the
// same rendering compiled for them alone.
FieldWriter exponent_field_writer(int w, int d);

// The same field by the general conversion alone; the fast one must match
// it byte for byte.
void append_exact_exponent_field(std::string& dst, double v, int w, int d);
std::string exact_exponent_field(double v, int w, int d);

}  // namespace smproc::textio
