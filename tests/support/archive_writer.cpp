#include "support/archive_writer.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <stdexcept>

namespace smproc::testing {

namespace {

la_ssize_t append(archive*, void* client, const void* buffer, size_t length) {
  static_cast<std::string*>(client)->append(static_cast<const char*>(buffer), length);
  return static_cast<la_ssize_t>(length);
}

void check(archive* a, int r) {
  if (r < ARCHIVE_WARN) throw std::runtime_error(archive_error_string(a));
}

}  // namespace

std::string tar_archive(const std::vector<TarMember>& members, bool gzip) {
  std::string out;
  archive* a = archive_write_new();
  check(a, archive_write_set_format_pax_restricted(a));
  if (gzip) check(a, archive_write_add_filter_gzip(a));
  check(a, archive_write_set_bytes_in_last_block(a, 1));
  check(a, archive_write_open(a, &out, nullptr, append, nullptr));
  for (const TarMember& m : members) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.path.c_str());
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, 0);
    switch (m.kind) {
      case TarMember::Kind::file:
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_size(e, static_cast<la_int64_t>(m.content.size()));
        break;
      case TarMember::Kind::folder:
        archive_entry_set_filetype(e, AE_IFDIR);
        break;
      case TarMember::Kind::symlink:
        archive_entry_set_filetype(e, AE_IFLNK);
        archive_entry_set_symlink(e, m.target.c_str());
        break;
      case TarMember::Kind::hardlink:
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_hardlink(e, m.target.c_str());
        break;
      case TarMember::Kind::fifo:
        archive_entry_set_filetype(e, AE_IFIFO);
        break;
      case TarMember::Kind::device:
        archive_entry_set_filetype(e, AE_IFCHR);
        archive_entry_set_rdev(e, makedev(1, 5));
        break;
    }
    check(a, archive_write_header(a, e));
    if (m.kind == TarMember::Kind::file && !m.content.empty())
      archive_write_data(a, m.content.data(), m.content.size());
    archive_entry_free(e);
  }
  check(a, archive_write_close(a));
  archive_write_free(a);
  return out;
}

std::string gzip_bytes(const std::string& bytes) {
  std::string out;
  archive* a = archive_write_new();
  check(a, archive_write_set_format_raw(a));
  check(a, archive_write_add_filter_gzip(a));
  check(a, archive_write_set_bytes_in_last_block(a, 1));
  check(a, archive_write_open(a, &out, nullptr, append, nullptr));
  archive_entry* e = archive_entry_new();
  archive_entry_set_filetype(e, AE_IFREG);
  archive_entry_set_pathname(e, "data");
  check(a, archive_write_header(a, e));
  // In pieces, so a large input never needs a second copy.
  for (std::size_t at = 0; at < bytes.size(); at += 1 << 20) {
    const std::size_t n = std::min<std::size_t>(1 << 20, bytes.size() - at);
    archive_write_data(a, bytes.data() + at, n);
  }
  archive_entry_free(e);
  check(a, archive_write_close(a));
  archive_write_free(a);
  return out;
}

}  // namespace smproc::testing
