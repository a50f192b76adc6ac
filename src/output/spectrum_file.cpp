#include "output/spectrum_file.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "output/full_precision.h"
#include "records/constants.h"
#include "records/arena.h"
#include "files/files.h"
#include "textio/format.h"
#include "textio/text_output.h"

namespace smproc {

double modulus(Bin b) {
  double big = std::fabs(b.re);
  double small = std::fabs(b.im);
  if (small > big) {
    const double t = big;
    big = small;
    small = t;
  }
  // Also covers both parts zero and an infinite part.
  if (big + small == big) return big;
  const double r = small / big;
  return big * std::sqrt(1.0 + r * r);
}

namespace {

// modulus of n bins, two at a time in SSE2 registers where there are any:
// lane by lane the same comparisons, sums, quotient, square root and product,
// which round in a register lane as they do alone, and both sides of each
// branch worked out and the taken one kept.
void moduli(const Bin* b, std::size_t n, double* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128d sign = _mm_set1_pd(-0.0);
  const __m128d one = _mm_set1_pd(1.0);
  const auto select = [](__m128d mask, __m128d yes, __m128d no) {
    return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
  };
  for (; i + 2 <= n; i += 2) {
    const __m128d first = _mm_loadu_pd(&b[i].re);
    const __m128d second = _mm_loadu_pd(&b[i + 1].re);
    const __m128d re = _mm_andnot_pd(sign, _mm_unpacklo_pd(first, second));
    const __m128d im = _mm_andnot_pd(sign, _mm_unpackhi_pd(first, second));
    const __m128d swap = _mm_cmpgt_pd(im, re);  // false with a NaN, as small > big is
    const __m128d big = select(swap, im, re);
    const __m128d small = select(swap, re, im);
    const __m128d alone = _mm_cmpeq_pd(_mm_add_pd(big, small), big);
    const __m128d r = _mm_div_pd(small, big);
    const __m128d full = _mm_mul_pd(big, _mm_sqrt_pd(_mm_add_pd(one, _mm_mul_pd(r, r))));
    _mm_storeu_pd(out + i, select(alone, big, full));
  }
#endif
  for (; i < n; ++i) out[i] = modulus(b[i]);
}

}  // namespace

void amplitudes(const Spectrum& fx, int nom, std::span<double> out) {
  if (nom < 2) return;
  moduli(&fx(2), std::min(out.size(), static_cast<std::size_t>(nom - 1)), out.data());
}

void write_spectrum_file(const textio::OutputPlace& place,
                         PerComponent<std::span<const double>> a, int nom, double dom,
                         bool full_precision) {
  const textio::RowWriter row(textio::Format("(F8.4,6(',',E12.4))"), 4);

  textio::Output file = textio::open_for_writing("amp3.csv", textio::unit_spectrum, place, "spectrum file");
  textio::list_write(file, {"frequency(Hz),NS,EW,UD"});
  // Bins 2..nom: zero frequency is left out, the Nyquist bin is the last row.
  const auto bin_row = [&](std::size_t k, std::span<double> values) {
    const int i = static_cast<int>(k) + 2;
    values[0] = bin_frequency_hz(i, dom);
    for (int c = 0; c < 3; ++c) values[1 + c] = a[c][k];
  };
  const std::size_t rows = nom >= 2 ? static_cast<std::size_t>(nom - 1) : 0;
  if (full_precision)
    write_full_precision_rows(file, rows, 4, bin_row);
  else
    row.write_rows(file, rows, bin_row);
  file.close();
}

}  // namespace smproc
