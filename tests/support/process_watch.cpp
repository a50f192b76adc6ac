#include "support/process_watch.h"

#include <sys/syscall.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/run_binary.h"

namespace smproc::testing {

namespace fs = std::filesystem;

void wait_until_taken(pid_t pid) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < until) {
    const std::string status = read_file("/proc/" + std::to_string(pid) + "/status");
    const auto at = status.find("ShdPnd:");
    if (at == std::string::npos ||
        status.substr(at + 7, status.find('\n', at) - at - 7).find_first_not_of("\t 0") ==
            std::string::npos)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  // The watcher acts on the signal just after it reads it.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

bool writing_to_stderr(pid_t pid) {
  std::error_code ec;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    if (read_file(task.path() / "syscall").rfind(std::to_string(SYS_write) + " 0x2 ", 0) == 0)
      return true;
  }
  return false;
}

}  // namespace smproc::testing
