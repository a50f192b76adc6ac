#include "records/polarity.h"

#include <algorithm>

namespace smproc {

void reverse(Series& xr, int nt, int capacity) {
  // An over-long record can bring an nt beyond the capacity; stop there.
  const int last = std::min(nt, capacity);
  xr.extend_to(last);
  for (int i = 1; i <= last; ++i) xr(i) = -xr(i);
}

}  // namespace smproc
