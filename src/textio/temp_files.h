// Temporary files that outputs are written to before they take their real
// names, listed so that a signal can remove them before the process ends.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace smproc::textio {

// A registry shared by the thread that writes and the one that watches for
// signals; every member may be called from either.
class TempFiles {
 public:
  TempFiles() = default;
  TempFiles(const TempFiles&) = delete;
  TempFiles& operator=(const TempFiles&) = delete;

  // Creates an empty file in the folder of `target`, open for writing, and
  // lists it; returns its descriptor and sets `path`, or -1 with errno set.
  int create(const std::string& target, std::string& path);

  // Renames the listed file over `target` and drops it from the list;
  // false with errno set when the rename fails (the file stays listed).
  bool commit(const std::string& path, const std::string& target);

  // Removes the listed file and drops it from the list.
  void discard(const std::string& path) noexcept;

  // Removes every listed file. The registry stays locked while the returned
  // lock lives, so nothing is created or renamed meanwhile: the caller ends
  // the process while it holds it.
  [[nodiscard]] std::unique_lock<std::mutex> remove_all() noexcept;

  // The files listed now, for tests.
  std::vector<std::string> listed() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> paths_;
};

// The same operations for a file that no registry lists.
int create_temporary(const std::string& target, std::string& path);

// Gives the file at `path` the name `target`, atomically: a reader sees the
// old file or the new one, never neither. False with errno set when it fails.
bool rename_over(const std::string& path, const std::string& target);

}  // namespace smproc::textio
