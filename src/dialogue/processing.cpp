#include "dialogue/processing.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "records/constants.h"
#include "spectral/nyquist.h"
#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc {

void ask_polarity(textio::Console& con, Answers& answers) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" Change +/-? (YES=1)?? :"});
  textio::list_read(con.in, {&answers.polarity_change});
  if (answers.polarity_change != 1) return;

  textio::list_write(con.out, {});
  static constexpr const char* prompts[] = {
      " Change from + to - of FILE 1 ? (YES=1)?? :",
      " Change from + to - of FILE 2 ? (YES=1)?? :",
      " Change from + to - of FILE 3 ? (YES=1)?? :",
  };
  for (int c = 0; c < 3; ++c) {
    textio::list_write(con.out, {prompts[c]});
    textio::list_read(con.in, {&answers.reverse[c]});
  }
}

void echo_too_long(textio::Console& con, int max_if1) {
  const std::string line = " NT>2**" + std::to_string(max_if1) + " !!!!!";
  textio::list_write(con.out, {std::string_view(line)});
}

void echo_grid(textio::Console& con, const Grid& g) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" IF1,NF=", g.if1, g.nf});
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" DUR,DOM,NOM,EOM=", g.dur, g.dom, g.nom, g.eom});
  textio::list_write(con.out, {" Highest Frequency (hz)=", g.eom / twopi});
}

void ask_bandpass(textio::Console& con, textio::Warnings& warnings, Answers& answers) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" Band Pass Filter? (YES=1)?? :"});
  textio::list_read(con.in, {&answers.bandpass});
  if (answers.bandpass != 1) return;

  Corners& c = answers.bandpass_corners;
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"  TRAPEZOIDAL BAND PATH FILTER"});
  textio::list_write(con.out, {"  ENTER fL1<fL2<fH1<fH2 (Hz)"});
  textio::list_read(con.in, {&c.fl1, &c.fl2, &c.fh1, &c.fh2});
  if (!(c.fl1 <= c.fl2 && c.fl2 <= c.fh1 && c.fh1 <= c.fh2)) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "band-pass corners %g %g %g %g Hz are not in increasing order "
                  "(fL1<fL2<fH1<fH2); they are used as typed, %s",
                  c.fl1, c.fl2, c.fh1, c.fh2,
                  c.fl1 >= c.fh2 ? "which removes every frequency: the waveforms are zero"
                                 : "so the filter is not the trapezoid asked for");
    warnings.add(text);
  }
}

void warn_of_empty_band(textio::Warnings& warnings, const Answers& a, const Grid& g) {
  const Corners& c = a.bandpass_corners;
  if (a.bandpass != 1) return;
  const bool in_order = c.fl1 <= c.fl2 && c.fl2 <= c.fh1 && c.fh1 <= c.fh2;
  if (!in_order && c.fl1 >= c.fh2) return;  // the order's warning says so already
  if (passed_bins(c, g.nom, g.dom) > 0) return;
  char text[320];
  std::snprintf(text, sizeof text,
                "the band-pass %g %g %g %g Hz passes no frequency of the record (its bins lie "
                "%.4g Hz apart, from 0 to %.6g Hz): amp3.csv and the waveform file hold only zeros",
                c.fl1, c.fl2, c.fh1, c.fh2, g.dom / twopi,
                static_cast<double>(g.nom - 1) * g.dom / twopi);
  warnings.add(text);
}

void warn_of_corners_above_nyquist(textio::Warnings& warnings, const Answers& a, double dt) {
  if (a.bandpass != 1) return;
  const Corners& c = a.bandpass_corners;
  const double nyquist = nyquist_hz(dt);
  const std::array<bool, 4> above = corners_above(c, nyquist);
  const char* const names[] = {"fL1", "fL2", "fH1", "fH2"};
  const double values[] = {c.fl1, c.fl2, c.fh1, c.fh2};
  std::vector<std::string> listed;
  for (int k = 0; k < 4; ++k) {
    if (!above[k]) continue;
    char corner[64];
    std::snprintf(corner, sizeof corner, "%s %g Hz", names[k], values[k]);
    listed.push_back(corner);
  }
  if (listed.empty()) return;
  std::string corners = listed[0];
  for (std::size_t k = 1; k < listed.size(); ++k)
    corners += (k + 1 == listed.size() ? " and " : ", ") + listed[k];
  char rest[160];
  std::snprintf(rest, sizeof rest,
                " above the Nyquist frequency, %g Hz (1/(2 dt), dt %g s): the record holds no "
                "frequency above it, so the trapezoid is cut there",
                nyquist, dt);
  warnings.add(std::string(listed.size() == 1 ? "band-pass corner " : "band-pass corners ") +
               corners + (listed.size() == 1 ? " lies" : " lie") + rest);
}

void ask_operation(textio::Console& con, Answers& answers) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" Integration/Differentiation:"});
  textio::list_write(con.out, {" NO Change         :                 (Enter=0)"});
  textio::list_write(con.out, {" Integration       : Ex.) acc -> vel (Enter=1)"});
  textio::list_write(con.out, {" Double Integration: Ex.) acc -> dis (Enter=2)"});
  textio::list_write(con.out, {" Differentiation:  : Ex.) Vel -> acc (Enter=3)"});
  textio::list_read(con.in, {&answers.operation});
}

}  // namespace smproc
