// A folder replaced whole: what goes into it is written into a fresh hidden
// folder beside it, which takes its place when complete, so that the folder
// holds all of the old files or all of the new ones, never a mix.
#pragma once

#include <sys/types.h>

#include <string>

#include "files/temp_files.h"

namespace smproc::textio {

class FolderReplacement {
 public:
  // Prepares to replace the entry `name` of the folder `parent` (created
  // when missing; a link there is followed, as its user named it). `name`
  // itself is never followed: a symbolic link or another file there is
  // refused. Returns an error text, or an empty one when path() is ready.
  std::string begin(const std::string& parent, const std::string& name,
                    TempFiles& registry = process_temporaries());

  // The fresh hidden folder to write into, listed in the registry: a name
  // that leads to it even if the folder's name is changed meanwhile.
  const std::string& path() const { return path_; }
  // Where the folder will be, for reports.
  const std::string& target() const { return target_; }

  // True when the file at `file` lies directly in the folder to be replaced.
  bool holds(const std::string& file) const;

  // Gives the new folder the name, the old one's permission bits (or those a
  // new folder gets), and removes the old one. Returns an error text, or an
  // empty one.
  std::string commit();

  FolderReplacement() = default;
  FolderReplacement(const FolderReplacement&) = delete;
  FolderReplacement& operator=(const FolderReplacement&) = delete;
  // Removes the new folder unless it was committed.
  ~FolderReplacement();

 private:
  TempFiles* registry_ = nullptr;
  int parent_fd_ = -1;
  int folder_fd_ = -1;
  std::string name_;
  std::string hidden_;  // the new folder's name in the parent
  std::string listed_;  // ... and its path, as listed
  std::string path_;
  std::string target_;
  bool old_exists_ = false;
  dev_t old_device_ = 0;
  ino_t old_inode_ = 0;
  mode_t mode_ = 0;
};

}  // namespace smproc::textio
