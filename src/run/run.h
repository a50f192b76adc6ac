// One run of the dialogue over one record set, as a plain function call.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "metrics/column.h"
#include "metrics/intensity_measures.h"
#include "records/constants.h"
#include "records/record_header.h"
#include "records/series.h"
#include "run/state.h"
#include "textio/console.h"
#include "files/files.h"
#include "files/temp_files.h"
#include "textio/warnings.h"

namespace smproc {

// A record's text held in memory (a member read from an archive), and the
// archive it came from, which no output may replace.
struct RecordBytes {
  std::shared_ptr<const std::string> text;
  std::string archive;
};

// The three component record files, NS, EW, UD.
struct RecordNames {
  RecordNames() = default;
  RecordNames(std::string ns_file, std::string ew_file, std::string ud_file, bool create = true)
      : ns(std::move(ns_file)),
        ew(std::move(ew_file)),
        ud(std::move(ud_file)),
        create_missing(create) {}

  std::string ns = std::string(default_stem) + ".ns";
  std::string ew = std::string(default_stem) + ".ew";
  std::string ud = std::string(default_stem) + ".ud";
  // The fixed names are created empty when missing (their first read then
  // meets the end of the file); names a user gave are reported instead.
  bool create_missing = true;
  // Where a component's text is set, the record is read from it, and its
  // name ("ARCHIVE:MEMBER") only names it in reports and warnings.
  PerComponent<RecordBytes> in_memory{};
};

// A block of answers that many runs read without each holding a copy.
class AnswerText {
 public:
  AnswerText() = default;
  AnswerText(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {}
  AnswerText(const char* text) : AnswerText(std::string(text)) {}
  AnswerText(std::shared_ptr<const std::string> text) : text_(std::move(text)) {}
  explicit operator bool() const { return text_ != nullptr; }
  const std::string& operator*() const { return *text_; }

 private:
  std::shared_ptr<const std::string> text_;
};

// Where the answers come from: a descriptor, or a block of text.
struct AnswerSource {
  int fd = 0;        // read, never closed
  AnswerText text;   // when set, the answers instead of fd
  std::string file;  // the file the text was read from, which no output may replace
};

// Where the console text goes: a descriptor, or a text in memory.
struct ConsoleSink {
  int fd = 1;                     // written, never closed
  std::string* text = nullptr;    // when set, the console text is appended here instead
};

// Everything one run needs from outside.
struct RunSetup {
  RecordNames records;
  AnswerSource answers;
  ConsoleSink console;
  // The folder "amp3.csv" and the waveform file go to (relative names);
  // empty: the working folder.
  std::filesystem::path out_dir;
  // Told of each warning as it arises.
  textio::Warnings::Listener on_warning;
  // Where the temporary names of output files are registered, so that a
  // signal can remove them; none: not registered.
  textio::TempFiles* temporaries = nullptr;
  // The records' sampling frequency, Hz, whatever their headers state
  // (--rate); none: the frequency the three headers state ("Sampling
  // Freq(Hz)"), which must agree, or 100 Hz when none states one.
  std::optional<double> rate_hz;
  // The output files write every number as the shortest text that reads back
  // to the same double, instead of in the fixed-width fields.
  bool full_precision = false;
  // Records longer than 33000 values and transforms longer than 32768 points
  // (up to 2^24) are taken, the run's arrays sized to the record.
  bool long_records = false;
  // The intensity measures and their files beside amp3.csv; none: not asked.
  std::optional<MeasureOptions> measures;
  // The outcome carries the run's summary (the registered metrics' columns),
  // which a table of many runs shows; a single run shows none.
  bool summarize = true;
  // Room for the run's large arrays that runs one after another share, each
  // starting it over; none: the run maps its own.
  Arena* memory = nullptr;
};

// The opt-in features as the steps take them; all off, a run is the dialogue
// as it always was.
struct RunOptions {
  std::optional<double> rate_hz;  // --rate, Hz; none: the headers' rate
  bool full_precision = false;
  bool long_records = false;
  // The intensity measures and their files beside amp3.csv; none: not asked.
  const MeasureOptions* measures = nullptr;
};

// What a run found, for a table of many runs: every registered metric's
// columns, empty where the run did not get so far.
using RunSummary = StationResult;

// Why a run failed, for code that must tell failures apart without reading
// their reports.
enum class RunFailure {
  none,           // the run ended normally
  read_or_write,  // a text read or write failed: the text layer's report
  refused,        // the run would give no good result (too long, rates that disagree, not finite)
  out_of_memory,
  internal,       // anything else the run threw
};

struct RunOutcome {
  int status = 0;      // the exit status: 0, or 2 after a failure
  RunFailure failure = RunFailure::none;
  std::string report;  // the failure report, when the run failed
  std::vector<std::string> warnings;
  RunSummary summary;
  // The intensity measures, when they were asked for and the run got so far.
  std::shared_ptr<const IntensityMeasures> measures;
};

// Runs the whole dialogue over one record set. Nothing outside the setup is
// read or changed, so runs on different record sets and folders may go on
// at the same time.
RunOutcome run_record_set(const RunSetup& setup);

// The steps of a run in their order over a state and a console; returns the
// exit status. A failed read or write throws textio::Failure.
int run_steps(State& s, textio::Console& con, const RecordNames& names,
              const textio::OutputPlace& place, textio::Warnings& warnings,
              const RunOptions& options = {});

// The summary of a run's state, as far as the run got: the registered
// metrics over its records' facts and the series its waveform file holds.
RunSummary summarize(const State& s);

}  // namespace smproc
