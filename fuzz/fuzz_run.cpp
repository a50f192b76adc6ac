// The whole run over fuzzed record files and answers. The input is four
// parts separated by the line "@@": the NS, EW and UD records, then the
// answers (missing parts are empty). The records lie in a private folder
// and the run writes its outputs there; the folder is emptied after each
// input. Answers holding '/' or ".." are passed over, so no typed file name
// reaches outside that folder. An input without
// carriage returns runs a second time with CR LF line ends in records and
// answers, and must give the same console text, files and outcome.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "run/run.h"

using namespace smproc;

namespace {

constexpr std::string_view separator = "@@\n";

std::string read_fd(int fd) {
  std::string all;
  char buf[1 << 16];
  off_t at = 0;
  for (ssize_t got; (got = ::pread(fd, buf, sizeof buf, at)) > 0; at += got)
    all.append(buf, static_cast<std::size_t>(got));
  return all;
}

struct Outcome {
  int status = -1;                           // the exit status
  std::string failure;                       // the failure report of a run that failed
  std::string console;                       // everything written to the console
  std::map<std::string, std::string> files;  // what the run wrote, by name

  bool operator==(const Outcome&) const = default;
};

// One run in the folder over the records and answers; collects what it
// wrote and empties the folder.
Outcome run_once(const std::string& folder, const std::array<std::string, 4>& part) {
  const RecordNames names{folder + "/tky0070410231756.ns", folder + "/tky0070410231756.ew",
                          folder + "/tky0070410231756.ud", true};
  fuzz::write_file(names.ns, part[0]);
  fuzz::write_file(names.ew, part[1]);
  fuzz::write_file(names.ud, part[2]);
  Outcome o;
  RunSetup setup;
  setup.records = names;
  setup.answers.text = part[3];
  setup.console.text = &o.console;
  setup.out_dir = folder;
  const RunOutcome r = run_record_set(setup);
  o.status = r.status;
  o.failure = r.report;
  for (const std::string& name : fuzz::file_names(folder)) {
    const std::string path = folder + "/" + name;
    if (path == names.ns || path == names.ew || path == names.ud) continue;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fuzz::defect("cannot read a file the run wrote");
    o.files[name] = read_fd(fd);
    ::close(fd);
  }
  fuzz::remove_files(folder);
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::as_text(data, size);
  std::string_view rest = bytes;
  std::array<std::string, 4> part;
  for (int k = 0; k < 3; ++k) {
    auto at = rest.find(separator);
    part[k] = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + separator.size());
  }
  part[3] = rest;
  if (part[3].find('/') != std::string::npos || part[3].find("..") != std::string::npos) return 0;

  const std::string& folder = fuzz::temp_folder();
  const Outcome lf = run_once(folder, part);
  if (lf.failure.empty() && lf.status != 0) fuzz::defect("run ended with a status other than 0");
  if (bytes.find('\r') == std::string_view::npos) {
    for (std::string& p : part) p = fuzz::with_crlf(p);
    if (!(run_once(folder, part) == lf)) fuzz::defect("CR LF line ends run otherwise than LF line ends");
  }
  return 0;
}
