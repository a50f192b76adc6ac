#include "records/polarity.h"

#include <algorithm>

#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc {

void reverse(Series& xr, int nt) {
  // An over-long record can bring an nt beyond the capacity; stop there.
  const int last = std::min(nt, capacity);
  xr.extend_to(last);
  for (int i = 1; i <= last; ++i) xr(i) = -xr(i);
}

void polarity_step(textio::Console& con, PerComponent<Series*> xr, int nt,
                   PolarityAnswers& answers) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" Change +/-? (YES=1)?? :"});
  textio::list_read(con.in, {&answers.change});
  if (answers.change != 1) return;

  textio::list_write(con.out, {});
  static constexpr const char* prompts[] = {
      " Change from + to - of FILE 1 ? (YES=1)?? :",
      " Change from + to - of FILE 2 ? (YES=1)?? :",
      " Change from + to - of FILE 3 ? (YES=1)?? :",
  };
  for (int c = 0; c < 3; ++c) {
    textio::list_write(con.out, {prompts[c]});
    textio::list_read(con.in, {&answers.reverse[c]});
    if (answers.reverse[c] == 1) reverse(*xr[c], nt);
  }
}

}  // namespace smproc
