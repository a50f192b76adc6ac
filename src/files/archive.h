// Reading the members of a tar archive (plain or gzip-compressed) into
// memory: never extracted, so no member's name can make the program touch a
// path. An archive may hold archives, one level deep, and any member may be
// gzip-compressed on its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace smproc::textio {

struct ArchiveLimits {
  std::uint64_t member = std::uint64_t{64} << 20;  // bytes of one member, after decompression
  std::uint64_t total = std::uint64_t{4} << 30;    // bytes decompressed from one argument
  int nesting = 1;                                 // archives inside the argument, levels
};

// A member read whole.
struct ArchiveMember {
  std::string name;    // as reports name it: "ARCHIVE:MEMBER", nested "ARCHIVE:INNER:MEMBER"
  std::string file;    // its plain file name: no folder part, a ".gz" ending dropped
  std::string folder;  // what comes before the plain file in `name`: "ARCHIVE:", "ARCHIVE:event/"
  std::shared_ptr<const std::string> bytes;
};

// A member that was wanted but not read, and why ("a symbolic link", "larger
// than 64 MiB after decompression", "the archive is damaged here: ...").
struct SkippedMember {
  std::string name;
  std::string file;
  std::string folder;
  std::string why;
};

struct ArchiveContents {
  std::vector<ArchiveMember> members;  // in the archive's order
  std::vector<SkippedMember> skipped;
  // "ARCHIVE: what is wrong", one line each: damage, the total limit, nesting.
  std::vector<std::string> problems;
  std::uint64_t decompressed = 0;  // member bytes produced, read or passed over
};

// A member's plain file name decides what is read: `wanted` is asked once per
// member that is not itself an archive; the others are passed over unread.
using WantedMember = std::function<bool(const std::string& file)>;

// Whether a name is that of an archive this reader takes: .tar, .tar.gz or
// .tgz, in either case.
bool is_archive_name(std::string_view name);

// Reads the archive file at `path` (a regular file; `path` also names it in
// reports). Only regular-file members are read. A member over the member
// limit, decompression past the total limit, nesting deeper than the limit
// and damage are reported; what was read whole before stays read. Never
// throws for bad input.
ArchiveContents read_archive_file(const std::string& path, const WantedMember& wanted,
                                  const ArchiveLimits& limits = {});

// The same over an archive's bytes in memory, named `name` in reports.
ArchiveContents read_archive_bytes(std::string_view bytes, const std::string& name,
                                   const WantedMember& wanted, const ArchiveLimits& limits = {});

}  // namespace smproc::textio
