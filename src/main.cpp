// smproc: processes one three-component strong-motion acceleration record.
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "run/command_line.h"
#include "textio/console.h"
#include "textio/failure.h"
#include "textio/files.h"
#include "run/run.h"
#include "run/state.h"

namespace {

// Characters in one answer line; a longer line ends the run with a report
// rather than being read for ever.
constexpr std::size_t answer_limit = 1 << 20;

void to_stderr(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace smproc;
  // A closed console is a write failure to report, not a signal to die of.
  std::signal(SIGPIPE, SIG_IGN);

  CommandLine cl = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
  switch (cl.action) {
    case CommandLine::Action::help:
      std::fputs(usage().c_str(), stdout);
      return 0;
    case CommandLine::Action::version:
      std::fputs("smproc " SMPROC_VERSION "\n", stdout);
      return 0;
    case CommandLine::Action::usage_error:
      to_stderr("smproc: " + cl.error + "\n" + usage());
      return 2;
    case CommandLine::Action::run:
      break;
  }

  // The answers, when they come from a file, are an input no output may replace.
  textio::OutputPlace place;
  place.keep(0, "standard input");

  auto state = std::make_unique<State>();
  textio::Console con(textio::Input(0, textio::unit_console_in, std::nullopt),
              textio::Output(1, textio::unit_console_out, std::nullopt, false));
  con.in.describe("console input");
  con.in.limit_line(answer_limit);
  con.out.describe("console output");
  try {
    int status = run(*state, con, cl.names, place);
    con.out.flush();
    return status;
  } catch (const textio::Failure& f) {
    // Files of the failed step were flushed, cut and put in place as the
    // stack unwound.
    try {
      con.out.flush();
    } catch (const textio::Failure&) {
    }
    to_stderr(textio::report(f));
    return 2;
  } catch (const std::exception& e) {
    to_stderr(std::string("smproc: ") + e.what() + "\n");
    return 2;
  }
}
