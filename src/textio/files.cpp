#include "textio/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace smproc::textio {

namespace {

[[noreturn]] void open_failure(const std::string& name, int unit, const char* reason,
                               bool writing) {
  raise("open", reason, unit, name.empty() ? std::nullopt : std::optional<std::string>(name), "",
        writing);
}

// A folder opens on this platform but cannot be read or written as a file.
void refuse_folder(int fd, const std::string& name, int unit, bool writing) {
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    open_failure(name, unit, std::strerror(EISDIR), writing);
  }
}

}  // namespace

std::string trim_name(std::string_view name) {
  auto end = name.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1));
}

Input open_for_reading(std::string_view raw, int unit, bool create_missing) {
  std::string name = trim_name(raw);
  if (name.empty()) open_failure(name, unit, "null file name", false);
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && create_missing)
    fd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) open_failure(name, unit, std::strerror(errno), false);
  refuse_folder(fd, name, unit, false);
  return Input(fd, unit, name);
}

Output open_for_writing(std::string_view raw, int unit, const OutputPlace& place) {
  std::string name = trim_name(raw);
  if (name.empty()) open_failure(name, unit, "null file name", true);
  const std::string path = place.folder.empty() ? name : (place.folder / name).string();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) open_failure(name, unit, std::strerror(errno), true);
  refuse_folder(fd, name, unit, true);
  return Output(fd, unit, name, /*cut_at_close=*/true);
}

}  // namespace smproc::textio
