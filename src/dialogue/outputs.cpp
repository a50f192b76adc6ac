#include "dialogue/outputs.h"

#include <cstdio>
#include <limits>

#include "output/spectrum_file.h"
#include "output/waveform_file.h"
#include "records/constants.h"
#include "output/window.h"
#include "files/files.h"
#include "textio/format.h"
#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc {

namespace {

// What the user should know about a window of window_samples samples after
// window_offset, cut from a record of nt samples.
void check_window(textio::Warnings& warnings, const Answers& a, int nt, double dt,
                  int capacity) {
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

namespace {

// The largest value an F8.4 and an F8.3 field hold before they fill with
// asterisks, and the smallest that does not show as zero.
constexpr double frequency_limit = 999.99995;
constexpr double frequency_resolution = 0.00005;
constexpr double time_limit = 9999.9995;
constexpr double time_resolution = 0.0005;

std::string rows_text(long long n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); }

}  // namespace

void warn_of_frequency_column(textio::Warnings& warnings, int nom, double dom) {
  long long over = 0, zero = 0;
  double highest = 0.0;
  for (int i = 2; i <= nom; ++i) {
    const double f = bin_frequency_hz(i, dom);
    if (f >= frequency_limit) ++over;
    if (f < frequency_resolution) ++zero;
    highest = f;
  }
  char text[320];
  if (over > 0) {
    std::snprintf(text, sizeof text,
                  "amp3.csv: frequencies up to %.6g Hz do not fit its frequency column (at most "
                  "999.9999 Hz): %s show ********",
                  highest, rows_text(over).c_str());
    warnings.add(text);
  }
  if (zero > 0) {
    std::snprintf(text, sizeof text,
                  "amp3.csv: its bins lie %.3g Hz apart, below the frequency column's 4 "
                  "decimals: %s show 0.0000",
                  dom / twopi, rows_text(zero).c_str());
    warnings.add(text);
  }
}

void warn_of_time_column(textio::Warnings& warnings, const std::string& file, int nt,
                         int stride, double dt) {
  const int rows = row_count(nt, stride);
  const int step = row_step(stride);
  long long over = 0, zero = 0;
  double last = 0.0;
  for (int k = 0; k < rows; ++k) {
    const int i = 1 + k * step;
    const double t = static_cast<double>(i - 1) * dt;
    if (t >= time_limit) ++over;
    if (k > 0 && t < time_resolution) ++zero;
    last = t;
  }
  char text[320];
  if (over > 0) {
    std::snprintf(text, sizeof text,
                  "%s: times up to %.6g s do not fit its time column (at most 9999.999 s): %s "
                  "show ********",
                  file.c_str(), last, rows_text(over).c_str());
    warnings.add(text);
  }
  if (zero > 0) {
    std::snprintf(text, sizeof text,
                  "%s: its rows lie %.3g s apart, below the time column's 3 decimals: %s after "
                  "the first show 0.000",
                  file.c_str(), static_cast<double>(step) * dt, rows_text(zero).c_str());
    warnings.add(text);
  }
}

bool ask_window(textio::Console& con, textio::Warnings& warnings, double dt, int nt,
                Answers& a, int capacity) {
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
  check_window(warnings, a, nt, dt, capacity);
  return true;
}

void echo_window_count(textio::Console& con, int nt) {
  textio::list_write(con.out, {"New nt =", nt});
}

void ask_skip(textio::Console& con, textio::Warnings& warnings, int nt, Answers& a) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Skip Data (no=0; yes=skip number)?"});
  textio::list_read(con.in, {&a.skip});
  a.stride = a.skip < std::numeric_limits<int>::max() ? a.skip + 1 : a.skip;
  if (a.skip >= 0) return;
  const int rows = row_count(nt, a.stride);
  std::string holds;
  if (a.skip == -1)
    holds = "it is taken as 0, so the waveform file holds every sample";
  else if (rows == 0)
    holds = "the waveform file holds only its header line, no samples";
  else
    holds = "the waveform file holds " + rows_text(rows) + " only";
  warnings.add("the skip answer " + std::to_string(a.skip) +
               " is negative (samples left out between rows): " + holds);
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

void warn_of_no_jma_intensity(textio::Warnings& warnings, int n, double dt) {
  char text[200];
  if (static_cast<double>(n) * dt < 0.3)
    std::snprintf(text, sizeof text,
                  "no JMA intensity: the record lasts %.3g s, less than the 0.3 s the intensity "
                  "is defined over", static_cast<double>(n) * dt);
  else
    std::snprintf(text, sizeof text, "no JMA intensity: the filtered record holds no motion");
  warnings.add(text);
}

}  // namespace smproc
