// Ctrl-C and SIGTERM as a request to stop: no thread is cut short by them.
#pragma once

#include <signal.h>

#include <atomic>
#include <thread>

namespace smproc {

// Blocks SIGINT and SIGTERM in the creating thread, and so in every thread it
// starts later, and waits for them in a thread of its own. The first one sets
// stop() to its number; a second one ends the process as it would have
// without the watcher. Create it before any other thread starts.
class InterruptWatcher {
 public:
  InterruptWatcher();
  ~InterruptWatcher();
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  // 0 while no signal came, else the signal's number.
  const std::atomic<int>& stop() const { return stop_; }

 private:
  void watch();

  std::atomic<int> stop_{0};
  std::atomic<bool> closing_{false};
  sigset_t signals_;  // those watched: SIGINT and SIGTERM unless ignored
  int wake_ = 0;      // a watched signal, sent to end the watching thread
  sigset_t old_mask_;
  std::thread thread_;
};

}  // namespace smproc
