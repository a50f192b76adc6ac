#include "output/spectrum_file.h"

#include <cmath>

#include "output/full_precision.h"
#include "records/fresh_memory.h"
#include "textio/files.h"
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

std::vector<double> amplitudes(const Spectrum& fx, int nom) {
  std::vector<double> a;
  if (nom >= 2) a.reserve(static_cast<std::size_t>(nom - 1));
  fault_in(a.data(), a.capacity() * sizeof(double));
  for (int i = 2; i <= nom; ++i) a.push_back(modulus(fx(i)));
  return a;
}

void spectrum_file_step(textio::Console& con, const textio::OutputPlace& place,
                        PerComponent<const Spectrum*> fx, int nom, double dom,
                        bool full_precision) {
  const PerComponent<std::vector<double>> a = {amplitudes(*fx[0], nom), amplitudes(*fx[1], nom),
                                               amplitudes(*fx[2], nom)};
  spectrum_file_step(con, place, {&a[0], &a[1], &a[2]}, nom, dom, full_precision);
}

void spectrum_file_step(textio::Console& con, const textio::OutputPlace& place,
                        PerComponent<const std::vector<double>*> a, int nom, double dom,
                        bool full_precision) {
  const textio::RowWriter row(textio::Format("(F8.4,6(',',E12.4))"), 4);

  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Fourier Spectrum data are stored in \"amp3.csv\""});

  textio::Output file = textio::open_for_writing("amp3.csv", textio::unit_spectrum, place, "spectrum file");
  textio::list_write(file, {"frequency(Hz),NS,EW,UD"});
  // Bins 2..nom: zero frequency is left out, the Nyquist bin is the last row.
  for (int i = 2; i <= nom; ++i) {
    const double f = (static_cast<double>(i - 1) * dom) / 6.283185307;
    const auto k = static_cast<std::size_t>(i - 2);
    const double values[] = {f, (*a[0])[k], (*a[1])[k], (*a[2])[k]};
    if (full_precision)
      write_full_precision_row(file, values);
    else
      row.write(file, values);
  }
  file.close();
}

}  // namespace smproc
