#include "run/command_line.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "metrics/intensity_measures.h"
#include "records/constants.h"
#include "files/archive.h"
#include "run/stations.h"

namespace smproc {

namespace {

// A count typed as plain decimal digits, up to a bound.
std::optional<int> parse_count(const std::string& text, int most) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  for (char ch : text) {
    if (!std::isdigit(static_cast<unsigned char>(ch))) return std::nullopt;
  }
  const int n = std::stoi(text);
  if (n > most) return std::nullopt;
  return n;
}

// The option values as typed, before they are checked.
struct Typed {
  std::string answers, flip, bandpass, integrate, window, skip, waveform, out_dir, jobs;
  bool differentiate = false;
  std::string rate;
  bool rate_from_header = false;
  bool metrics = false;
  std::string periods, damping, ko_bandwidth;
  std::vector<std::string> names;
};

// A sampling frequency typed as a decimal number of hertz, positive and
// finite, whose interval single precision holds.
std::optional<double> parse_rate(const std::string& text) {
  double hz = 0.0;
  const char* end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, hz, std::chars_format::general);
  if (ec != std::errc() || at != end || !interval_of_rate(hz)) return std::nullopt;
  return hz;
}

// A positive, finite number typed in decimal.
std::optional<double> parse_positive(std::string_view text) {
  double v = 0.0;
  const char* end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, v, std::chars_format::general);
  if (ec != std::errc() || at != end || !(v > 0.0) || !std::isfinite(v)) return std::nullopt;
  return v;
}

// Numbers separated by commas, each one accepted by `ok`; none when any is
// not, or none is given.
std::optional<std::vector<double>> parse_list(const std::string& text, auto ok) {
  std::vector<double> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view item = std::string_view(text).substr(start, comma - start);
    double v = 0.0;
    const auto [at, ec] = std::from_chars(item.data(), item.data() + item.size(), v,
                                          std::chars_format::general);
    if (item.empty() || ec != std::errc() || at != item.data() + item.size() || !ok(v))
      return std::nullopt;
    out.push_back(v);
    start = comma + 1;
  }
  return out;
}

// The intensity measures' options; a usage error, or nothing.
std::string read_measure_options(const CLI::App& app, const Typed& t, RunSetup& defaults) {
  const bool asked = t.metrics || app.count("--periods") || app.count("--damping") ||
                     app.count("--ko-bandwidth");
  if (!asked) return {};
  MeasureOptions m = default_measure_options();
  if (app.count("--periods")) {
    if (t.periods == "nga-west2") {
      m.periods.assign(nga_west2_periods().begin(), nga_west2_periods().end());
    } else {
      auto periods = parse_list(t.periods, [](double v) { return v > 0.0 && std::isfinite(v); });
      if (!periods)
        return "--periods takes periods in seconds, positive, as in 0.1,0.3,1, or nga-west2";
      m.periods = *periods;
    }
  }
  if (app.count("--damping")) {
    auto damping = parse_list(t.damping, [](double v) { return v >= 0.0 && v < 1.0; });
    if (!damping) return "--damping takes fractions of critical damping in [0, 1), as in 0.05,0.1";
    m.dampings = *damping;
  }
  if (app.count("--ko-bandwidth")) {
    auto b = parse_positive(t.ko_bandwidth);
    if (!b) return "--ko-bandwidth takes the smoothing's bandwidth, a positive number, as in 40";
    m.ko_bandwidth = *b;
  }
  defaults.measures = std::move(m);
  return {};
}

// Options that change how every record is processed, rather than answering
// the dialogue, are declared here and set fields of `defaults`; each run of
// the command, dialogue or not, starts from that setup.
void add_processing_options(CLI::App& app, Typed& t, RunSetup& defaults) {
  app.add_option("--rate", t.rate);
  // The rate from the headers is the default; the flag stays for the
  // commands that give it.
  app.add_flag("--rate-from-header", t.rate_from_header);
  app.add_flag("--full-precision", defaults.full_precision,
               "write every number of amp3.csv and the waveform file as the shortest text that "
               "reads back to the same double");
  app.add_flag("--long-records", defaults.long_records,
               "take records longer than 33000 values, transforms up to 2^24 points");
  app.add_flag("--metrics", t.metrics);
  app.add_option("--periods", t.periods);
  app.add_option("--damping", t.damping);
  app.add_option("--ko-bandwidth", t.ko_bandwidth);
}

