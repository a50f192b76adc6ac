// Writing a text to a descriptor, and a whole file at once.
#pragma once

#include <string>
#include <string_view>

#include "files/temp_files.h"

namespace smproc::textio {

// Writes all of the text to a descriptor, writing again after an
// interruption or a short write; false with errno set when a write fails.
bool write_all(int fd, std::string_view text);

// Writes the file at `path` whole: the text goes to a listed temporary file
// beside it, sent to the disk and renamed over it, so the file holds its old
// content or the text, whole. A symbolic link, or anything but a regular
// file, at `path` is refused and never followed. Returns an error text
// ("NAME not written: REASON", NAME `shown` or else the path), or an empty one.
std::string write_whole_file(const std::string& path, std::string_view text,
                             const std::string& shown = {},
                             TempFiles& registry = process_temporaries());

}  // namespace smproc::textio
