#include "run/run.h"

#include "output/spectrum_file.h"
#include "output/waveform_file.h"
#include "output/window.h"
#include "records/polarity.h"
#include "records/record_reader.h"
#include "spectral/bandpass.h"
#include "spectral/frame.h"
#include "spectral/integrate.h"

namespace smproc {

namespace {

// The output series start as copies of the back-transformed series.
void copy_output(State& s) {
  for (int i = 1; i <= s.nt; ++i) {
    s.x1(i) = s.xr1(i);
    s.x2(i) = s.xr2(i);
    s.x3(i) = s.xr3(i);
  }
}

}  // namespace

int run(State& s, textio::Console& con, const RecordNames& names,
        const textio::OutputPlace& where) {
  // No output may replace a record file.
  textio::OutputPlace place = where;
  for (const std::string* name : {&names.ns, &names.ew, &names.ud}) {
    const std::string file = textio::trim_name(*name);
    place.keep(file, "the record file " + file);
  }

  // 1. Opening lines and the record names.
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Enter input file of waveform data (NS)"});
  s.infile1 = names.ns;
  s.infile2 = names.ew;
  s.infile3 = names.ud;
  // 2. Records NS, EW, UD; nt is then the UD count.
  read_record(s, con, s.infile1, s.xr1, names.create_missing);
  read_record(s, con, s.infile2, s.xr2, names.create_missing);
  read_record(s, con, s.infile3, s.xr3, names.create_missing);
  // 3. Polarity.
  polarity_step(s, con);
  // 4. Into the frequency domain; a record too long for the transform ends the run.
  if (!forward_half(s, con)) return 0;
  // 5-7. Band-pass, integration or differentiation, spectrum file.
  bandpass_step(s, con);
  integration_step(s, con);
  spectrum_file_step(s, con, place);
  // 8-9. Back to the time domain, and the output series.
  inverse_half(s);
  copy_output(s);
  // 10-11. Window, decimation, waveform file.
  window_step(s, con);
  waveform_file_step(s, con, place);
  // 12. Final pause: one line, whatever it holds.
  textio::list_read(con.in, {});
  // 13. Normal end.
  return 0;
}

}  // namespace smproc
