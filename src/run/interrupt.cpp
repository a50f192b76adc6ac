#include "run/interrupt.h"

#include <pthread.h>

namespace smproc {

InterruptWatcher::InterruptWatcher() {
  sigemptyset(&signals_);
  for (int sig : {SIGINT, SIGTERM}) {
    // A signal the process was started to ignore (as by nohup) stays ignored.
    struct sigaction action {};
    if (sigaction(sig, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) continue;
    sigaddset(&signals_, sig);
    wake_ = sig;
  }
  pthread_sigmask(SIG_BLOCK, &signals_, &old_mask_);
  if (wake_ != 0) thread_ = std::thread([this] { watch(); });
}

InterruptWatcher::~InterruptWatcher() {
  if (thread_.joinable()) {
    // Wakes the watching thread with a signal meant for it alone.
    closing_.store(true);
    pthread_kill(thread_.native_handle(), wake_);
    thread_.join();
  }
  // A signal that came meanwhile now acts as it would have without the watcher.
  pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
}

void InterruptWatcher::watch() {
  for (;;) {
    int sig = 0;
    if (sigwait(&signals_, &sig) != 0) continue;
    if (closing_.load()) return;
    if (stop_.load() == 0) {
      stop_.store(sig);
      continue;
    }
    // A second signal: the user means it. Let it take its default action.
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(sig);
    return;
  }
}

}  // namespace smproc
