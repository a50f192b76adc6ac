// The whole run over fuzzed record files and answers. The input is four
// parts separated by the line "@@": the NS, EW and UD records, then the
// answers (missing parts are empty). The run works in a private folder
// that is emptied after each input; answers holding '/' or ".." are passed
// over, so no typed file name reaches outside that folder. An input without
// carriage returns runs a second time with CR LF line ends in records and
// answers, and must give the same console text, files and outcome.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "run/run.h"

using namespace smproc;

namespace {

constexpr std::string_view separator = "@@\n";
const RecordNames names;

std::string read_fd(int fd) {
  std::string all;
  char buf[1 << 16];
  off_t at = 0;
  for (ssize_t got; (got = ::pread(fd, buf, sizeof buf, at)) > 0; at += got)
    all.append(buf, static_cast<std::size_t>(got));
  return all;
}

struct Outcome {
  int status = -1;                           // the exit status of a run that ended normally
  std::string failure;                       // the failure report of one that did not
  std::string console;                       // everything written to the console
  std::map<std::string, std::string> files;  // what the run wrote, by name

  bool operator==(const Outcome&) const = default;
};

// One run in the current folder over the records and answers; collects what
// it wrote and empties the folder.
Outcome run_once(const std::array<std::string, 4>& part) {
  fuzz::write_file(names.ns, part[0]);
  fuzz::write_file(names.ew, part[1]);
  fuzz::write_file(names.ud, part[2]);
  Outcome o;
  const int screen = memfd_create("smproc-fuzz-console", MFD_CLOEXEC);
  if (screen < 0) fuzz::defect("memfd_create failed");
  {
    auto s = std::make_unique<State>();
    textio::Console con(textio::Input::from_text(part[3], textio::unit_console_in, std::nullopt),
                textio::Output(::dup(screen), textio::unit_console_out, std::nullopt, false));
    try {
      o.status = run(*s, con, names);
      con.out.flush();
    } catch (const textio::Failure& f) {
      // The expected outcome of a bad record or answer.
      o.failure = textio::report(f);
    }
  }  // open files close here
  o.console = read_fd(screen);
  ::close(screen);
  for (const std::string& name : fuzz::file_names(".")) {
    if (name == names.ns || name == names.ew || name == names.ud) continue;
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fuzz::defect("cannot read a file the run wrote");
    o.files[name] = read_fd(fd);
    ::close(fd);
  }
  fuzz::remove_files(".");
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // libFuzzer reads and writes its corpus relative to the folder it started
  // in, so each input goes into the run folder and comes back out.
  static const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);

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

  if (home < 0 || ::chdir(fuzz::temp_folder().c_str()) != 0)
    fuzz::defect("cannot enter the run folder");
  const Outcome lf = run_once(part);
  if (lf.failure.empty() && lf.status != 0) fuzz::defect("run ended with a status other than 0");
  if (bytes.find('\r') == std::string_view::npos) {
    for (std::string& p : part) p = fuzz::with_crlf(p);
    if (!(run_once(part) == lf)) fuzz::defect("CR LF line ends run otherwise than LF line ends");
  }
  if (::fchdir(home) != 0) fuzz::defect("cannot leave the run folder");
  return 0;
}
