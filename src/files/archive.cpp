#include "files/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace smproc::textio {

namespace {

// Bytes asked of libarchive at a time: members are records of a few hundred
// kilobytes, read whole.
constexpr std::size_t chunk = 1 << 16;

bool ends_with_any_case(std::string_view s, std::string_view tail) {
  if (s.size() <= tail.size()) return false;
  const std::string_view end = s.substr(s.size() - tail.size());
  return std::equal(end.begin(), end.end(), tail.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

// "64 MiB", "4 GiB", or bytes, as a limit is told.
std::string size_text(std::uint64_t n) {
  if (n >= (std::uint64_t{1} << 30) && n % (std::uint64_t{1} << 30) == 0)
    return std::to_string(n >> 30) + " GiB";
  if (n >= (std::uint64_t{1} << 20) && n % (std::uint64_t{1} << 20) == 0)
    return std::to_string(n >> 20) + " MiB";
  return std::to_string(n) + " bytes";
}

std::string error_of(archive* a) {
  const char* e = archive_error_string(a);
  return e != nullptr && *e != '\0' ? e : "unreadable";
}

// The member's name without its folder part: all that decides its use.
std::string plain_file(const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.back() == '/') p.pop_back();
  const std::size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// The member's folder part, up to and including its last slash.
std::string folder_part(const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.back() == '/') p.pop_back();
  const std::size_t slash = p.rfind('/');
  return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

std::string kind_of(const archive_entry* e) {
  if (archive_entry_hardlink(const_cast<archive_entry*>(e)) != nullptr)
    return "a hard link to another member";
  switch (archive_entry_filetype(const_cast<archive_entry*>(e))) {
    case AE_IFLNK: return "a symbolic link";
    case AE_IFDIR: return "a folder";
    case AE_IFIFO: return "a FIFO";
    case AE_IFCHR:
    case AE_IFBLK: return "a device";
    case AE_IFSOCK: return "a socket";
    default: return "not a regular file";
  }
}

bool is_regular(archive_entry* e) {
  return archive_entry_hardlink(e) == nullptr && archive_entry_filetype(e) == AE_IFREG;
}

// The outer archive's current member, as the byte source of an archive or a
// compressed member inside it.
struct MemberSource {
  archive* outer;
  char buffer[chunk];
  bool failed = false;
  std::string error;
};

la_ssize_t read_member_source(archive* inner, void* client, const void** buffer) {
  auto* s = static_cast<MemberSource*>(client);
  const la_ssize_t n = archive_read_data(s->outer, s->buffer, sizeof s->buffer);
  if (n < 0) {
    s->failed = true;
    s->error = error_of(s->outer);
    archive_set_error(inner, EIO, "%s", s->error.c_str());
    return -1;
  }
  *buffer = s->buffer;
  return n;
}

// The outcome of reading one member's data.
// reported: not read, already told of, and the stream is past it.
enum class Data { whole, too_large, over_total, damaged, reported };

class Reader {
 public:
  Reader(const WantedMember& wanted, const ArchiveLimits& limits, ArchiveContents& out)
      : wanted_(wanted), limits_(limits), out_(out) {}

  // Reads the members of one level; false once the total limit stopped all reading.
  bool level(archive* a, const std::string& prefix, int depth) {
    std::string last;  // the last member read whole, for a damage report
    for (;;) {
      archive_entry* e = nullptr;
      const int r = archive_read_next_header(a, &e);
      if (r == ARCHIVE_EOF) return true;
      if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
        damaged(prefix, last.empty() ? "at its start" : "after " + last, error_of(a));
        return true;
      }
      const char* p = archive_entry_pathname(e);
      const std::string path = p != nullptr ? p : "";
      const std::string name = prefix + ":" + path;
      const std::string file = plain_file(path);
      const std::string folder = prefix + ":" + folder_part(path);
      if (is_archive_name(file) && is_regular(e)) {
        if (!nested(a, name, depth)) return false;
        last = path;
        continue;
      }
      const bool compressed = ends_with_any_case(file, ".gz");
      const std::string record = compressed ? file.substr(0, file.size() - 3) : file;
      if (record.empty() || !wanted_(record)) {
        const Data d = pass_over(a, depth);
        if (d == Data::over_total) return over_total(prefix);
        if (d == Data::damaged) {
          damaged(prefix, "at " + path, error_of(a));
          return true;
        }
        last = path;
        continue;
      }
      if (!is_regular(e)) {
        out_.skipped.push_back({name, record, folder, kind_of(e) + ", not read"});
        last = path;
        continue;
      }
      std::string bytes;
      const Data d =
          compressed ? read_compressed(a, name, record, folder, bytes) : read_data(a, bytes, nullptr);
      switch (d) {
        case Data::reported:
          break;
        case Data::whole:
          out_.members.push_back(
              {name, record, folder, std::make_shared<const std::string>(std::move(bytes))});
          break;
        case Data::too_large:
          out_.skipped.push_back({name, record, folder,
                                  "larger than " + size_text(limits_.member) +
                                      " after decompression, not read"});
          if (const Data rest = pass_over(a, depth); rest == Data::over_total)
            return over_total(prefix);
          else if (rest == Data::damaged) {
            damaged(prefix, "at " + path, error_of(a));
            return true;
          }
          break;
        case Data::over_total:
          out_.skipped.push_back({name, record, folder, "not read: " + total_text()});
          return over_total(prefix);
        case Data::damaged:
          out_.skipped.push_back({name, record, folder, "not read whole: the archive is damaged here: " +
                                                    damage_});
          damaged(prefix, "at " + path, damage_);
          return true;
      }
      last = path;
    }
  }

 private:
  std::string total_text() const {
    return "more than " + size_text(limits_.total) + " decompressed from one archive";
  }

  bool over_total(const std::string& prefix) {
    if (!told_total_) out_.problems.push_back(prefix + ": " + total_text() + "; the rest is not read");
    told_total_ = true;
    return false;
  }

  void damaged(const std::string& prefix, const std::string& where, const std::string& why) {
    out_.problems.push_back(prefix + ": the archive is damaged " + where + " (" + why +
                            "); the members before it are read, the rest is not");
  }

  // Counts bytes against the total; false past it.
  bool count(std::uint64_t n) {
    out_.decompressed += n;
    return out_.decompressed <= limits_.total;
  }

  // Reads the current member's data into bytes, up to one byte past the
  // member limit. A failed read leaves its text in damage_.
  Data read_data(archive* a, std::string& bytes, MemberSource* source) {
    char buffer[chunk];
    for (;;) {
      const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
      if (n == 0) return Data::whole;
      if (n < 0) {
        damage_ = source != nullptr && source->failed ? source->error : error_of(a);
        return Data::damaged;
      }
      if (!count(static_cast<std::uint64_t>(n))) return Data::over_total;
      const std::size_t room =
          static_cast<std::size_t>(std::min<std::uint64_t>(limits_.member - bytes.size(), n));
      bytes.append(buffer, room);
      if (room < static_cast<std::size_t>(n)) return Data::too_large;
    }
  }

  // A gzip-compressed member, inflated no further than the member limit.
  Data read_compressed(archive* outer, const std::string& name, const std::string& record,
                       const std::string& folder, std::string& bytes) {
    auto source = std::make_unique<MemberSource>();
    source->outer = outer;
    archive* a = archive_read_new();
    if (a == nullptr) throw std::bad_alloc();
    archive_read_support_filter_gzip(a);
    archive_read_support_format_raw(a);
    Data d = Data::damaged;
    archive_entry* e = nullptr;
    if (archive_read_open(a, source.get(), nullptr, read_member_source, nullptr) != ARCHIVE_OK ||
        archive_read_next_header(a, &e) != ARCHIVE_OK) {
      damage_ = source->failed ? source->error : error_of(a);
    } else if (archive_filter_code(a, 0) != ARCHIVE_FILTER_GZIP) {
      damage_ = "not gzip-compressed";
    } else {
      d = read_data(a, bytes, source.get());
    }
    archive_read_free(a);
    // A member that is no gzip stream damages only itself, not the archive.
    if (d == Data::damaged && !source->failed) {
      out_.skipped.push_back({name, record, folder, "not read: " + damage_});
      const Data rest = pass_over(outer, 1);
      return rest == Data::whole ? Data::reported : rest;
    }
    return d;
  }

  // Moves past the rest of the current member. In a compressed stream every
  // byte passed over is inflated, so it counts against the total.
  Data pass_over(archive* a, int depth) {
    if (depth == 0 && archive_filter_code(a, 0) == ARCHIVE_FILTER_NONE)
      return archive_read_data_skip(a) == ARCHIVE_OK ? Data::whole : Data::damaged;
    char buffer[chunk];
    for (;;) {
      const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
      if (n == 0) return Data::whole;
      if (n < 0) return Data::damaged;
      if (!count(static_cast<std::uint64_t>(n))) return Data::over_total;
    }
  }

  // An archive inside the current level: read when the nesting allows it.
  bool nested(archive* outer, const std::string& name, int depth) {
    if (depth >= limits_.nesting) {
      out_.problems.push_back(name + ": an archive nested " + std::to_string(depth + 1) +
                              " levels deep, not read; archives inside archives are read " +
                              std::to_string(limits_.nesting) + " level deep");
      return pass_over(outer, depth) != Data::over_total || over_total(name);
    }
    auto source = std::make_unique<MemberSource>();
    source->outer = outer;
    archive* a = archive_read_new();
    if (a == nullptr) throw std::bad_alloc();
    archive_read_support_filter_gzip(a);
    archive_read_support_format_tar(a);
    bool go_on = true;
    if (archive_read_open(a, source.get(), nullptr, read_member_source, nullptr) != ARCHIVE_OK)
      damaged(name, "at its start", source->failed ? source->error : error_of(a));
    else
      go_on = level(a, name, depth + 1);
    archive_read_free(a);
    if (!go_on) return false;
    const Data rest = pass_over(outer, depth);
    return rest != Data::over_total || over_total(name);
  }

  const WantedMember& wanted_;
  const ArchiveLimits& limits_;
  ArchiveContents& out_;
  std::string damage_;
  bool told_total_ = false;
};

ArchiveContents read_opened(archive* a, int open_result, const std::string& name,
                            const WantedMember& wanted, const ArchiveLimits& limits) {
  ArchiveContents out;
  if (open_result != ARCHIVE_OK) {
    out.problems.push_back(name + ": not a readable archive (" + error_of(a) + ")");
    return out;
  }
  Reader(wanted, limits, out).level(a, name, 0);
  return out;
}

archive* new_reader() {
  archive* a = archive_read_new();
  if (a == nullptr) throw std::bad_alloc();
  archive_read_support_filter_gzip(a);
  archive_read_support_format_tar(a);
  return a;
}

}  // namespace

bool is_archive_name(std::string_view name) {
  return ends_with_any_case(name, ".tar") || ends_with_any_case(name, ".tar.gz") ||
         ends_with_any_case(name, ".tgz");
}

ArchiveContents read_archive_file(const std::string& path, const WantedMember& wanted,
                                  const ArchiveLimits& limits) {
  // Opened without waiting, so a pipe named like an archive is refused, not read for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    ArchiveContents out;
    out.problems.push_back(path + ": cannot read the archive: " + std::strerror(errno));
    return out;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    ArchiveContents out;
    out.problems.push_back(path + ": not a regular file");
    return out;
  }
  archive* a = new_reader();
  ArchiveContents out = read_opened(a, archive_read_open_fd(a, fd, chunk), path, wanted, limits);
  archive_read_free(a);
  ::close(fd);
  return out;
}

ArchiveContents read_archive_bytes(std::string_view bytes, const std::string& name,
                                   const WantedMember& wanted, const ArchiveLimits& limits) {
  archive* a = new_reader();
  ArchiveContents out = read_opened(
      a, archive_read_open_memory(a, bytes.data(), bytes.size()), name, wanted, limits);
  archive_read_free(a);
  return out;
}

}  // namespace smproc::textio
