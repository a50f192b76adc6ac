#include "files/files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
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
void refuse_folder(int fd, const struct stat& st, const std::string& name, int unit, bool writing,
                   std::string_view what) {
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    open_failure(name, unit, std::strerror(EISDIR), writing, what);
  }
}

// The name a file is found under: symbolic links followed, by their text, to
// the last one's target, which need not exist.
std::string follow_links(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(PATH_MAX, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return path;
    target.resize(static_cast<std::size_t>(n));
    std::filesystem::path t(target);
    path = t.is_absolute() ? target : (std::filesystem::path(path).parent_path() / t).string();
  }
  return path;
}

TempFiles& registry_of(const OutputPlace& place) {
  return place.temporaries ? *place.temporaries : process_temporaries();
}

// A temporary file beside target, listed in the place's registry.
int make_temporary(const OutputPlace& place, const std::string& target, std::string& path) {
  return registry_of(place).create(target, path);
}

void drop_temporary(const OutputPlace& place, const std::string& path) {
  registry_of(place).discard(path);
}

// The temporary file sent to the disk and renamed over its target at close.
class DurableRename final : public Replacement {
 public:
  DurableRename(TempFiles& registry, std::string temporary, std::string target)
      : registry_(registry), temporary_(std::move(temporary)), target_(std::move(target)) {}
  bool put_in_place(int fd) noexcept override {
    if (registry_.commit(fd, temporary_, target_)) return true;
    const int err = errno;
    registry_.discard(temporary_);
    errno = err;
    return false;
  }

 private:
  TempFiles& registry_;
  std::string temporary_;
  std::string target_;
};

// Gives the temporary file the owner and permission bits of the file it is
// to replace; false when the owner cannot be kept.
bool take_over(int temp, const struct stat& old) {
  struct stat st;
  if (fstat(temp, &st) != 0) return false;
  if ((st.st_uid != old.st_uid || st.st_gid != old.st_gid) &&
      fchown(temp, old.st_uid, old.st_gid) != 0)
    return false;
  return fchmod(temp, old.st_mode & 07777) == 0;
}

}  // namespace

std::string trim_name(std::string_view name) {
  auto end = name.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1));
}

void OutputPlace::protect(const std::string& path, std::string description) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    protected_inputs.push_back({st.st_dev, st.st_ino, std::move(description)});
}

void OutputPlace::protect_output(const std::string& path, std::string description) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    protected_inputs.push_back(
        {st.st_dev, st.st_ino, std::move(description), "which this run has written"});
}

void OutputPlace::protect(int fd, std::string description) {
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    protected_inputs.push_back({st.st_dev, st.st_ino, std::move(description)});
}

Input open_for_reading(std::string_view raw, int unit, bool create_missing,
                       std::string_view what) {
  std::string name = trim_name(raw);
  if (name.empty()) open_failure(name, unit, "null file name", false, what);
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && create_missing)
    fd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) open_failure(name, unit, std::strerror(errno), false, what);
  struct stat st;
  if (fstat(fd, &st) == 0) refuse_folder(fd, st, name, unit, false, what);
  Input in(fd, unit, name);
  in.describe(std::string(what));
  return in;
}

Output open_for_writing(std::string_view raw, int unit, const OutputPlace& place,
                        std::string_view what) {
  std::string name = trim_name(raw);
  if (name.empty()) open_failure(name, unit, "null file name", true, what);
  const std::string path = place.folder.empty() ? name : (place.folder / name).string();
  // temp: the temporary file written instead of the file; empty: in place.
  auto output = [&](int fd, const std::string& temp, const std::string& target) {
    const bool in_place = temp.empty();
    try {
      std::unique_ptr<Replacement> replacement;
      if (!in_place) replacement = std::make_unique<DurableRename>(registry_of(place), temp, target);
      Output out(fd, unit, name, /*cut_at_close=*/in_place, std::move(replacement));
      out.describe(std::string(what));
      return out;
    } catch (...) {  // out of memory: no temporary file is left behind
      ::close(fd);
      if (!in_place) drop_temporary(place, temp);
      throw;
    }
  };

  // An existing file must take writing, as it would be written in place.
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0 && errno != ENOENT) open_failure(name, unit, std::strerror(errno), true, what);
  if (fd < 0) {
    // A new file: under a temporary name, or else created where it goes.
    const std::string target = follow_links(path);
    std::string temp;
    int tfd = make_temporary(place, target, temp);
    if (tfd >= 0) return output(tfd, temp, target);
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) open_failure(name, unit, std::strerror(errno), true, what);
    return output(fd, {}, {});
  }

  struct stat st;
  if (fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    open_failure(name, unit, std::strerror(err), true, what);
  }
  refuse_folder(fd, st, name, unit, true, what);
  for (const ProtectedInput& k : place.protected_inputs) {
    if (k.device == st.st_dev && k.inode == st.st_ino) {
      ::close(fd);
      raise("open", "would replace an input file", unit, name, "", true,
            sentence(described(std::string(what), name, "file") + " is the same file as " +
                     k.description + ", " + k.role + "; it was left untouched"));
    }
  }
  if (!S_ISREG(st.st_mode) || st.st_nlink > 1) return output(fd, {}, {});
  // The name the file is found under must still lead to it (a link in /proc
  // to an open file does not, by its text).
  const std::string target = follow_links(path);
  struct stat found;
  if (::stat(target.c_str(), &found) != 0 || found.st_dev != st.st_dev ||
      found.st_ino != st.st_ino)
    return output(fd, {}, {});
  std::string temp;
  int tfd = make_temporary(place, target, temp);
  if (tfd < 0) return output(fd, {}, {});
  if (!take_over(tfd, st)) {
    ::close(tfd);
    drop_temporary(place, temp);
    return output(fd, {}, {});
  }
  ::close(fd);
  return output(tfd, temp, target);
}

}  // namespace smproc::textio
