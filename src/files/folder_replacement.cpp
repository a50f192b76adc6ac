#include "files/folder_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace smproc::textio {

namespace {

// The permission bits a new folder gets: 0777 less the umask, read where
// the system shows it, since setting the umask to read it would race with
// the threads that create files.
mode_t new_folder_mode() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "Umask:") {
      unsigned mask = 022;
      status >> std::oct >> mask;
      return 0777 & ~static_cast<mode_t>(mask);
    }
  }
  return 0755;
}

}  // namespace

std::string FolderReplacement::begin(const std::string& parent, const std::string& name,
                                     TempFiles& registry) {
  registry_ = &registry;
  name_ = name;
  target_ = (std::filesystem::path(parent) / name).string();
  std::error_code ec;
  std::filesystem::create_directories(parent, ec);
  if (ec) return "cannot create the folder " + parent + ": " + ec.message();
  parent_fd_ = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent_fd_ < 0) return "cannot open the folder " + parent + ": " + std::strerror(errno);

  struct stat st;
  if (::fstatat(parent_fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(st.st_mode))
      return target_ + " is a symbolic link; it was not followed and is left as it is";
    if (!S_ISDIR(st.st_mode)) return target_ + " is not a folder; it is left as it is";
    old_exists_ = true;
    old_device_ = st.st_dev;
    old_inode_ = st.st_ino;
    mode_ = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return "cannot look at " + target_ + ": " + std::strerror(errno);
  } else {
    mode_ = new_folder_mode();
  }

  // Only this user may enter the new folder until it takes its name, so no
  // other can plant a link among its files.
  if (!registry.create_folder(target_, listed_))
    return "cannot create a folder beside " + target_ + ": " + std::strerror(errno);
  hidden_ = std::filesystem::path(listed_).filename().string();
  folder_fd_ = ::openat(parent_fd_, hidden_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder_fd_ < 0) return "cannot open the folder " + listed_ + ": " + std::strerror(errno);
  // The folder by its descriptor: a rename of it, or a link put in its
  // place, cannot lead the outputs elsewhere.
  const std::string by_descriptor = "/proc/self/fd/" + std::to_string(folder_fd_);
  struct stat listed, found;
  path_ = ::fstat(folder_fd_, &listed) == 0 && ::stat(by_descriptor.c_str(), &found) == 0 &&
                  listed.st_ino == found.st_ino && listed.st_dev == found.st_dev
              ? by_descriptor
              : listed_;
  return {};
}

bool FolderReplacement::holds(const std::string& file) const {
  if (!old_exists_) return false;
  struct stat st;
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  return ::stat(folder.empty() ? "." : folder.c_str(), &st) == 0 && st.st_dev == old_device_ &&
         st.st_ino == old_inode_;
}

std::string FolderReplacement::commit() {
  const std::string failed = target_ + " not replaced: ";
  if (::fchmod(folder_fd_, mode_) != 0) return failed + std::strerror(errno);
  // The hidden name must still be the folder the outputs went to.
  struct stat ours, named;
  if (::fstat(folder_fd_, &ours) != 0 ||
      ::fstatat(parent_fd_, hidden_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
      ours.st_dev != named.st_dev || ours.st_ino != named.st_ino)
    return failed + "its new folder " + listed_ + " was moved while the station ran";
  if (!registry_->rename_folder(parent_fd_, hidden_, name_, listed_, old_exists_)) {
    if (errno == EEXIST || errno == ENOTEMPTY)
      return failed + "something took its name while the station ran";
    return failed + std::strerror(errno);
  }
  // The old folder, now under the hidden name, goes; a signal meanwhile
  // removes it all the same.
  if (old_exists_) registry_->discard(listed_);
  listed_.clear();
  return {};
}

FolderReplacement::~FolderReplacement() {
  if (!listed_.empty() && registry_) registry_->discard(listed_);
  if (folder_fd_ >= 0) ::close(folder_fd_);
  if (parent_fd_ >= 0) ::close(parent_fd_);
}

}  // namespace smproc::textio
