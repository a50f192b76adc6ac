// A component's spectrum between the forward and the inverse transform.
#pragma once

#include <memory_resource>
#include <vector>

#include "records/arena.h"

namespace smproc {

// One complex frequency bin. Kept as two plain doubles so that every product
// and quotient is written out part by part.
struct Bin {
  double re = 0.0;
  double im = 0.0;
};

// Bins numbered from 1; bin i lies at angular frequency (i - 1) * dom.
class Spectrum {
 public:
  Spectrum() = default;
  // A spectrum whose room comes from memory.
  explicit Spectrum(std::pmr::memory_resource* memory) : v_(memory) {}

  Bin& operator()(int i) { return v_[static_cast<std::size_t>(i - 1)]; }
  const Bin& operator()(int i) const { return v_[static_cast<std::size_t>(i - 1)]; }
  Bin* data() { return v_.data(); }
  int size() const { return static_cast<int>(v_.size()); }

  // Starts a new spectrum of up to n bins, filled in order by append.
  void restart(int n) {
    v_.clear();
    v_.reserve(static_cast<std::size_t>(n));
    fault_in(v_.data(), v_.capacity() * sizeof(Bin));
  }
  void append(Bin b) { v_.push_back(b); }
  // Holds n bins, those not held before zero.
  void resize(int n) { v_.resize(static_cast<std::size_t>(n)); }

 private:
  std::pmr::vector<Bin> v_;
};

}  // namespace smproc
