// Arrays the run fills at once, brought in from the system in one call.
#pragma once

#include <cstddef>

namespace smproc {

// Makes the whole pages within [p, p + bytes) present and writable in one
// call to the system. A page fault costs several microseconds on the
// machines we run on, about twice what the same page costs this way, and a
// run fills some 500 pages of series and spectra. Contents are unchanged;
// where the system cannot do it, the pages fault in one by one as before.
void fault_in(void* p, std::size_t bytes) noexcept;

}  // namespace smproc
