#include "records/fresh_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

// Older C libraries lack the name; kernels before 5.14 refuse the advice.
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace smproc {

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
