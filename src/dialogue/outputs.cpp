#include "dialogue/outputs.h"

#include <cstdio>
#include <limits>

#include "output/window.h"
#include "textio/files.h"
#include "textio/format.h"
#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc {

namespace {

// What the user should know about a window of window_samples samples after
// window_offset, cut from a record of nt samples.
void check_window(textio::Warnings& warnings, const Answers& a, int nt, double dt) {
  char text[320];
  if (a.window_samples <= 0) {
    std::snprintf(text, sizeof text,
                  "the window length %g s is not positive: the waveform file holds no samples",
                  a.window_length);
    warnings.add(text);
    return;
  }
  const long long first = static_cast<long long>(a.window_offset) + 1;
  const long long last = static_cast<long long>(a.window_offset) + a.window_samples;
  const double record_end = static_cast<double>(nt > 0 ? nt - 1 : 0) * dt;
  const char* where = nullptr;
  if (last < 1 || first > nt)
    where = "wholly";
  else if (first < 1 || last > nt)
    where = "partly";
  if (where) {
    std::snprintf(text, sizeof text,
                  "the window from %g s for %g s lies %s outside the record (0 to %.2f s): "
                  "samples before its start are zeros, samples past its end come from the "
                  "transform's zero padding",
                  a.window_start, a.window_length, where, record_end);
    warnings.add(text);
  }
  if (a.window_samples > capacity) {
    std::snprintf(text, sizeof text, "the window of %d samples is cut to %d samples",
                  a.window_samples, capacity);
    warnings.add(text);
  }
}

}  // namespace

void announce_spectrum_file(textio::Console& con) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Fourier Spectrum data are stored in \"amp3.csv\""});
}

bool ask_window(textio::Console& con, textio::Warnings& warnings, double dt, int nt,
                Answers& a) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Cutting data? (No=0,Yes=1)"});
  textio::list_read(con.in, {&a.cut});
  if (a.cut != 1) return false;
  textio::list_write(con.out, {"Enter Starting Time (sec)"});
  textio::list_read(con.in, {&a.window_start});
  a.window_offset = start_offset(a.window_start, dt);
  textio::list_write(con.out, {"Number of Cutting Data =", a.window_offset});
  textio::list_write(con.out, {"Enter Duration (sec)"});
  textio::list_read(con.in, {&a.window_length});
  a.window_samples = window_length(a.window_length, dt);
  textio::list_write(con.out, {"Number of data =", a.window_samples});
  check_window(warnings, a, nt, dt);
  return true;
}

void echo_window_count(textio::Console& con, int nt) {
  textio::list_write(con.out, {"New nt =", nt});
}

void ask_skip(textio::Console& con, Answers& a) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Skip Data (no=0; yes=skip number)?"});
  textio::list_read(con.in, {&a.skip});
  a.stride = a.skip < std::numeric_limits<int>::max() ? a.skip + 1 : a.skip;
}

void ask_waveform_name(textio::Console& con, textio::Warnings& warnings, Answers& a) {
  const textio::Format prompt("(/,1X,'Enter output file name of waveform (csv format file)')");
  textio::formatted_write(con.out, prompt, {});
  const textio::Format name("(A30)");
  // The question is seen before the answer line is looked at.
  con.out.flush();
  const std::string typed = con.in.peek_line(256);
  textio::formatted_read(con.in, name, {textio::TextItem{&a.waveform_name, 30}});
  if (typed.size() > 30 && typed.find_first_not_of(" \t", 30) != std::string::npos)
    warnings.add("the waveform file name was cut to 30 characters: the file is called \"" +
                 textio::trim_name(a.waveform_name) + "\"");
}

void final_pause(textio::Console& con) { textio::list_read(con.in, {}); }

}  // namespace smproc
