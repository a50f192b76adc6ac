// Any bytes as an archive: read as a plain or gzip-compressed tar, with small
// limits so that they are met. Nothing read may pass a limit, a member's
// plain name never holds a slash, and reading the bytes again, or from a
// file, gives the same members, skips and problems.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/archive.h"
#include "fuzz_support.h"

using namespace smproc;

namespace {

bool same(const textio::ArchiveContents& a, const textio::ArchiveContents& b) {
  if (a.members.size() != b.members.size() || a.skipped.size() != b.skipped.size() ||
      a.problems.size() != b.problems.size())
    return false;
  for (std::size_t k = 0; k < a.members.size(); ++k) {
    if (a.members[k].file != b.members[k].file || *a.members[k].bytes != *b.members[k].bytes)
      return false;
  }
  for (std::size_t k = 0; k < a.skipped.size(); ++k)
    if (a.skipped[k].file != b.skipped[k].file || a.skipped[k].why != b.skipped[k].why)
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::as_text(data, size);
  textio::ArchiveLimits limits;
  limits.member = 1 << 16;
  limits.total = 1 << 20;
  // Every member but one named "skip" is wanted, so both paths are taken.
  const textio::WantedMember wanted = [](const std::string& file) { return file != "skip"; };
  const textio::ArchiveContents c = textio::read_archive_bytes(bytes, "a.tar", wanted, limits);

  std::uint64_t total = 0;
  for (const textio::ArchiveMember& m : c.members) {
    if (m.bytes == nullptr) fuzz::defect("a member without bytes");
    if (m.bytes->size() > limits.member) fuzz::defect("a member past the member limit");
    if (m.file.find('/') != std::string::npos) fuzz::defect("a plain name with a slash");
    if (m.name.rfind("a.tar:", 0) != 0) fuzz::defect("a member not named after its archive");
    total += m.bytes->size();
  }
  if (total > limits.total || c.decompressed > limits.total + (1 << 16))
    fuzz::defect("more decompressed than the total limit");

  if (!same(c, textio::read_archive_bytes(bytes, "a.tar", wanted, limits)))
    fuzz::defect("the same bytes read twice differ");
  const std::string path = fuzz::temp_folder() + "/a.tar";
  fuzz::write_file(path, bytes);
  if (!same(c, textio::read_archive_file(path, wanted, limits)))
    fuzz::defect("the bytes read from a file differ from those read in memory");
  return 0;
}
