// The run's arena: its large arrays, brought in from the system in one call.
#pragma once

#include <cstddef>
#include <memory_resource>

namespace smproc {

// Makes the whole pages within [p, p + bytes) present and writable in one
// call to the system. A page fault costs several microseconds on the
// machines we run on, about twice what the same page costs this way, and a
// run fills some 500 pages of series and spectra. Contents are unchanged;
// where the system cannot do it, the pages fault in one by one as before.
void fault_in(void* p, std::size_t bytes) noexcept;

// Room for one run's large arrays (its series, spectrum and amplitudes),
// handed out in order from one block of 2 MB (or of the size asked, in whole
// 2 MB) that the system is asked to back with large pages. Bringing in one
// costs about what a hundred small pages do, and a 32768-sample run fills
// some 400. Nothing is given back before the run ends; what does not fit,
// or all of it where no such block can be had, comes from the ordinary heap.
class Arena : public std::pmr::memory_resource {
 public:
  static constexpr std::size_t block_size = std::size_t{2} << 20;

  explicit Arena(std::size_t bytes = block_size);
  ~Arena() override;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // Hands the block out again from its start: for runs one after another,
  // each on memory the last one brought in. Nothing taken from the block
  // may be in use any more.
  void start_over() noexcept {
    if (end_) next_ = end_ - size_;
  }

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override;
  void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override;
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  std::size_t size_;         // of the block, whole large pages
  void* mapping_ = nullptr;  // a large page more than the block, so that an aligned block lies within
  char* next_ = nullptr;
  char* end_ = nullptr;
};

}  // namespace smproc
