#include "textio/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace smproc::textio {

namespace {

[[noreturn]] void open_failure(const std::string& name, int unit, const std::string& reason,
                               bool writing, std::string_view what) {
  const std::optional<std::string> named =
      name.empty() ? std::nullopt : std::optional<std::string>(name);
  const std::string kind = what.empty() ? std::string("file") : std::string(what);
  std::string detail =
      name.empty() ? sentence("the name of the " + kind + " is blank")
                   : sentence(described(kind, named, "file") + " could not be opened" +
                              (writing ? " for writing: " : ": ") + reason);
  raise("open", reason, unit, named, "", writing, std::move(detail));
}

// A folder opens on this platform but cannot be read or written as a file.
void refuse_folder(int fd, const std::string& name, int unit, bool writing,
                   std::string_view what) {
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    open_failure(name, unit, std::strerror(EISDIR), writing, what);
  }
}

}  // namespace

std::string trim_name(std::string_view name) {
  auto end = name.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1));
}

Input open_for_reading(std::string_view raw, int unit, bool create_missing,
                       std::string_view what) {
  std::string name = trim_name(raw);
  if (name.empty()) open_failure(name, unit, "null file name", false, what);
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && create_missing)
    fd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) open_failure(name, unit, std::strerror(errno), false, what);
  refuse_folder(fd, name, unit, false, what);
  Input in(fd, unit, name);
  in.describe(std::string(what));
  return in;
}

Output open_for_writing(std::string_view raw, int unit, const OutputPlace& place,
                        std::string_view what) {
  std::string name = trim_name(raw);
  if (name.empty()) open_failure(name, unit, "null file name", true, what);
  const std::string path = place.folder.empty() ? name : (place.folder / name).string();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) open_failure(name, unit, std::strerror(errno), true, what);
  refuse_folder(fd, name, unit, true, what);
  Output out(fd, unit, name, /*cut_at_close=*/true);
  out.describe(std::string(what));
  return out;
}

}  // namespace smproc::textio
