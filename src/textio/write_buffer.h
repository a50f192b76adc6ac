// The bytes an output gathers before it hands them to the system.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace smproc::textio {

// Bytes waiting to be handed to the system. Unlike a string, room made for a
// line is not filled with zeros first: the line is written straight into it.
class WriteBuffer {
 public:
  WriteBuffer() = default;
  WriteBuffer(WriteBuffer&& other) noexcept
      : data_(std::move(other.data_)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  WriteBuffer& operator=(WriteBuffer&&) = delete;

  // Space for n more bytes after the pending ones, to be taken by commit(n).
  char* prepare(std::size_t n) {
    if (size_ + n > capacity_) grow(size_ + n);
    return data_.get() + size_;
  }
  void commit(std::size_t n) { size_ += n; }
  void push_back(char c) {
    *prepare(1) = c;
    ++size_;
  }
  void append(std::string_view s) {
    std::memcpy(prepare(s.size()), s.data(), s.size());
    size_ += s.size();
  }
  // Drops the first n bytes.
  void drop(std::size_t n);
  void clear() { size_ = 0; }
  const char* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  void grow(std::size_t needed);
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace smproc::textio
