// Formatted reads: fields of fixed width by a format.
#pragma once

#include <initializer_list>
#include <span>

#include "textio/format.h"
#include "textio/input_buffer.h"

namespace smproc::textio {

// One formatted read; fixed (F) items take double*, text (A) items TextItem.
void formatted_read(Input& in, const Format& format, std::span<const ReadItem> items);
void formatted_read(Input& in, const Format& format, std::initializer_list<ReadItem> items);

}  // namespace smproc::textio
