// Temporary files and folders that outputs are written to before they take
// their real names, listed so that a signal can remove them before the
// process ends.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace smproc::textio {

// A registry shared by the threads that write and the one that watches for
// signals; every member may be called from any of them.
class TempFiles {
 public:
  TempFiles() = default;
  TempFiles(const TempFiles&) = delete;
  TempFiles& operator=(const TempFiles&) = delete;

  // Creates an empty hidden file of a random name beside `target`
  // (".amp3.csv.Xq3v9Tz1" beside "amp3.csv"), never through a link and never
  // over anything that stands there, open for writing, and lists it; returns
  // its descriptor and sets `path`, or -1 with errno set.
  int create(const std::string& target, std::string& path);

  // Creates an empty hidden folder of a random name beside `target`, which
  // only this user may enter, and lists it; false with errno set.
  bool create_folder(const std::string& target, std::string& path);

  // Sends the data of the listed file open on fd to the disk, renames the
  // file over `target` (a link there is replaced, never followed) and drops
  // it from the list; false with errno set when either fails (the file
  // stays listed).
  bool commit(int fd, const std::string& path, const std::string& target);

  // Gives the listed folder `path`, named `from` in the folder open on
  // parent_fd, the name `to` there. With `exchange` the folder at `to` takes
  // the name `from` instead and stays listed under `path` (discard() then
  // removes it); without, nothing may stand at `to`, and the folder is
  // dropped from the list. False with errno set.
  bool rename_folder(int parent_fd, const std::string& from, const std::string& to,
                     const std::string& path, bool exchange);

  // Removes the listed file, or folder with all it holds, and drops it.
  void discard(const std::string& path) noexcept;

  // Removes everything listed. The registry stays locked while the returned
  // lock lives, so nothing is created or renamed meanwhile: the caller ends
  // the process while it holds it.
  [[nodiscard]] std::unique_lock<std::mutex> remove_all() noexcept;

  // The paths listed now, for tests.
  std::vector<std::string> listed() const;

 private:
  struct Entry {
    std::string path;
    bool folder = false;
  };
  static void remove(const Entry& e) noexcept;
  void drop(const std::string& path) noexcept;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

// The registry of this process: every temporary file and folder an output
// goes through is listed here unless a caller names another one, and the
// signal watcher empties it.
TempFiles& process_temporaries();

// A hidden name of random letters beside `target`, for a temporary file or
// folder: ".NAME.XXXXXXXX", the name cut where the system would refuse it.
std::string hidden_name(const std::string& target);

}  // namespace smproc::textio
