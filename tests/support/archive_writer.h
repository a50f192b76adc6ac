// Archives made in the tests with libarchive's writer: tar, optionally
// gzip-compressed, of members of any kind and name.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace smproc::testing {

struct TarMember {
  enum class Kind { file, folder, symlink, hardlink, fifo, device };
  TarMember(std::string p, std::string c = {}, Kind k = Kind::file, std::string t = {})
      : path(std::move(p)), content(std::move(c)), kind(k), target(std::move(t)) {}
  std::string path;
  std::string content;  // a file's bytes
  Kind kind = Kind::file;
  std::string target;  // a link's target
};

// The bytes of a tar archive of the members, in their order (pax format);
// gzip-compressed when `gzip` is set.
std::string tar_archive(const std::vector<TarMember>& members, bool gzip = false);

// The bytes compressed as one gzip stream.
std::string gzip_bytes(const std::string& bytes);

}  // namespace smproc::testing
