#include "files/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace smproc::textio {

namespace {

// Bytes read at a time: members are records of a few hundred kilobytes.
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

std::string without_trailing_slashes(std::string p) {
  while (!p.empty() && p.back() == '/') p.pop_back();
  return p;
}

// The member's name without its folder part: all that decides its use.
std::string plain_file(const std::string& path) {
  const std::string p = without_trailing_slashes(path);
  const std::size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// The member's folder part, up to and including its last slash.
std::string folder_part(const std::string& path) {
  const std::string p = without_trailing_slashes(path);
  const std::size_t slash = p.rfind('/');
  return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

std::string kind_of(archive_entry* e) {
  if (archive_entry_hardlink(e) != nullptr) return "a hard link to another member";
  switch (archive_entry_filetype(e)) {
    case AE_IFLNK:
      return "a symbolic link";
    case AE_IFDIR:
      return "a folder";
    case AE_IFIFO:
      return "a FIFO";
    case AE_IFCHR:
    case AE_IFBLK:
      return "a device";
    case AE_IFSOCK:
      return "a socket";
    default:
      return "not a regular file";
  }
}

bool is_regular(archive_entry* e) {
  return archive_entry_hardlink(e) == nullptr && archive_entry_filetype(e) == AE_IFREG;
}

// Where an archive's bytes come from, in pieces: a piece stays valid until
// the next is asked for.
class Source {
 public:
  virtual ~Source() = default;
  // The next piece's length; 0 at the end, -1 on failure with error() set.
  virtual la_ssize_t next(const void** piece) = 0;
  const std::string& error() const { return error_; }

 protected:
  std::string error_;
};

class FileSource : public Source {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  la_ssize_t next(const void** piece) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error_ = std::strerror(errno);
        return -1;
      }
      *piece = buffer_;
      return n;
    }
  }

 private:
  int fd_;
  char buffer_[chunk];
};

class MemorySource : public Source {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  la_ssize_t next(const void** piece) override {
    *piece = bytes_.data();
    const auto n = static_cast<la_ssize_t>(bytes_.size());
    bytes_ = {};
    return n;
  }

 private:
  std::string_view bytes_;
};

// The outer archive's current member, as the bytes of an archive or a
// compressed record inside it. Its blocks are handed on as they come, so
// that the last one is not lost when the archive ends just after it; the
// holes of a sparse member read as zeros.
class MemberSource : public Source {
 public:
  explicit MemberSource(archive* outer) : outer_(outer) {}
  la_ssize_t next(const void** piece) override {
    if (hole_ == 0 && pending_ == nullptr) {
      const void* block = nullptr;
      std::size_t size = 0;
      la_int64_t offset = 0;
      const int r = archive_read_data_block(outer_, &block, &size, &offset);
      if (r == ARCHIVE_EOF) return 0;
      if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
        failed_ = true;
        error_ = error_of(outer_);
        return -1;
      }
      if (offset > position_) hole_ = static_cast<std::uint64_t>(offset - position_);
      pending_ = block;
      pending_size_ = size;
    }
    if (hole_ > 0) {
      static const char zeros[chunk] = {};
      const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(hole_, sizeof zeros));
      hole_ -= n;
      position_ += static_cast<la_int64_t>(n);
      *piece = zeros;
      return static_cast<la_ssize_t>(n);
    }
    *piece = pending_;
    pending_ = nullptr;
    position_ += static_cast<la_int64_t>(pending_size_);
    return static_cast<la_ssize_t>(pending_size_);
  }
  // The outer archive failed, not what its member holds.
  bool failed() const { return failed_; }

 private:
  archive* outer_;
  bool failed_ = false;
  const void* pending_ = nullptr;
  std::size_t pending_size_ = 0;
  std::uint64_t hole_ = 0;
  la_int64_t position_ = 0;
};

// Inflates a gzip stream as its bytes come in, so that every byte before a
// damage is handed on; bytes that do not start as gzip pass unchanged.
class GzipSource : public Source {
 public:
  explicit GzipSource(Source& in) : in_(in) {}
  ~GzipSource() override {
    if (inflating_) inflateEnd(&z_);
  }
  GzipSource(const GzipSource&) = delete;
  GzipSource& operator=(const GzipSource&) = delete;

  // Reads far enough to tell whether the bytes are gzip; false on failure.
  bool probe() {
    while (head_.size() < 2 && !in_end_) {
      const void* p = nullptr;
      const la_ssize_t n = in_.next(&p);
      if (n < 0) return fail(in_.error());
      if (n == 0) in_end_ = true;
      head_.append(static_cast<const char*>(p), static_cast<std::size_t>(n));
    }
    probed_ = true;
    gzip_ = head_.size() >= 2 && static_cast<unsigned char>(head_[0]) == 0x1f &&
            static_cast<unsigned char>(head_[1]) == 0x8b;
    if (gzip_) {
      z_ = {};
      if (inflateInit2(&z_, 16 + MAX_WBITS) != Z_OK) throw std::bad_alloc();
      inflating_ = true;
      z_.next_in = reinterpret_cast<Bytef*>(head_.data());
      z_.avail_in = static_cast<uInt>(head_.size());
    }
    return true;
  }
  bool gzip() const { return gzip_; }