// Checks the answer options and turns them into the answers they stand for;
// returns a usage error, or nothing.
std::string read_answer_options(const CLI::App& app, const Typed& t, AnswerOptions& a) {
  if (app.count("--flip")) {
    auto flip = parse_flip(t.flip);
    if (!flip) return "--flip takes components among NS, EW and UD, as in --flip NS,UD";
    a.flip = *flip;
  }
  if (app.count("--bandpass")) {
    auto corners = split_numbers(t.bandpass, 4);
    if (!corners) return "--bandpass takes four corner frequencies in Hz, as in 0.1,0.2,20,25";
    a.bandpass = *corners;
  }
  if (app.count("--integrate") && t.differentiate)
    return "--integrate and --differentiate contradict each other";
  if (app.count("--integrate")) {
    if (t.integrate == "once")
      a.operation = 1;
    else if (t.integrate == "twice")
      a.operation = 2;
    else
      return "--integrate takes once or twice, not " + t.integrate;
  }
  if (t.differentiate) a.operation = 3;
  if (app.count("--window")) {
    auto window = split_numbers(t.window, 2);
    if (!window) return "--window takes a start and a length in seconds, as in 10,40";
    a.window = *window;
  }
  if (app.count("--skip")) {
    auto skip = parse_count(t.skip, 1000000000);
    if (!skip) return "--skip takes the number of samples left out between rows, 0 or more";
    a.skip = *skip;
  }
  if (app.count("--waveform")) {
    if (t.waveform.empty() || t.waveform.find_first_not_of(' ') == std::string::npos ||
        t.waveform.find_first_of("\r\n") != std::string::npos)
      return "--waveform takes a file name";
    a.waveform = t.waveform;
  }
  return {};
}

// The dialogue's record files for its names, or a usage error.
std::string read_dialogue_names(const std::vector<std::string>& names, RecordNames& records) {
  const std::string without = "; several stations need --answers or answer options";
  for (const std::string& name : names) {
    if (textio::is_archive_name(name))
      return name +
             " is an archive; archives are read without the dialogue: give --answers or "
             "answer options";
  }
  if (names.size() == 1) {
    std::error_code ec;
    if (std::filesystem::is_directory(names[0], ec)) return names[0] + " is a folder" + without;
    const SetChoice set = choose_set(names[0]);
    if (!set.ambiguity.empty()) return set.ambiguity;
    records = dialogue_records(set.stem, set.sensor);
  } else if (names.size() == 3) {
    records = {names[0], names[1], names[2], false};
  } else if (!names.empty()) {
    return "expected a stem or three record files, got " + std::to_string(names.size()) + " names" +
           without;
  }
  return {};
}

void usage_error(CommandLine& cl, std::string error) {
  cl.action = CommandLine::Action::usage_error;
  cl.error = std::move(error);
}

}  // namespace

std::string usage() {
  return "usage: smproc [STEM | NS EW UD]\n"
         "       smproc (--answers FILE | ANSWER OPTIONS) [-o DIR] [-j N] [STATION...]\n"
         "\n"
         "Processes one three-component strong-motion record: removes the mean, scales\n"
         "counts to physical units, band-passes and integrates or differentiates in the\n"
         "frequency domain, writes \"amp3.csv\" and a waveform CSV. The questions are\n"
         "asked on the console; answers may be piped in, one per line.\n"
         "\n"
         "  (no arguments)          read tky0070410231756.ns, .ew and .ud in this folder\n"
         "  STEM                    read STEM.ns, STEM.ew and STEM.ud (or .NS, .EW, .UD)\n"
         "  STEM.NS1 | STEM.NS2     read a KiK-net station's borehole set (.NS1, .EW1,\n"
         "                          .UD1) or surface set (.NS2, .EW2, .UD2)\n"
         "  NS EW UD                read these three record files, in this order\n"
         "  -o, --out-dir DIR       write the outputs into DIR, created if missing\n"
         "  -h, --help              show this text\n"
         "  --version               show the version\n"
         "\n"
         "Without the dialogue, for one station or a whole event (each option answers\n"
         "its questions; the others are answered no, 0):\n"
         "  --answers FILE          the answers from FILE, one per line, as piped in\n"
         "  --flip NS,EW,UD         reverse the sign of these components\n"
         "  --bandpass F1,F2,F3,F4  trapezoidal band-pass, corners in Hz\n"
         "  --integrate once|twice  acceleration to velocity, or to displacement\n"
         "  --differentiate         velocity to acceleration\n"
         "  --window START,LENGTH   cut a time window, in seconds\n"
         "  --skip N                leave N samples out between written rows\n"
         "  --waveform NAME         the waveform file (default wave.csv)\n"
         "  -j, --jobs N            stations processed at once (default: the cores)\n"
         "  STATION                 a stem, one of its three files, a folder of them, or\n"
         "                          an archive of them (.tar, .tar.gz, .tgz); a KiK-net\n"
         "                          stem is STEM_borehole and STEM_surface\n"
         "With several stations or -o, each station's files and its console.txt go to\n"
         "DIR/STEM/ (DIR: -o, or this folder), and DIR/summary.csv lists every station.\n"
         "\n"
         "The sampling interval is 1/f of the rate the three headers state (Sampling\n"
         "Freq(Hz)); headers that disagree fail the station, and without a rate in any\n"
         "header it is 0.01 s. In every form:\n"
         "  --rate HZ               the records' sampling frequency, whatever the headers\n"
         "                          state (for records whose headers are wrong)\n"
         "  --rate-from-header      the rate from the headers: the default\n"
         "  --full-precision        write every number of the files as the shortest text\n"
         "                          that reads back to the same value\n"
         "  --long-records          take records of more than 32768 samples (up to 2^24);\n"
         "                          the arrays are sized to the record\n"
         "  --metrics               also the intensity measures: metrics.json,\n"
         "                          response_spectra.csv, fas_smoothed.csv beside amp3.csv\n"
         "  --periods LIST          response-spectrum periods, s (or nga-west2)\n"
         "  --damping LIST          fractions of critical damping (default 0.05)\n"
         "  --ko-bandwidth B        Konno-Ohmachi smoothing bandwidth (default 40)\n"
         "\n"
         "example:\n"
         "  smproc data/tky0070410231756 < velocity.answers\n"
         "  smproc --bandpass 0.1,0.2,20,25 --integrate once --waveform vel.csv -o out event/\n";
}

