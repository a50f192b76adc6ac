#include "output/waveform_file.h"

#include "textio/files.h"
#include "textio/format.h"

namespace smproc {

int row_count(int nt, int stride) {
  // A stride of 0 (a typed skip of -1) writes every sample; a negative
  // stride over an empty or negative count would reach before sample 1.
  if (stride == 0) stride = 1;
  if (stride < 0 && nt <= 0) return 0;
  long long n = (static_cast<long long>(nt) - 1 + stride) / stride;
  return n > 0 ? static_cast<int>(n) : 0;
}

void waveform_file_step(State& s, textio::Console& con, const textio::OutputPlace& place) {
  const textio::Format prompt("(/,1X,'Enter output file name of waveform (csv format file)')");
  textio::formatted_write(con.out, prompt, {});
  const textio::Format name("(A30)");
  textio::formatted_read(con.in, name, {textio::TextItem{&s.otfile, 30}});

  textio::Output out = textio::open_for_writing(s.otfile, textio::unit_file, place, "waveform file");
  textio::list_write(out, {"time(s)", ",NS", ",EW", ",UD"});
  const textio::Format row("(F8.3,4(',',F12.4))");
  const int stride = s.iskip == 0 ? 1 : s.iskip;
  const int rows = row_count(s.nt, s.iskip);
  for (int k = 0; k < rows; ++k) {
    int i = 1 + k * stride;
    textio::formatted_write(out, row,
                            {static_cast<double>(i - 1) * s.dt, s.x1(i), s.x2(i), s.x3(i)});
  }
  out.close();
}

}  // namespace smproc