  la_ssize_t next(const void** piece) override {
    if (!probed_ && !probe()) return -1;
    if (!gzip_) {
      if (!head_given_) {
        head_given_ = true;
        if (!head_.empty()) {
          *piece = head_.data();
          return static_cast<la_ssize_t>(head_.size());
        }
      }
      if (in_end_) return 0;
      const la_ssize_t n = in_.next(piece);
      if (n < 0) fail(in_.error());
      return n;
    }
    for (;;) {
      if (z_.avail_in == 0 && !in_end_ && !more_input()) return -1;
      if (stream_end_) {
        // Another gzip member may follow; anything else after the end is not read.
        if (z_.avail_in == 0 || z_.next_in[0] != 0x1f) return 0;
        if (inflateReset(&z_) != Z_OK) return fail("damaged gzip data");
        stream_end_ = false;
      }
      if (z_.avail_in == 0) return fail("truncated gzip input");
      z_.next_out = reinterpret_cast<Bytef*>(out_);
      z_.avail_out = sizeof out_;
      const int r = inflate(&z_, Z_NO_FLUSH);
      if (r == Z_STREAM_END)
        stream_end_ = true;
      else if (r != Z_OK && r != Z_BUF_ERROR)
        return fail(z_.msg != nullptr ? z_.msg : "damaged gzip data");
      const std::size_t produced = sizeof out_ - z_.avail_out;
      if (produced > 0) {
        *piece = out_;
        return static_cast<la_ssize_t>(produced);
      }
    }
  }

 private:
  la_ssize_t fail(const std::string& why) {
    error_ = why;
    return -1;
  }

  bool more_input() {
    const void* p = nullptr;
    const la_ssize_t n = in_.next(&p);
    if (n < 0) {
      fail(in_.error());
      return false;
    }
    if (n == 0) in_end_ = true;
    z_.next_in = static_cast<Bytef*>(const_cast<void*>(p));
    z_.avail_in = static_cast<uInt>(n);
    return true;
  }

  Source& in_;
  z_stream z_{};
  bool probed_ = false, gzip_ = false, inflating_ = false, head_given_ = false;
  bool in_end_ = false, stream_end_ = false;
  std::string head_;
  char out_[chunk];
};

la_ssize_t read_source(archive* a, void* client, const void** piece) {
  auto* s = static_cast<Source*>(client);
  const la_ssize_t n = s->next(piece);
  if (n < 0) archive_set_error(a, EIO, "%s", s->error().c_str());
  return n;
}

// A tar reader over a source, plain or gzip-compressed; frees itself.
class TarReader {
 public:
  explicit TarReader(Source& in) : gz_(in), a_(archive_read_new()) {
    if (a_ == nullptr) throw std::bad_alloc();
    archive_read_support_format_tar(a_);
  }
  ~TarReader() { archive_read_free(a_); }
  TarReader(const TarReader&) = delete;
  TarReader& operator=(const TarReader&) = delete;
  // An empty text, or why the archive cannot be read from its start.
  std::string open() {
    if (!gz_.probe()) return gz_.error();
    if (archive_read_open(a_, &gz_, nullptr, read_source, nullptr) != ARCHIVE_OK)
      return error_of(a_);
    return {};
  }
  archive* get() const { return a_; }
  bool compressed() const { return gz_.gzip(); }

 private:
  GzipSource gz_;
  archive* a_;
};

// The outcome of reading one member's data.
// reported: not read, already told of, and the stream is past it.
enum class Data { whole, too_large, over_total, damaged, reported };

class Reader {
 public:
  Reader(const WantedMember& wanted, const ArchiveLimits& limits, ArchiveContents& out)
      : wanted_(wanted), limits_(limits), out_(out) {}

