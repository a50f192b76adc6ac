#include "records/polarity.h"

#include <algorithm>

#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc {

void reverse(Signal& xr, int nt) {
  // An over-long record can bring an nt beyond the array; stop at its end.
  const int last = std::min(nt, capacity);
  for (int i = 1; i <= last; ++i) xr(i) = -xr(i);
}

void polarity_step(State& s, textio::Console& con) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" Change +/-? (YES=1)?? :"});
  textio::list_read(con.in, {&s.myes});
  if (s.myes != 1) return;

  textio::list_write(con.out, {});
  textio::list_write(con.out, {" Change from + to - of FILE 1 ? (YES=1)?? :"});
  textio::list_read(con.in, {&s.my1});
  if (s.my1 == 1) reverse(s.xr1, s.nt);
  textio::list_write(con.out, {" Change from + to - of FILE 2 ? (YES=1)?? :"});
  textio::list_read(con.in, {&s.my2});
  if (s.my2 == 1) reverse(s.xr2, s.nt);
  textio::list_write(con.out, {" Change from + to - of FILE 3 ? (YES=1)?? :"});
  textio::list_read(con.in, {&s.my3});
  if (s.my3 == 1) reverse(s.xr3, s.nt);
}

}  // namespace smproc