std::string usage_error_text(const std::string& error) {
  return "smproc: " + error + "\nTry 'smproc --help' for more information.\n";
}

CommandLine parse_command_line(const std::vector<std::string>& args) {
  CommandLine cl;
  Typed t;
  CLI::App app{"smproc"};
  app.set_help_flag("-h,--help");
  app.allow_extras();
  bool version = false;
  app.add_flag("--version", version);
  app.add_option("--answers", t.answers);
  app.add_option("--flip", t.flip);
  app.add_option("--bandpass", t.bandpass);
  app.add_option("--integrate", t.integrate);
  app.add_flag("--differentiate", t.differentiate);
  app.add_option("--window", t.window);
  app.add_option("--skip", t.skip);
  app.add_option("--waveform", t.waveform);
  app.add_option("-o,--out-dir", t.out_dir);
  app.add_option("-j,--jobs", t.jobs);
  add_processing_options(app, t, cl.defaults);
  app.add_option("names", t.names);

  // CLI11 takes the arguments last to first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    cl.action = CommandLine::Action::help;
    return cl;
  } catch (const CLI::ParseError& e) {
    usage_error(cl, e.what());
    return cl;
  }
  if (version) {
    cl.action = CommandLine::Action::version;
    return cl;
  }
  for (const std::string& extra : app.remaining()) {
    if (extra != "--") {
      usage_error(cl, "unknown option " + extra);
      return cl;
    }
  }

  if (app.count("--rate")) {
    if (t.rate_from_header) {
      usage_error(cl, "--rate and --rate-from-header contradict each other");
      return cl;
    }
    cl.defaults.rate_hz = parse_rate(t.rate);
    if (!cl.defaults.rate_hz) {
      usage_error(cl, "--rate takes the records' sampling frequency in Hz, a positive number, "
                      "as in --rate 200");
      return cl;
    }
  }

  if (std::string e = read_measure_options(app, t, cl.defaults); !e.empty()) {
    usage_error(cl, e);
    return cl;
  }

  const bool answer_options =
      app.count("--flip") || app.count("--bandpass") || app.count("--integrate") ||
      t.differentiate || app.count("--window") || app.count("--skip") || app.count("--waveform");
  if (app.count("--answers") && answer_options) {
    usage_error(cl, "--answers and answer options (--flip, --bandpass, ...) contradict each other");
    return cl;
  }
  if (std::string e = read_answer_options(app, t, cl.answer_options); !e.empty()) {
    usage_error(cl, e);
    return cl;
  }
  if (app.count("--answers")) {
    if (t.answers.empty()) {
      usage_error(cl, "--answers takes a file name");
      return cl;
    }
    cl.answers_file = t.answers;
  }
  if (app.count("--out-dir")) {
    if (t.out_dir.empty()) {
      usage_error(cl, "-o takes a folder name");
      return cl;
    }
    cl.out_dir = t.out_dir;
  }
  cl.interactive = !app.count("--answers") && !answer_options;
  if (app.count("--jobs")) {
    if (cl.interactive) {
      usage_error(cl, "-j runs stations without the dialogue: give --answers or answer options");
      return cl;
    }
    auto jobs = parse_count(t.jobs, 4096);
    if (!jobs || *jobs < 1) {
      usage_error(cl, "-j takes the number of stations processed at once, 1 or more");
      return cl;
    }
    cl.jobs = *jobs;
  }
  if (cl.interactive) {
    if (std::string e = read_dialogue_names(t.names, cl.names); !e.empty()) usage_error(cl, e);
  } else {
    cl.stations = t.names;
  }
  return cl;
}

}  // namespace smproc
