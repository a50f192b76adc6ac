#include "textio/text_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "textio/exponent_field.h"
#include "textio/field_layout.h"
#include "textio/fixed_field.h"

namespace smproc::textio {

namespace {

// A list-written line is ended before an item that would reach this column.
constexpr std::size_t line_limit = 80;

}  // namespace

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

// --- Output ------------------------------------------------------------------

void PendingBytes::drop(std::size_t n) {
  std::memmove(data_.get(), data_.get() + n, size_ - n);
  size_ -= n;
}

void PendingBytes::grow(std::size_t needed) {
  const std::size_t capacity = std::max(needed, 2 * capacity_);
  auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_);
  data_ = std::move(bigger);
  capacity_ = capacity;
}

Output::Output(int fd, int unit, std::optional<std::string> name, bool cut_at_close,
               std::unique_ptr<Replacement> replacement)
    : fd_(fd),
      unit_(unit),
      name_(std::move(name)),
      cut_at_close_(cut_at_close),
      replacement_(std::move(replacement)) {
  buf_.room(flush_threshold + 256);
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

// --- Renderings --------------------------------------------------------------

std::string list_double(double v) {
  std::string s = " ";
  s.push_back(std::signbit(v) && v != 0 && !std::isnan(v) ? '-' : ' ');
  if (v == 0) {
    s.append("0.");
  } else if (!std::isfinite(v)) {
    s.append(non_finite(std::fabs(v), true));
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9G", std::fabs(v));
    std::string_view body = buf;
    auto e = body.find('E');
    bool point = body.find('.') != std::string_view::npos;
    // A real always shows a point: after the digits, or before the exponent.
    s.append(body.substr(0, e == std::string_view::npos ? body.size() : e));
    if (!point) s.push_back('.');
    if (e != std::string_view::npos) s.append(body.substr(e));
  }
  return s;
}

std::string fixed_field(double v, int w, int d) {
  std::string s;
  append_fixed_field(s, v, w, d);
  return s;
}

std::string exponent_field(double v, int w, int d) {
  std::string s;
  append_exponent_field(s, v, w, d);
  return s;
}

// --- Statements --------------------------------------------------------------

void list_write(Output& out, std::initializer_list<WriteItem> items) {
  out.begin_statement("list io");
  std::size_t pos = 0;  // characters on the current line
  for (const WriteItem& item : items) {
    std::string text;
    std::size_t counted = 0;
    if (auto* t = std::get_if<std::string_view>(&item)) {
      text.assign(*t);
      counted = t->size();
    } else if (auto* i = std::get_if<int>(&item)) {
      text.assign(1, ' ');
      text += std::to_string(*i);
      counted = text.size() - 1 - (*i < 0 ? 1 : 0);
    } else {
      text = list_double(std::get<double>(item));
      counted = text.size();
    }
    if (pos > 0 && pos + counted >= line_limit) {
      out.end_line();
      pos = 0;
    }
    if (pos == 0 && std::holds_alternative<std::string_view>(item)) {
      out.put(' ');
      ++pos;
    }
    out.put(text);
    pos += text.size();
  }
  out.end_line();
}

void formatted_write(Output& out, const Format& format, std::span<const double> items) {
  RowWriter(format, items.size()).write(out, items);
}

RowWriter::RowWriter(const Format& format, std::size_t items)
    : format_text_(format.text()), items_(items) {
  // The format stepped through as a write of that many items steps through
  // it: nX places are written once something follows them on their line,
  // and items left at the format's end start a new line from its last group.
  const auto& ops = format.descriptors();
  lines_.emplace_back();
  // The piece `places` more places of the current line go to: the last one
  // while it has no field yet.
  auto piece_for = [&](std::size_t places) -> Piece& {
    Line& line = lines_.back();
    line.length += places;
    if (line.pieces.empty() || line.pieces.back().field) line.pieces.emplace_back();
    return line.pieces.back();
  };
  auto add_text = [&](std::string_view text) { piece_for(text.size()).text += text; };
  auto add_field = [&](FieldWriter field, int w, int d) {
    Piece& piece = piece_for(static_cast<std::size_t>(w));
    piece.field = field;
    piece.w = w;
    piece.d = d;
  };
  std::size_t k = 0;       // next item
  std::size_t p = 0;       // next descriptor
  std::size_t blanks = 0;  // places moved by nX, written once something follows
  bool any_item_edit = false;
  for (;;) {
    if (p == ops.size()) {
      if (k == items || !any_item_edit) break;
      lines_.emplace_back();
      blanks = 0;
      p = format.reversion();
      continue;
    }
    const Descriptor& op = ops[p];
    if (op.takes_item()) {
      if (k == items) break;
      any_item_edit = true;
    }
    switch (op.kind) {
      case Descriptor::Kind::skip:
        blanks += static_cast<std::size_t>(op.w);
        break;
      case Descriptor::Kind::slash:
        lines_.emplace_back();
        blanks = 0;
        break;
      default:
        if (blanks > 0) add_text(std::string(blanks, ' '));
        blanks = 0;
        if (op.kind == Descriptor::Kind::literal) {
          add_text(op.literal);
        } else if (op.kind == Descriptor::Kind::fixed) {
          add_field(fixed_field_writer(op.w, op.d), op.w, op.d);
          ++k;
        } else if (op.kind == Descriptor::Kind::exponent) {
          add_field(exponent_field_writer(op.w, op.d), op.w, op.d);
          ++k;
        } else {
          // No text items are written through formats: blanks in their place.
          add_text(std::string(static_cast<std::size_t>(op.w), ' '));
          ++k;
        }
        break;
    }
    ++p;
  }
  for (Line& line : lines_) {
    text_length_ += line.length + 1;
    for (Piece& piece : line.pieces)
      piece.text.copy(piece.head, std::min(piece.text.size(), sizeof piece.head));
  }
}

std::size_t RowWriter::put_pieces(char* p, const Line& line, std::span<const double> items,
                                  std::size_t k) {
  for (const Piece& piece : line.pieces) {
    const std::size_t n = piece.text.size();
    if (n <= sizeof piece.head) {
      std::memcpy(p, piece.head, sizeof piece.head);
    } else {
      std::memcpy(p, piece.text.data(), n);
    }
    p += n;
    if (piece.field) {
      piece.field(p, items[k++], piece.w, piece.d);
      p += piece.w;
    }
  }
  return k;
}

void RowWriter::write(Output& out, std::span<const double> items) const {
  out.begin_statement(format_text_);
  put_row(out, items);
}

void RowWriter::put_row(Output& out, std::span<const double> items) const {
  std::size_t k = 0;
  if (!out.remembers_last_line()) {
    // Every line in place at once, its line end included.
    char* p = out.room(text_length_ + sizeof(Piece::head));
    for (const Line& line : lines_) {
      k = put_pieces(p, line, items, k);
      p += line.length;
      *p++ = '\n';
    }
    out.added(text_length_);
    out.end_lines();
    return;
  }
  for (const Line& line : lines_) {
    k = put_pieces(out.room(line.length + sizeof(Piece::head)), line, items, k);
    out.added(line.length);
    out.end_line();
  }
}

void formatted_write(Output& out, const Format& format, std::initializer_list<double> items) {
  formatted_write(out, format, std::span<const double>(items.begin(), items.size()));
}

}  // namespace smproc::textio
