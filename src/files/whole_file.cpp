#include "files/whole_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "textio/text_output.h"

namespace smproc::textio {

bool write_all(int fd, std::string_view text) {
  long long written = 0;
  return write_bytes(fd, text.data(), text.size(), written);
}

std::string write_whole_file(const std::string& path, std::string_view text,
                             const std::string& shown, TempFiles& registry) {
  const std::string failed = (shown.empty() ? path : shown) + " not written: ";
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) return failed + "it is a symbolic link, which is not followed";
    if (!S_ISREG(st.st_mode)) return failed + "it is not a regular file";
  }
  std::string temporary;
  const int fd = registry.create(path, temporary);
  if (fd < 0) return failed + std::strerror(errno);
  bool ok = write_all(fd, text) && registry.commit(fd, temporary, path);
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;  // renamed already: the file holds what reached it
    error = errno;
  }
  if (!ok) {
    registry.discard(temporary);
    return failed + std::strerror(error);
  }
  return {};
}

}  // namespace smproc::textio
