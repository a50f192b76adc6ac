#include "textio/temp_files.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace smproc::textio {

namespace {

// Name lengths are limited; a long target name gives a shorter hidden name.
constexpr std::size_t kept_name = 64;

// Bits that differ between calls; the clock stands in where the system
// has no random source to offer.
unsigned random_bits() {
  unsigned bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits))
    return bits;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned>(now.tv_nsec) ^ static_cast<unsigned>(now.tv_sec);
}

void forget(std::vector<std::string>& paths, const std::string& path) {
  auto it = std::find(paths.begin(), paths.end(), path);
  if (it != paths.end()) paths.erase(it);
}

}  // namespace

int create_temporary(const std::string& target, std::string& path) {
  // ".amp3.csv.4711-1a2b3c4d.part" beside "amp3.csv": hidden, and unique to
  // this process and attempt.
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char tail[48];
    std::snprintf(tail, sizeof tail, ".%ld-%08x.part", static_cast<long>(::getpid()),
                  random_bits() + static_cast<unsigned>(attempt));
    path = folder + "." + base.substr(0, kept_name) + tail;
    // Created as a new file would be (permissions 0666 less the umask).
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool rename_over(const std::string& path, const std::string& target) {
  // Renaming over an existing file makes ext4 write the new file's data out
  // there and then, some milliseconds for our outputs. Swapping the two names
  // is as atomic and leaves the writing to the system's own time; the old
  // file, now under the temporary name, is then removed.
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      ::syscall(SYS_renameat2, AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(),
                RENAME_EXCHANGE) == 0) {
    if (::unlink(path.c_str()) == 0) return true;
    // Something other than a file came to stand at the target meanwhile:
    // swap back and let the plain rename decide.
    ::syscall(SYS_renameat2, AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE);
  }
  return ::rename(path.c_str(), target.c_str()) == 0;
}

int TempFiles::create(const std::string& target, std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  paths_.reserve(paths_.size() + 1);  // listing it cannot fail once it exists
  int fd = create_temporary(target, path);
  if (fd >= 0) paths_.push_back(path);
  return fd;
}

bool TempFiles::commit(const std::string& path, const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!rename_over(path, target)) return false;
  forget(paths_, path);
  return true;
}

void TempFiles::discard(const std::string& path) noexcept {
  std::lock_guard<std::mutex> lock(mutex_);
  ::unlink(path.c_str());
  forget(paths_, path);
}

std::unique_lock<std::mutex> TempFiles::remove_all() noexcept {
  std::unique_lock<std::mutex> lock(mutex_);
  for (const std::string& p : paths_) ::unlink(p.c_str());
  paths_.clear();
  return lock;
}

std::vector<std::string> TempFiles::listed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paths_;
}

}  // namespace smproc::textio
