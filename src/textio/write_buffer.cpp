#include "textio/write_buffer.h"

#include <algorithm>

namespace smproc::textio {

void WriteBuffer::drop(std::size_t n) {
  std::memmove(data_.get(), data_.get() + n, size_ - n);
  size_ -= n;
}

void WriteBuffer::grow(std::size_t needed) {
  const std::size_t capacity = std::max(needed, 2 * capacity_);
  auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_);
  data_ = std::move(bigger);
  capacity_ = capacity;
}

}  // namespace smproc::textio
