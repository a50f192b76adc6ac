// The fast path of a list read for its common line: plain integers into
// real items, held to the general path's results.
#pragma once

#include <span>

#include "textio/input_buffer.h"

namespace smproc::textio {

// The fast path for the common line of a list read: items.size() (at most
// fast_path_items) plain integers, blanks and tabs between them, into
// double items, the line and its line end already in the buffer. Returns
// false and changes nothing for any other line, which then takes the
// general way from the same place.
//
// Why it ends as the general way does: on such a line that way skips blanks,
// reads each value up to the next blank, tab or line end (so no comma, slash,
// star or quote is met) and stores it by parse_real's fast path, which gives
// the token's value by integer_token_value's rule (leading zeros dropped
// change nothing, "-0" is -0), one item after another; then discard_line
// passes the blanks and the line end, counting no words. Every character up
// to the LF is in the buffer, so nothing is refilled, and the only check met
// is the line length at the line end, made here first. It thus ends past the
// line end with one more line passed and the current line starting there,
// no counter or end flag changed, the values stored in item order, result
// ok. begin_statement has run before, as for the general way.
bool read_integer_line(Input& in, std::span<const ReadItem> items);

}  // namespace smproc::textio
