#include "run/run.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "metrics/metric.h"
#include "metrics/registry.h"
#include "output/spectrum_file.h"
#include "output/waveform_file.h"
#include "output/window.h"
#include "records/polarity.h"
#include "records/record_header.h"
#include "records/record_reader.h"
#include "spectral/bandpass.h"
#include "spectral/frame.h"
#include "spectral/integrate.h"

namespace smproc {

namespace {

constexpr const char* component_names[] = {"NS", "EW", "UD"};

// Ends a run that cannot give a good result, with a report in the user's words.
struct Stop {
  std::string report;
};

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// The sampling interval a record's header gives: the NS record's stated
// frequency fixes it, and EW and UD must state the same. The interval is
// 1/f held in single precision and widened, as 0.01 s is held without the
// header, so a 100 Hz header runs exactly as a run without it.
double interval_from_header(State& s, int c, const RecordRead& record) {
  const std::string& file = s.components[c].file;
  const HeaderFacts facts = header_facts(record.header);
  if (!facts.sampling_hz) {
    throw Stop{"smproc: " + file + ": " +
               (facts.sampling.empty() ? std::string("the header states no sampling frequency")
                                       : "the header's sampling frequency \"" + facts.sampling +
                                             "\" is not a number of hertz") +
               "; to take the sampling interval from the headers, each record needs a line "
               "such as \"Sampling Freq(Hz) 100Hz\", so no file was written\n"};
  }
  if (c == 0) {
    const float dt = static_cast<float>(1.0 / *facts.sampling_hz);
    if (!std::isnormal(dt)) {
      throw Stop{"smproc: " + file + ": the header's sampling frequency " + facts.sampling +
                 " gives no usable sampling interval, so no file was written\n"};
    }
    s.dt = static_cast<double>(dt);
    return s.dt;
  }
  const Component& ns = s.components[0];
  const HeaderFacts first = header_facts(ns.record.header);
  if (*facts.sampling_hz != *first.sampling_hz) {
    throw Stop{"smproc: the headers state different sampling frequencies: " + ns.file + " " +
               first.sampling + ", " + file + " " + facts.sampling +
               "; the sampling interval is taken from the headers only when all three agree, "
               "so no file was written\n"};
  }
  return s.dt;
}

// Headers that state another sampling rate or another component than the
// run assumes, and components of different lengths.
void check_records(const State& s, textio::Warnings& warnings, bool rate_from_header) {
  for (int c = 0; c < 3; ++c) {
    const Component& comp = s.components[c];
    const HeaderFacts facts = header_facts(comp.record.header);
    if (!rate_from_header && facts.sampling_hz && *facts.sampling_hz != 100.0) {
      const double ratio = *facts.sampling_hz / 100.0;
      warnings.add(comp.file + ": the header states a sampling frequency of " + facts.sampling +
                   "; the record is processed at 100 Hz (0.01 s), so the outputs' frequencies "
                   "are " + number(1.0 / ratio) + " times and their times " + number(ratio) +
                   " times the true ones");
    }
    if (direction_disagrees(facts.direction, c)) {
      warnings.add(comp.file + ": the header states the direction " + facts.direction +
                   ", but the file is read as the " + component_names[c] + " component (" +
                   std::string(expected_direction(c)) + ")");
    }
  }
  const int ns = s.components[0].record.nt, ew = s.components[1].record.nt,
            ud = s.components[2].record.nt;
  if (ns != ud || ew != ud) {
    warnings.add("the records hold different sample counts (NS " + std::to_string(ns) + ", EW " +
                 std::to_string(ew) + ", UD " + std::to_string(ud) +
                 "); all three are processed with the UD count, " + std::to_string(ud) +
                 ": a longer record is cut there, a shorter one continues with what stands "
                 "past its own count (its unconverted last values, then zeros)");
  }
}

// Why a component's values are not finite, in the user's terms.
std::string cause(const State& s, int c, const char* stage) {
  const Component& comp = s.components[c];
  const int n = std::min(s.components[2].record.nt, comp.calibrated.size());
  for (int i = 1; i <= n; ++i) {
    if (!std::isfinite(comp.calibrated(i))) {
      const RecordRead& r = comp.record;
      if (r.sf2 == 0.0 || !std::isfinite(r.sf1) || !std::isfinite(r.sf2))
        return comp.file + " has the scale factor " + number(r.sf1) + "/" + number(r.sf2) +
               " on its scale line, which gives values that are not numbers";
      return comp.file + " holds a sample too large to scale (sample " + std::to_string(i) + ")";
    }
  }
  return std::string("the ") + component_names[c] + " component's values overflow " + stage;
}

// Ends the run before amp3.csv would receive a value that is not finite.
void check_amplitudes(const State& s, int c) {
  for (double a : s.components[c].amplitudes) {
    if (!std::isfinite(a))
      throw Stop{"smproc: amp3.csv not written: " + cause(s, c, "in the frequency domain") + "\n"};
  }
}

void check_waveforms(const State& s) {
  const int rows = row_count(s.nt, s.answers.window.stride);
  const int step = row_step(s.answers.window.stride);
  for (int c = 0; c < 3; ++c) {
    const Series& x = *s.written()[c];
    for (int k = 0; k < rows; ++k) {
      if (!std::isfinite(x.get(1 + k * step)))
        throw Stop{"smproc: waveform file not written: " +
                   cause(s, c, "after the inverse transform") + "\n"};
    }
  }
}

// Characters in one answer line; a longer line ends the run with a report
// rather than being read for ever.
constexpr std::size_t answer_limit = 1 << 20;

textio::Console open_console(const RunSetup& setup) {
  textio::Input in =
      setup.answers.text
          ? textio::Input::from_text(*setup.answers.text, textio::unit_console_in, std::nullopt)
          : textio::Input(::dup(setup.answers.fd), textio::unit_console_in, std::nullopt);
  textio::Output out =
      setup.console.text
          ? textio::Output::to_text(setup.console.text, textio::unit_console_out, std::nullopt)
          : textio::Output(::dup(setup.console.fd), textio::unit_console_out, std::nullopt,
                           false);
  in.describe("console input");
  in.limit_line(answer_limit);
  out.describe("console output");
  return textio::Console(std::move(in), std::move(out));
}

}  // namespace

int run_steps(State& s, textio::Console& con, const RecordNames& names,
              const textio::OutputPlace& place, textio::Warnings& warnings,
              const RunOptions& options) {
  Answers& a = s.answers;
  // No output may replace a record file.
  textio::OutputPlace kept = place;
  for (const std::string* name : {&names.ns, &names.ew, &names.ud}) {
    const std::string file = textio::trim_name(*name);
    kept.protect(file, "the record file " + file);
  }
  // 1. Opening lines.
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Enter input file of waveform data (NS)"});
  // 2. Records NS, EW, UD; nt is then the UD count.
  const std::string* files[] = {&names.ns, &names.ew, &names.ud};
  for (int c = 0; c < 3; ++c) {
    Component& comp = s.components[c];
    comp.file = *files[c];
    IntervalChoice choose;
    if (options.rate_from_header)
      choose = [&s, c](const RecordRead& r) { return interval_from_header(s, c, r); };
    comp.record =
        read_record(con, warnings, comp.file, s.dt, comp.calibrated, names.create_missing, choose);
    s.nt = comp.record.nt;
  }
  check_records(s, warnings, options.rate_from_header);
  // 3. Polarity.
  polarity_step(con, s.calibrated(), s.nt, a.polarity);
  // 4. The frequency grid; a record too long for the transform ends the run.
  if (!choose_grid(con, s.nt, s.dt, s.grid, &s.memory)) {
    throw Stop{"smproc: " + names.ud + " holds " + std::to_string(s.nt) +
               " samples; at most 32768 can be transformed, so no file was written\n"};
  }
  // 5-6. Band-pass and operator, asked for before any transform is made.
  ask_bandpass(con, warnings, a.bandpass, a.bandpass_corners);
  ask_operation(con, a.operation);
  // 7-9. Each component through the frequency domain and back in one
  // spectrum, keeping its amplitudes; the back-transformed series replace the
  // calibrated ones and are the output series until a window is cut.
  for (int c = 0; c < 3; ++c) {
    Component& comp = s.components[c];
    forward_transform(s.grid, comp.calibrated, s.nt, s.dt, s.spectrum);
    Spectrum* const fx[] = {&s.spectrum};
    if (a.bandpass == 1) apply_bandpass(a.bandpass_corners, s.grid.nom, s.grid.dom, fx);
    apply_operator(a.operation, s.grid.nom, s.grid.dom, fx);
    comp.amplitudes = amplitudes(s.spectrum, s.grid.nom, &s.memory);
    // Before the inverse, which overwrites the samples the cause is read from.
    check_amplitudes(s, c);
    inverse_transform(s.grid, s.spectrum, comp.calibrated);
  }
  spectrum_file_step(con, kept, s.amplitudes(), s.grid.nom, s.grid.dom, options.full_precision);
  kept.protect_output((kept.folder / "amp3.csv").string(), "the spectrum file amp3.csv");
  // 10-11. Window, decimation, waveform file.
  window_step(con, warnings, s.dt, std::as_const(s).calibrated(), s.outputs(), s.nt, a.window);
  check_waveforms(s);
  waveform_file_step(con, warnings, kept, a.waveform_name, s.written(), s.nt,
                     a.window.stride, s.dt, options.full_precision);
  s.waveform_written = true;
  // 12. Final pause: one line, whatever it holds.
  textio::list_read(con.in, {});
  // 13. Normal end.
  return 0;
}

RunSummary summarize(const State& s) {
  StationData data;
  data.header = header_facts(s.components[0].record.header);
  for (int c = 0; c < 3; ++c) {
    // A failed run may end before it counts a record's samples; once the
    // waveform file is written, every record was read.
    const int n = s.components[c].record.nt;
    if (n > 0 || s.waveform_written) data.samples[c] = n;
  }
  if (s.waveform_written) {
    WaveformSeries w;
    for (int c = 0; c < 3; ++c) w.x[c] = s.written()[c]->values();
    w.nt = s.nt;
    w.stride = s.answers.window.stride;
    w.dt = s.dt;
    data.waveform = w;
  }
  return measure(data);
}

RunOutcome run_record_set(const RunSetup& setup) {
  RunOutcome outcome;
  textio::Warnings warnings(setup.on_warning);
  try {
    auto state = std::make_unique<State>(setup.memory);
    textio::Console con = open_console(setup);
    try {
      textio::OutputPlace place;
      place.folder = setup.out_dir;
      place.temporaries = setup.temporaries;
      // Nor may an output replace the file the answers come from.
      if (!setup.answers.text) place.protect(setup.answers.fd, "standard input");
      if (!setup.answers.file.empty())
        place.protect(setup.answers.file, "the answers file " + setup.answers.file);
      outcome.status = run_steps(*state, con, setup.records, place, warnings,
                                 {setup.rate_from_header, setup.full_precision});
      con.out.flush();
    } catch (const textio::Failure& f) {
      // Files of the failed step were flushed and cut as the stack unwound;
      // the console keeps what was written before the failure.
      try {
        con.out.flush();
      } catch (const textio::Failure&) {
      }
      outcome.status = 2;
      outcome.report = textio::report(f);
    } catch (const Stop& stop) {
      try {
        con.out.flush();
      } catch (const textio::Failure&) {
      }
      outcome.status = 2;
      outcome.report = stop.report;
    }
    if (setup.summarize) outcome.summary = summarize(*state);
  } catch (const std::bad_alloc&) {
    outcome.status = 2;
    outcome.report = "smproc: out of memory\n";
  } catch (const std::exception& e) {
    outcome.status = 2;
    outcome.report = std::string("smproc: ") + e.what() + "\n";
  }
  outcome.warnings = warnings.all();
  return outcome;
}

}  // namespace smproc
