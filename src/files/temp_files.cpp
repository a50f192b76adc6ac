#include "files/temp_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace smproc::textio {

namespace {

// Name lengths are limited; a long target name gives a shorter hidden name.
constexpr std::size_t kept_name = 64;
constexpr int random_letters = 8;
constexpr int attempts = 100;

// Random bits for a name another user cannot guess; the clock and a counter
// stand in where the system has no random source to offer.
unsigned long long random_bits() {
  unsigned long long bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits))
    return bits;
  static std::atomic<unsigned long long> counter{0};
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (static_cast<unsigned long long>(now.tv_nsec) << 20) ^
         static_cast<unsigned long long>(now.tv_sec) ^ (counter.fetch_add(1) * 0x9e3779b97f4a7c15ull);
}

// Starts writing the file's data to the disk before the rename, as ext4
// does by itself for a rename over an existing file: the rename is then
// written after the data, so a power cut leaves the old file or the new
// one, never an empty one. Waiting for the disk as well (fdatasync) would
// cost about 20 ms a file here for no more than that. Every error but
// these means the data may never reach the disk: a file system that cannot
// do it (some special ones) has nothing to write.
bool synced(int fd) {
  if (::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE) == 0) return true;
  return errno == EINVAL || errno == EROFS || errno == ENOTSUP;
}

}  // namespace

std::string hidden_name(const std::string& target) {
  static constexpr char letters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1);
  std::string name = folder + "." + base.substr(0, kept_name) + ".";
  unsigned long long bits = random_bits();
  for (int k = 0; k < random_letters; ++k) {
    name.push_back(letters[bits % 62]);
    bits /= 62;
  }
  return name;
}

int TempFiles::create(const std::string& target, std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.reserve(entries_.size() + 1);  // listing it cannot fail once it exists
  for (int attempt = 0; attempt < attempts; ++attempt) {
    path = hidden_name(target);
    // Created as a new file would be (permissions 0666 less the umask).
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) entries_.push_back({path, false});
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool TempFiles::create_folder(const std::string& target, std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.reserve(entries_.size() + 1);
  for (int attempt = 0; attempt < attempts; ++attempt) {
    path = hidden_name(target);
    if (::mkdir(path.c_str(), 0700) == 0) {
      entries_.push_back({path, true});
      return true;
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

bool TempFiles::commit(int fd, const std::string& path, const std::string& target) {
  // The data goes to the disk before the name does. Outside the lock:
  // other threads' files and a signal need not wait for this one.
  if (!synced(fd)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (::rename(path.c_str(), target.c_str()) != 0) return false;
  drop(path);
  return true;
}

bool TempFiles::rename_folder(int parent_fd, const std::string& from, const std::string& to,
                              const std::string& path, bool exchange) {
  // Locked, so that a signal removes the new folder whole before the swap,
  // or the old one after it.
  std::lock_guard<std::mutex> lock(mutex_);
  if (::renameat2(parent_fd, from.c_str(), parent_fd, to.c_str(),
                  exchange ? RENAME_EXCHANGE : RENAME_NOREPLACE) != 0)
    return false;
  if (!exchange) drop(path);
  return true;
}

void TempFiles::discard(const std::string& path) noexcept {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return e.path == path; });
  if (it == entries_.end()) return;
  remove(*it);
  entries_.erase(it);
}

std::unique_lock<std::mutex> TempFiles::remove_all() noexcept {
  std::unique_lock<std::mutex> lock(mutex_);
  for (const Entry& e : entries_) remove(e);
  entries_.clear();
  return lock;
}

std::vector<std::string> TempFiles::listed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> paths;
  for (const Entry& e : entries_) paths.push_back(e.path);
  return paths;
}

void TempFiles::remove(const Entry& e) noexcept {
  if (!e.folder) {
    ::unlink(e.path.c_str());
    return;
  }
  // Links inside are removed, never followed.
  std::error_code ec;
  try {
    std::filesystem::remove_all(e.path, ec);
  } catch (...) {  // out of memory: the folder stays, hidden
  }
}

void TempFiles::drop(const std::string& path) noexcept {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return e.path == path; });
  if (it != entries_.end()) entries_.erase(it);
}

TempFiles& process_temporaries() {
  static TempFiles registry;
  return registry;
}

}  // namespace smproc::textio
