#include "metrics/resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {

namespace {

Bin times(Bin a, Bin b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }
Bin conjugate(Bin a) { return {a.re, -a.im}; }

// e^(2πi·t/period) for 0 <= t < period/2, as the product of two factors
// from short tables, so each is within a few units in the last place.
class Turns {
 public:
  explicit Turns(long period) : period_(period) {
    const long rows = period / 2 / row + 1;
    coarse_.resize(static_cast<std::size_t>(rows));
    fine_.resize(row);
    for (long r = 0; r < rows; ++r) coarse_[static_cast<std::size_t>(r)] = at(r * row);
    for (long c = 0; c < row; ++c) fine_[static_cast<std::size_t>(c)] = at(c);
  }

  Bin operator()(long t) const {
    return times(coarse_[static_cast<std::size_t>(t / row)], fine_[static_cast<std::size_t>(t % row)]);
  }

 private:
  static constexpr long row = 64;
  Bin at(long t) const {
    const double angle = 2.0 * std::numbers::pi * static_cast<double>(t) / static_cast<double>(period_);
    return {std::cos(angle), std::sin(angle)};
  }
  long period_;
  std::vector<Bin> coarse_, fine_;
};

// The turns that delay a record by j/k of a sample, for the bins below the
// Nyquist bin of its nf-point transform: bin m by e^(2πi·m·j/(k·nf)).
void delay_turns(int j, const Turns& turns, std::vector<Bin>& out) {
  for (std::size_t m = 0; m < out.size(); ++m) out[m] = turns(static_cast<long>(m) * j);
}

// The spectrum x delayed by those turns: bin m (frequency m, or m − nf above
// the Nyquist bin) turned by turn[|m|]; the Nyquist bin, half at +nf/2 and
// half at −nf/2, by the cosine of its angle.
void delayed(const std::vector<Bin>& x, const std::vector<Bin>& turn, double nyquist_turn,
             std::vector<Bin>& out) {
  const std::size_t nf = x.size(), half = nf / 2;
  out[0] = x[0];
  for (std::size_t m = 1; m < half; ++m) {
    out[m] = times(x[m], turn[m]);
    out[nf - m] = times(x[nf - m], conjugate(turn[m]));
  }
  if (half > 0) out[half] = {x[half].re * nyquist_turn, x[half].im * nyquist_turn};
}

}  // namespace

FineRecord band_limited_resample(PerComponent<std::span<const double>> acc, const FftPlan& plan,
                                 int k, std::span<TriaxialSample> rows) {
  const std::size_t n = std::min({acc[0].size(), acc[1].size(), acc[2].size()});
  const auto delays = static_cast<std::size_t>(k);
  const FineRecord fine{rows.first(delays * n), n, delays};
  for (std::size_t i = 0; i < n; ++i) rows[i] = {acc[0][i], acc[1][i], acc[2][i]};
  if (k == 1 || n == 0) return fine;

  const int nf = plan.length();
  const auto bins = static_cast<std::size_t>(nf);
  std::vector<Bin> horizontal(bins), vertical(bins), early(bins), late(bins), up(bins);
  for (std::size_t i = 0; i < n; ++i) horizontal[i] = {acc[0][i], acc[1][i]}, vertical[i] = {acc[2][i], 0.0};
  plan.transform(horizontal.data(), Direction::forward);
  plan.transform(vertical.data(), Direction::forward);
  const Turns turns(static_cast<long>(k) * nf);
  const double scale = 1.0 / nf;  // exact: nf is a power of two
  std::vector<Bin> turn(bins / 2);
  const auto nyquist_turn = [k](int j) { return std::cos(std::numbers::pi * j / k); };

  // The delays two at a time, j and j + 1: NS as the real part and EW as the
  // imaginary of one transform each; UD delayed by j as the real part and by
  // j + 1 as the imaginary of a third (each delayed spectrum is that of a
  // real series). The last delay, k − 1, goes alone.
  for (int j = 1; j < k; j += 2) {
    const bool pair = j + 1 < k;
    delay_turns(j, turns, turn);
    delayed(horizontal, turn, nyquist_turn(j), early);
    delayed(vertical, turn, nyquist_turn(j), up);
    if (pair) {
      delay_turns(j + 1, turns, turn);
      delayed(vertical, turn, nyquist_turn(j + 1), late);
      for (std::size_t m = 0; m < bins; ++m) up[m] = {up[m].re - late[m].im, up[m].im + late[m].re};
      delayed(horizontal, turn, nyquist_turn(j + 1), late);
      plan.transform(late.data(), Direction::inverse);
    }
    plan.transform(early.data(), Direction::inverse);
    plan.transform(up.data(), Direction::inverse);
    TriaxialSample* const row = &rows[static_cast<std::size_t>(j) * n];
    for (std::size_t i = 0; i + 1 < n; ++i)
      row[i] = {early[i].re * scale, early[i].im * scale, up[i].re * scale};
    row[n - 1] = {};
    if (pair) {
      TriaxialSample* const next = row + n;
      for (std::size_t i = 0; i + 1 < n; ++i)
        next[i] = {late[i].re * scale, late[i].im * scale, up[i].im * scale};
      next[n - 1] = {};
    }
  }
  return fine;
}

}  // namespace smproc