  // Reads the members of one level; false once the total limit stopped all
  // reading. `compressed`: this level's bytes or an outer one's are inflated.
  bool level(archive* a, const std::string& prefix, int depth, bool compressed) {
    std::string last;  // the last member passed whole, for a damage report
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
        if (!nested(a, name, depth, compressed)) return false;
        last = path;
        continue;
      }
      const bool gz = ends_with_any_case(file, ".gz");
      const std::string record = gz ? file.substr(0, file.size() - 3) : file;
      if (record.empty() || !wanted_(record)) {
        const Data d = pass_over(a, compressed);
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
      Data d = Data::damaged;
      if (gz) {
        d = read_compressed(a, bytes);
      } else {
        auto source = std::make_unique<MemberSource>(a);
        d = read_data(*source, bytes);
        // All its bytes came before the damage (in the padding after them):
        // the member is whole, and the damage is told at the next header.
        if (d == Data::damaged && archive_entry_size_is_set(e) &&
            static_cast<std::uint64_t>(archive_entry_size(e)) == bytes.size())
          d = Data::whole;
      }
      switch (d) {
        case Data::whole:
          out_.members.push_back(
              {name, record, folder, std::make_shared<const std::string>(std::move(bytes))});
          break;
        case Data::too_large:
          out_.skipped.push_back(
              {name, record, folder,
               "larger than " + size_text(limits_.member) + " after decompression, not read"});
          break;
        case Data::reported:
          out_.skipped.push_back({name, record, folder, "not read: " + damage_});
          break;
        case Data::over_total:
          out_.skipped.push_back({name, record, folder, "not read: " + total_text()});
          return over_total(prefix);
        case Data::damaged:
          out_.skipped.push_back(
              {name, record, folder, "not read whole: the archive is damaged here: " + damage_});
          damaged(prefix, "at " + path, damage_);
          return true;
      }
      if (d != Data::whole) {
        // The rest of a member read only in part.
        const Data rest = pass_over(a, compressed);
        if (rest == Data::over_total) return over_total(prefix);
        if (rest == Data::damaged) {
          damaged(prefix, "at " + path, error_of(a));
          return true;
        }
      }
      last = path;
    }
  }

 private:
  std::string total_text() const {
    return "more than " + size_text(limits_.total) + " decompressed from one archive";
  }

  bool over_total(const std::string& prefix) {
    if (!told_total_)
      out_.problems.push_back(prefix + ": " + total_text() + "; the rest is not read");
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

  // Reads a member's bytes, up to one byte past the member limit. A failed
  // read leaves its text in damage_.
  Data read_data(Source& source, std::string& bytes) {
    for (;;) {
      const void* piece = nullptr;
      const la_ssize_t n = source.next(&piece);
      if (n == 0) return Data::whole;
      if (n < 0) {
        damage_ = source.error();
        return Data::damaged;
      }
      if (!count(static_cast<std::uint64_t>(n))) return Data::over_total;
      const auto room =
          static_cast<std::size_t>(std::min<std::uint64_t>(limits_.member - bytes.size(), n));
      bytes.append(static_cast<const char*>(piece), room);
      if (room < static_cast<std::size_t>(n)) return Data::too_large;
    }
  }

  // A gzip-compressed member, inflated no further than the member limit. A
  // member that is no whole gzip stream fails alone, not the archive.
  Data read_compressed(archive* outer, std::string& bytes) {
    auto member = std::make_unique<MemberSource>(outer);
    auto gz = std::make_unique<GzipSource>(*member);
    if (!gz->probe()) {
      damage_ = gz->error();
      return Data::damaged;
    }
    if (!gz->gzip()) {
      damage_ = "not gzip-compressed";
      return Data::reported;
    }
    const Data d = read_data(*gz, bytes);
    return d == Data::damaged && !member->failed() ? Data::reported : d;
  }

  // Moves past the rest of the current member. In an inflated stream every
  // byte passed over counts against the total.
  Data pass_over(archive* a, bool compressed) {
    if (!compressed) return archive_read_data_skip(a) == ARCHIVE_OK ? Data::whole : Data::damaged;
    char buffer[chunk];
    for (;;) {
      const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
      if (n == 0) return Data::whole;
      if (n < 0) return Data::damaged;
      if (!count(static_cast<std::uint64_t>(n))) return Data::over_total;
    }
  }

  // An archive inside the current level: read when the nesting allows it.
  bool nested(archive* outer, const std::string& name, int depth, bool compressed) {
    if (depth >= limits_.nesting) {
      out_.problems.push_back(name + ": an archive nested " + std::to_string(depth + 1) +
                              " levels deep, not read; archives inside archives are read " +
                              std::to_string(limits_.nesting) + " level deep");
      return pass_over(outer, compressed) != Data::over_total || over_total(name);
    }
    bool go_on = true;
    {
      auto member = std::make_unique<MemberSource>(outer);
      auto inner = std::make_unique<TarReader>(*member);
      if (std::string error = inner->open(); !error.empty())
        damaged(name, "at its start", error);
      else
        go_on = level(inner->get(), name, depth + 1, compressed || inner->compressed());
    }
    if (!go_on) return false;
    return pass_over(outer, compressed) != Data::over_total || over_total(name);
  }

  const WantedMember& wanted_;
  const ArchiveLimits& limits_;
  ArchiveContents& out_;
  std::string damage_;
  bool told_total_ = false;
};

ArchiveContents read_from(Source& source, const std::string& name, const WantedMember& wanted,
                          const ArchiveLimits& limits) {
  ArchiveContents out;
  auto reader = std::make_unique<TarReader>(source);
  if (std::string error = reader->open(); !error.empty()) {
    out.problems.push_back(name + ": not a readable archive (" + error + ")");
    return out;
  }
  Reader(wanted, limits, out).level(reader->get(), name, 0, reader->compressed());
  return out;
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
  ArchiveContents out;
  try {
    auto source = std::make_unique<FileSource>(fd);
    out = read_from(*source, path, wanted, limits);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return out;
}

ArchiveContents read_archive_bytes(std::string_view bytes, const std::string& name,
                                   const WantedMember& wanted, const ArchiveLimits& limits) {
  auto source = std::make_unique<MemorySource>(bytes);
  return read_from(*source, name, wanted, limits);
}

}  // namespace smproc::textio
