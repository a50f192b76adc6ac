// The three components' pieces as the steps take them: one pointer each.
#pragma once

#include "records/series.h"

namespace smproc::testing {

template <typename T>
PerComponent<T*> each(PerComponent<T>& c) {
  return {&c[0], &c[1], &c[2]};
}

template <typename T>
PerComponent<const T*> each_const(const PerComponent<T>& c) {
  return {&c[0], &c[1], &c[2]};
}

}  // namespace smproc::testing
