// A component's series of samples, and the three components of a record set.
#pragma once

#include <algorithm>
#include <array>
#include <memory_resource>
#include <span>
#include <vector>

#include "records/constants.h"
#include "records/arena.h"

namespace smproc {

// The three components NS, EW, UD, always in this order.
template <typename T>
using PerComponent = std::array<T, 3>;

// Samples numbered from 1, as the records number them; sample i lies at time
// (i - 1) * dt. A series holds the positions written to it; positions beyond
// them read as zero, as in an array that starts zero-filled.
class Series {
 public:
  Series() = default;
  // A series whose room comes from memory.
  explicit Series(std::pmr::memory_resource* memory) : v_(memory) {}

  // Position i, which must be held (1 <= i <= size()).
  double& operator()(int i) { return v_[static_cast<std::size_t>(i - 1)]; }
  double operator()(int i) const { return v_[static_cast<std::size_t>(i - 1)]; }
  // Position i, or zero beyond the held positions.
  double get(int i) const { return i >= 1 && i <= size() ? (*this)(i) : 0.0; }

  int size() const { return static_cast<int>(v_.size()); }
  // The held positions, 1..size() at indices 0..size() - 1.
  std::span<const double> values() const { return v_; }
  // Holds at least positions 1..n; new positions are zero.
  void extend_to(int n) {
    if (n <= size()) return;
    fault_in_through(n);
    v_.resize(static_cast<std::size_t>(n));
  }
  // Sets position i, the next one after the held positions.
  void append(double v) { v_.push_back(v); }
  void reserve(int n) { v_.reserve(static_cast<std::size_t>(n)); }
  // Holds positions 1..n only (n <= size()).
  void truncate(int n) { v_.resize(static_cast<std::size_t>(n)); }

 private:
  // Positions brought in ahead of a series that grows within its reserved
  // room, a stretch of this many at a time.
  static constexpr std::size_t stretch = 8192;

  void fault_in_through(int n) {
    if (v_.data() != faulted_data_) {  // new room: what it holds is present
      faulted_data_ = v_.data();
      faulted_ = v_.size();
    }
    const auto want = static_cast<std::size_t>(n);
    if (want <= faulted_ || want > v_.capacity()) return;
    const std::size_t end = std::min(v_.capacity(), (want + stretch - 1) / stretch * stretch);
    fault_in(v_.data() + faulted_, (end - faulted_) * sizeof(double));
    faulted_ = end;
  }

  std::pmr::vector<double> v_;
  const double* faulted_data_ = nullptr;
  std::size_t faulted_ = 0;  // positions of the room known present
};

}  // namespace smproc
