// Reading lines: list reads (free form) and formatted reads (by a format),
// from the console or from a file. A CR directly before an LF is part of the
// line end. Values and lines of any length are read in bounded memory.
#pragma once

#include "textio/formatted_read.h"
#include "textio/input_buffer.h"
#include "textio/list_read.h"
#include "textio/read_item.h"
