#include "records/arena.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

// Older C libraries lack the name; kernels before 5.14 refuse the advice.
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace smproc {

Arena::Arena(std::size_t bytes)
    : size_((std::max(bytes, std::size_t{1}) + block_size - 1) / block_size * block_size) {
  // A large page must start on a multiple of its size.
  void* p = ::mmap(nullptr, size_ + block_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                   -1, 0);
  if (p == MAP_FAILED) return;
  mapping_ = p;
  const auto from = reinterpret_cast<std::uintptr_t>(p);
  next_ = reinterpret_cast<char*>((from + block_size - 1) / block_size * block_size);
  end_ = next_ + size_;
  // Where large pages are not to be had, the block fills page by page.
  ::madvise(next_, size_, MADV_HUGEPAGE);
}

Arena::~Arena() {
  if (mapping_) ::munmap(mapping_, size_ + block_size);
}

void* Arena::do_allocate(std::size_t bytes, std::size_t alignment) {
  if (next_) {
    const auto at = reinterpret_cast<std::uintptr_t>(next_);
    char* const start = reinterpret_cast<char*>((at + alignment - 1) / alignment * alignment);
    if (start <= end_ && bytes <= static_cast<std::size_t>(end_ - start)) {
      next_ = start + bytes;
      return start;
    }
  }
  return std::pmr::new_delete_resource()->allocate(bytes, alignment);
}

void Arena::do_deallocate(void* p, std::size_t bytes, std::size_t alignment) {
  const char* const c = static_cast<const char*>(p);
  if (mapping_ && c >= end_ - size_ && c < end_) return;  // freed with the block
  std::pmr::new_delete_resource()->deallocate(p, bytes, alignment);
}

void fault_in(void* p, std::size_t bytes) noexcept {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto from = reinterpret_cast<std::uintptr_t>(p);
  // Only whole pages: the partial pages at either end may hold other data,
  // and a write fault on them costs no more than it would have.
  const std::uintptr_t start = (from + page - 1) / page * page;
  const std::uintptr_t end = (from + bytes) / page * page;
  if (end > start)
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}

}  // namespace smproc
