#include "textio/output_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace smproc::textio {

bool write_bytes(int fd, const char* p, std::size_t n, long long& written) {
  while (n > 0) {
    ssize_t k = ::write(fd, p, n);
    if (k < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (k == 0) {  // nothing taken and no reason given: as a full device
      errno = ENOSPC;
      return false;
    }
    p += k;
    n -= static_cast<std::size_t>(k);
    written += k;
  }
  return true;
}

Output::Output(int fd, int unit, std::optional<std::string> name, bool cut_at_close,
               std::unique_ptr<Replacement> replacement)
    : fd_(fd),
      unit_(unit),
      name_(std::move(name)),
      cut_at_close_(cut_at_close),
      replacement_(std::move(replacement)) {
  buf_.prepare(flush_threshold + 256);
}

Output Output::to_text(std::string* text, int unit, std::optional<std::string> name) {
  Output out(-1, unit, std::move(name), false);
  out.text_ = text;
  return out;
}

Output::Output(Output&& o) noexcept
    : fd_(o.fd_),
      text_(o.text_),
      unit_(o.unit_),
      name_(std::move(o.name_)),
      cut_at_close_(o.cut_at_close_),
      buf_(std::move(o.buf_)),
      format_(std::move(o.format_)),
      written_(o.written_),
      replacement_(std::move(o.replacement_)),
      what_(std::move(o.what_)),
      remember_(o.remember_),
      last_line_(std::move(o.last_line_)) {
  o.fd_ = -1;
  o.text_ = nullptr;
}

Output::~Output() { release(); }

void Output::end_line() {
  if (remember_) note_line();
  buf_.push_back('\n');
  end_lines();
}

void Output::note_line() {
  // Statements end their lines before the buffer is handed over, so the
  // line starts after the last line feed in it.
  const std::string_view text = buf_.view();
  const auto nl = text.rfind('\n');
  const std::size_t start = nl == std::string_view::npos ? 0 : nl + 1;
  const auto first = text.find_first_not_of(' ', start);
  if (first == std::string_view::npos) return;
  const auto last = text.find_last_not_of(' ');
  last_line_.assign(text.substr(first, last + 1 - first));
}

void Output::flush() {
  if (text_) {
    text_->append(buf_.view());
    written_ += static_cast<long long>(buf_.size());
    buf_.clear();
    return;
  }
  if (fd_ < 0 || buf_.empty()) return;
  long long before = written_;
  bool ok = write_bytes(fd_, buf_.data(), buf_.size(), written_);
  int err = errno;
  buf_.drop(static_cast<std::size_t>(written_ - before));
  if (!ok) fail("fmt", std::strerror(err));
}

void Output::close() {
  if (text_) {
    flush();
    text_ = nullptr;
    return;
  }
  if (fd_ < 0) return;
  flush();
  int fd = fd_;
  fd_ = -1;
  struct stat st;
  bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  int err = 0;
  if (cut_at_close_ && regular && ftruncate(fd, written_) != 0) err = errno;
  if (!put_in_place(fd) && err == 0) err = errno;
  // A temporary file keeps its name after a failed close, as a file written
  // in place would keep what reached it.
  if (fd > 2 && ::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) fail("close", std::strerror(err));
}

void Output::release() noexcept {
  if (text_) {
    text_->append(buf_.view());
    buf_.clear();
    text_ = nullptr;
    return;
  }
  if (fd_ < 0) return;
  // Keep what earlier statements wrote, then cut the file there.
  write_bytes(fd_, buf_.data(), buf_.size(), written_);
  buf_.clear();
  struct stat st;
  if (cut_at_close_ && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
    [[maybe_unused]] int rc = ftruncate(fd_, written_);
  }
  put_in_place(fd_);
  if (fd_ > 2) ::close(fd_);
  fd_ = -1;
}

bool Output::put_in_place(int fd) noexcept {
  if (!replacement_) return true;
  const std::unique_ptr<Replacement> r = std::move(replacement_);
  return r->put_in_place(fd);
}

void Output::fail(std::string context, std::string reason) const {
  std::string detail =
      sentence(described(what_, name_, "output") + " could not be written: " + reason);
  raise(std::move(context), std::move(reason), unit_, name_, format_, true, std::move(detail));
}

}  // namespace smproc::textio
