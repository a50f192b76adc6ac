#include "run/run.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "metrics/metric.h"
#include "metrics/motion_series.h"
#include "records/record_name.h"
#include "metrics/registry.h"
#include "dialogue/outputs.h"
#include "dialogue/processing.h"
#include "dialogue/records.h"
#include "output/spectrum_file.h"
#include "output/waveform_file.h"
#include "output/window.h"
#include "records/component.h"
#include "records/polarity.h"
#include "records/record_header.h"
#include "records/record_reader.h"
#include "spectral/bandpass.h"
#include "spectral/frame.h"
#include "spectral/integrate.h"

namespace smproc {

namespace {

// Ends a run that cannot give a good result, with a report in the user's words.
struct Refusal {
  std::string report;
};

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// A header's sampling frequency as the run can use it: a positive, finite
// number of hertz whose interval 1/f single precision holds.
std::optional<double> usable_rate(const HeaderFacts& facts) {
  if (facts.sampling_hz && interval_of_rate(*facts.sampling_hz)) return facts.sampling_hz;
  return std::nullopt;
}

// The interval the run starts with, set before the NS record's count is
// shown: --rate's, else the NS header's rate's, else 0.01 s. Either is 1/f
// held in single precision and widened, so 100 Hz runs exactly as 0.01 s.
double first_interval(const RunOptions& options, const HeaderFacts& ns) {
  if (options.rate_hz) {
    const std::optional<double> dt = interval_of_rate(*options.rate_hz);
    if (!dt)
      throw Refusal{"smproc: the sampling frequency " + number(*options.rate_hz) +
                    " Hz gives no usable sampling interval, so no file was written\n"};
    return *dt;
  }
  if (const std::optional<double> hz = usable_rate(ns)) return *interval_of_rate(*hz);
  return legacy_interval;
}

// What a header states as its rate, for a report: as stated, quoted when it
// is no usable number of hertz.
std::string stated_rate(const HeaderFacts& facts) {
  if (facts.sampling.empty()) return "no rate";
  if (usable_rate(facts)) return facts.sampling;
  return "\"" + facts.sampling + "\"";
}

// Once the three records are read: the rate the run keeps, or the end of
// the run when their headers state different rates (a header that states
// none, beside one that does, differs too).
void settle_rate(State& s, const RunOptions& options) {
  if (options.rate_hz) {
    s.rate_hz = options.rate_hz;
    return;
  }
  PerComponent<HeaderFacts> facts;
  for (int c = 0; c < 3; ++c) facts[c] = header_facts(s.components[c].record.header);
  const std::optional<double> ns = usable_rate(facts[0]);
  if (usable_rate(facts[1]) != ns || usable_rate(facts[2]) != ns) {
    std::string rates;
    for (int c = 0; c < 3; ++c)
      rates += (c ? ", " : "") + s.components[c].file + " " + stated_rate(facts[c]);
    throw Refusal{"smproc: the headers state different sampling frequencies: " + rates +
                  "; the sampling interval is taken from the headers only when all three "
                  "agree (--rate HZ sets it for records whose headers are wrong), so no file "
                  "was written\n"};
  }
  s.rate_hz = ns ? *ns : 100.0;
}

// Why a component's values are not finite, in the user's terms.
std::string cause(const State& s, int c, const char* stage) {
  const ComponentState& comp = s.components[c];
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
  return "the " + std::string(component_name(c)) + " component's values overflow " + stage;
}

// Ends the run before amp3.csv would receive a value that is not finite.
void check_amplitudes(const State& s, int c) {
  for (double a : s.components[c].amplitudes) {
    if (!std::isfinite(a))
      throw Refusal{"smproc: amp3.csv not written: " + cause(s, c, "in the frequency domain") + "\n"};
  }
}

void check_waveforms(const State& s) {
  const int rows = row_count(s.nt, s.answers.stride);
  const int step = row_step(s.answers.stride);
  for (int c = 0; c < 3; ++c) {
    const Series& x = *s.written()[c];
    for (int k = 0; k < rows; ++k) {
      if (!std::isfinite(x.get(1 + k * step)))
        throw Refusal{"smproc: waveform file not written: " +
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

namespace {

// Reads one record into the component: the header, the scale line shown,
// the samples, the count shown with the interval (which the NS record's
// header or --rate sets), the calibration. The file closes before the count
// is shown.
void read_component(State& s, textio::Console& con, textio::Warnings& warnings, int c,
                    const std::string& name, const RecordBytes& bytes, bool create_missing,
                    const RunOptions& options) {
  ComponentState& comp = s.components[c];
  comp.file = name;
  RecordHeader header;
  SampleCount count;
  {
    textio::Input in =
        bytes.text ? open_record_text(*bytes.text, name) : open_record(name, create_missing);
    header = read_record_header(in);
    echo_scale(con, header.sf1, header.sf2);
    count = read_samples(in, header, comp.calibrated, s.limits.capacity);
  }
  if (c == 0) s.dt = first_interval(options, header_facts(header.lines));
  echo_count(con, count.nt, s.dt);
  calibrate(comp.calibrated, count.nt, header.sf1, header.sf2, s.limits.capacity);
  warn_of_record(warnings, name, count, s.limits.capacity);
  comp.record = record_read(std::move(header), count);
  s.nt = count.nt;
}

void reverse_chosen(State& s) {
  if (s.answers.polarity_change != 1) return;
  for (int c = 0; c < 3; ++c)
    if (s.answers.reverse[c] == 1) reverse(s.components[c].calibrated, s.nt, s.limits.capacity);
}

// Each component through the frequency domain and back in one spectrum,
// keeping its amplitudes; the back-transformed series replace the calibrated
// ones and are the output series until a window is cut.
void through_frequency_domain(State& s) {
  const Answers& a = s.answers;
  for (int c = 0; c < 3; ++c) {
    ComponentState& comp = s.components[c];
    forward_transform(s.grid, comp.calibrated, s.nt, s.dt, s.spectrum);
    Spectrum* const fx[] = {&s.spectrum};
    if (a.bandpass == 1) apply_bandpass(a.bandpass_corners, s.grid.nom, s.grid.dom, fx);
    // The measures' series from the band-passed spectrum; the polarity's sign
    // changes no measure of the ground motion itself.
    if (s.motion)
      add_component(*s.motion, c, s.grid, s.spectrum, comp.calibrated.values(), s.nt, s.dt);
    apply_operator(operation_of(a.operation), s.grid.nom, s.grid.dom, fx);
    // The state's room for the amplitudes, brought in at once.
    const auto bins = static_cast<std::size_t>(s.grid.nom - 1);
    comp.amplitudes.reserve(bins);
    fault_in(comp.amplitudes.data(), comp.amplitudes.capacity() * sizeof(double));
    comp.amplitudes.resize(bins);
    amplitudes(s.spectrum, s.grid.nom, comp.amplitudes);
    // Before the inverse, which overwrites the samples the cause is read from.
    check_amplitudes(s, c);
    inverse_transform(s.grid, s.spectrum, comp.calibrated);
  }
}

// With long records, the values a series holds once the grid is known: as
// many as the longest record (its complete groups) and the transform bring,
// and never fewer than the fixed capacity, so that a window on a record
// within the old limits reaches as far as it does without them.
int sized_capacity(const State& s) {
  int n = std::max(capacity, s.grid.nf);
  for (const ComponentState& comp : s.components) {
    const long long kept = std::min<long long>(comp.record.values, s.limits.capacity);
    n = std::max(n, static_cast<int>(kept));
  }
  return n;
}

// No output may replace a record file, or the archive a record came from.
textio::OutputPlace keeping_records(const textio::OutputPlace& place, const RecordNames& names) {
  textio::OutputPlace kept = place;
  const std::string* files[] = {&names.ns, &names.ew, &names.ud};
  for (int c = 0; c < 3; ++c) {
    if (const std::string& archive = names.in_memory[c].archive; names.in_memory[c].text) {
      kept.protect(archive, "the archive " + archive);
      continue;
    }
    const std::string file = textio::trim_name(*files[c]);
    kept.protect(file, "the record file " + file);
  }
  return kept;
}

// The station the records are: its stem and, for a KiK-net sensor, its
// station name, from the NS record's file name.
StationIdentity identity_of(const State& s, const RecordNames& names) {
  StationIdentity who;
  const std::string file = std::filesystem::path(names.ns).filename().string();
  const std::optional<RecordName> r = parse_record_name(file);
  who.stem = r ? r->stem : file;
  who.station = r ? station_name(r->stem, r->sensor) : file;
  who.dt = s.dt;
  who.samples = s.components[2].record.nt;
  if (s.answers.bandpass == 1) {
    const Corners& c = s.answers.bandpass_corners;
    who.bandpass_hz = std::array<double, 4>{c.fl1, c.fl2, c.fh1, c.fh2};
  }
  return who;
}

// Computes the measures and writes metrics.json, response_spectra.csv and
// fas_smoothed.csv into the outputs' folder, each replaced whole.
void write_measures(State& s, const RecordNames& names, const textio::OutputPlace& place,
                    textio::Warnings& warnings) {
  // The shortest period's oscillator runs on the record resampled k times
  // finer, held whole: k·nf points at most, as long as the longest transform.
  const int longest = RecordLimits::long_records().max_nf();
  for (const double period : s.measure_options->periods) {
    const int k = resampling_factor(period, s.dt);
    if (static_cast<long long>(k) * s.grid.nf > longest)
      throw Refusal{"smproc: the period " + number(period) + " s needs the record resampled " +
                    std::to_string(k) + " times finer, " +
                    std::to_string(static_cast<long long>(k) * s.grid.nf) +
                    " points, more than the " + std::to_string(longest) +
                    " a resampled record may hold; no file of the intensity measures was written\n"};
  }
  auto measures =
      std::make_shared<IntensityMeasures>(intensity_measures(*s.motion, *s.measure_options));
  s.motion.reset();
  if (!measures->jma) warn_of_no_jma_intensity(warnings, s.components[2].record.nt, s.dt);
  const std::pair<const char*, std::string> files[] = {
      {"metrics.json", metrics_json(identity_of(s, names), *measures)},
      {"response_spectra.csv", response_spectra_csv(*measures)},
      {"fas_smoothed.csv", smoothed_spectra_csv(*measures)},
  };
  textio::OutputPlace kept = place;
  for (const auto& [name, text] : files) {
    // Like amp3.csv: replaced whole, never over an input or another output.
    textio::Output out = textio::open_for_writing(name, textio::unit_measures, kept, name);
    out.put(text);
    out.close();
    kept.protect_output((kept.folder / name).string(), name);
  }
  s.measures = std::move(measures);
}

}  // namespace

int run_steps(State& s, textio::Console& con, const RecordNames& names,
              const textio::OutputPlace& place, textio::Warnings& warnings,
              const RunOptions& options) {
  Answers& a = s.answers;
  textio::OutputPlace kept = keeping_records(place, names);
  if (options.long_records) s.limits = RecordLimits::long_records();
  // 1. Opening lines.
  show_opening(con);
  // 2. Records NS, EW, UD; nt is then the UD count.
  const std::string* files[] = {&names.ns, &names.ew, &names.ud};
  for (int c = 0; c < 3; ++c)
    read_component(s, con, warnings, c, *files[c], names.in_memory[c], names.create_missing,
                   options);
  settle_rate(s, options);
  warn_of_headers(warnings, {s.components[0].file, s.components[1].file, s.components[2].file},
                  {&s.components[0].record, &s.components[1].record, &s.components[2].record},
                  !options.rate_hz && !usable_rate(header_facts(s.components[0].record.header)));
  warn_of_header_peaks(warnings, {s.components[0].file, s.components[1].file, s.components[2].file},
                       {&s.components[0].record, &s.components[1].record, &s.components[2].record},
                       std::as_const(s).calibrated());
  // 3. Polarity.
  ask_polarity(con, a);
  reverse_chosen(s);
  // 4. The frequency grid; a record too long for the transform ends the run.
  std::optional<Grid> grid = choose_grid(s.nt, s.dt, s.limits.max_if1);
  if (!grid) {
    echo_too_long(con, s.limits.max_if1);
    throw Refusal{"smproc: " + names.ud + " holds " + std::to_string(s.nt) + " samples; at most " +
                  std::to_string(s.limits.max_nf()) + " can be transformed" +
                  (options.long_records ? " even with --long-records" : "") +
                  ", so no file was written\n"};
  }
  s.grid = std::move(*grid);
  if (options.long_records) s.limits.capacity = sized_capacity(s);
  echo_grid(con, s.grid);
  // 5-6. Band-pass and operator, asked for before any transform is made.
  ask_bandpass(con, warnings, a);
  warn_of_empty_band(warnings, a, s.grid);
  warn_of_corners_above_nyquist(warnings, a, s.dt);
  ask_operation(con, a);
  s.processing_answered = true;
  // 7-9. The spectra, amp3.csv, the series back.
  if (options.measures) {
    s.measure_options = options.measures;
    s.motion.emplace();
  }
  through_frequency_domain(s);
  announce_spectrum_file(con);
  if (!options.full_precision) warn_of_frequency_column(warnings, s.grid.nom, s.grid.dom);
  write_spectrum_file(kept, s.amplitudes(), s.grid.nom, s.grid.dom, options.full_precision);
  kept.protect_output((kept.folder / "amp3.csv").string(), "the spectrum file amp3.csv");
  // 10. Window and decimation.
  if (ask_window(con, warnings, s.dt, s.nt, a, s.limits.capacity)) {
    s.nt = cut_window(std::as_const(s).calibrated(), s.outputs(), a.window_offset,
                      a.window_samples, s.limits.capacity);
    echo_window_count(con, s.nt);
  }
  ask_skip(con, warnings, s.nt, a);
  check_waveforms(s);
  // 11. Waveform file.
  ask_waveform_name(con, warnings, a);
  if (!options.full_precision)
    warn_of_time_column(warnings, textio::trim_name(a.waveform_name), s.nt, a.stride, s.dt);
  write_waveform_file(kept, a.waveform_name, s.written(), s.nt, a.stride, s.dt,
                      options.full_precision);
  s.waveform_written = true;
  // 11b. The intensity measures, in files beside amp3.csv and the waveform file.
  if (s.motion) {
    const std::string waveform = textio::trim_name(a.waveform_name);
    kept.protect_output((kept.folder / waveform).string(), "the waveform file " + waveform);
    write_measures(s, names, kept, warnings);
  }
  // 12. Final pause: one line, whatever it holds.
  final_pause(con);
  // 13. Normal end.
  return 0;
}

RunSummary summarize(const State& s) {
  StationData data;
  data.header = header_facts(s.components[0].record.header);
  for (int c = 0; c < 3; ++c)
    data.max_acc_gal[c] = header_facts(s.components[c].record.header).max_acc_gal;
  for (int c = 0; c < 3; ++c) {
    // A failed run may end before it counts a record's samples; once the
    // waveform file is written, every record was read.
    const int n = s.components[c].record.nt;
    if (n > 0 || s.waveform_written) data.samples[c] = n;
  }
  data.processing.rate_hz = s.rate_hz;
  data.processing.answered = s.processing_answered;
  if (s.answers.bandpass == 1) data.processing.bandpass = s.answers.bandpass_corners;
  data.processing.operation = operation_of(s.answers.operation);
  data.measure_options = s.measure_options;
  data.measures = s.measures.get();
  if (s.waveform_written) {
    WaveformSeries w;
    for (int c = 0; c < 3; ++c) w.x[c] = s.written()[c]->values();
    w.nt = s.nt;
    w.stride = s.answers.stride;
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
      outcome.status =
          run_steps(*state, con, setup.records, place, warnings,
                    {setup.rate_hz, setup.full_precision, setup.long_records,
                     setup.measures ? &*setup.measures : nullptr});
      con.out.flush();
    } catch (const textio::Failure& f) {
      // Files of the failed step were flushed and cut as the stack unwound;
      // the console keeps what was written before the failure.
      try {
        con.out.flush();
      } catch (const textio::Failure&) {
      }
      outcome.status = 2;
      outcome.failure = RunFailure::read_or_write;
      outcome.report = textio::report(f);
    } catch (const Refusal& refusal) {
      try {
        con.out.flush();
      } catch (const textio::Failure&) {
      }
      outcome.status = 2;
      outcome.failure = RunFailure::refused;
      outcome.report = refusal.report;
    }
    if (setup.summarize) outcome.summary = summarize(*state);
    outcome.measures = state->measures;
  } catch (const std::bad_alloc&) {
    outcome.status = 2;
    outcome.failure = RunFailure::out_of_memory;
    outcome.report = "smproc: out of memory\n";
  } catch (const std::exception& e) {
    outcome.status = 2;
    outcome.failure = RunFailure::internal;
    outcome.report = std::string("smproc: ") + e.what() + "\n";
  }
  outcome.warnings = warnings.all();
  return outcome;
}

}  // namespace smproc
