// List reads (free form): values separated by blanks, commas or line ends,
// "r*value" repeats, "/" ending the read.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "textio/input_buffer.h"

namespace smproc::textio {

// One list read. With eof_ends set, the end of the input while a value is
// awaited (or while the rest of a line holding more than blanks is passed
// over) returns end_of_file instead of failing. A read with no items
// consumes one line and never fails.
ReadResult list_read(Input& in, std::span<const ReadItem> items, bool eof_ends = false);
ReadResult list_read(Input& in, std::initializer_list<ReadItem> items, bool eof_ends = false);
// The same, telling in `filled` how many items the read reached, a null
// value counting as one: all of them after a full line, fewer when a slash
// or the end of the input came first.
ReadResult list_read(Input& in, std::span<const ReadItem> items, bool eof_ends,
                     std::size_t& filled);

// The value of a real token of a list read by the general conversion alone,
// without the fast path for plain integers; false when it is no number or
// overflows. For the tests, which hold the two ways to the same bits.
bool exact_real_token(std::string_view token, double& out);

}  // namespace smproc::textio
