#include "spectral/integrate.h"

namespace smproc {

namespace {

// Each part is one rounded quotient or product, written out; a general
// complex division would round differently.

// Divide by i*omega.
void integrate_once(Bin& b, double omega) {
  const double re = b.re;
  const double im = b.im;
  b.re = im / omega;
  b.im = -(re / omega);
}

// Divide by -omega^2, the square rounded once.
void integrate_twice(Bin& b, double omega) {
  const double w = omega * omega;
  b.re = -(b.re / w);
  b.im = -(b.im / w);
}

// Multiply by i*omega. The products with 0 stay: without them infinities,
// NaNs and the sign of zero parts would come out differently.
void differentiate(Bin& b, double omega) {
  const double re = b.re;
  const double im = b.im;
  b.re = re * 0.0 - im * omega;
  b.im = re * omega + im * 0.0;
}

template <typename Op>
void each_bin(int nom, double dom, std::span<Spectrum* const> fx, Op op) {
  // Bin 1 (zero frequency) is never visited, so omega is never 0.
  for (int i = 2; i <= nom; ++i) {
    const double omega = static_cast<double>(i - 1) * dom;
    for (Spectrum* f : fx) op((*f)(i), omega);
  }
}

}  // namespace

Operation operation_of(int nit) {
  switch (nit) {
    case 1: return Operation::integrate;
    case 2: return Operation::integrate_twice;
    case 3: return Operation::differentiate;
    default: return Operation::none;
  }
}

void apply_operator(Operation op, int nom, double dom, std::span<Spectrum* const> fx) {
  switch (op) {
    case Operation::integrate: each_bin(nom, dom, fx, integrate_once); break;
    case Operation::integrate_twice: each_bin(nom, dom, fx, integrate_twice); break;
    case Operation::differentiate: each_bin(nom, dom, fx, differentiate); break;
    case Operation::none: break;
  }
}

}  // namespace smproc
