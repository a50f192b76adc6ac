// Signals that would end the process, turned into an action of the caller's
// choosing that runs on a thread of its own: remove temporary files and
// then end by the signal, or stop a piece of work gracefully.
#pragma once

#include <pthread.h>
#include <signal.h>

#include <functional>
#include <initializer_list>

namespace smproc {

class SignalWatcher {
 public:
  // Told of each signal as it arrives, on the watcher's thread; it must not
  // throw. It may end the process (see end_by_signal) or return to go on
  // watching.
  using Action = std::function<void(int signal)>;

  // Blocks the signals in the calling thread and watches for them, all but
  // those ignored at the time, which stay ignored. Create it
  // before any other thread starts, so that every thread leaves them to the
  // watcher. When no thread can be started, the signals keep their usual
  // effect and watching() is false.
  SignalWatcher(std::initializer_list<int> signals, Action action);
  // Stops watching and restores the signal mask, so that a signal still
  // pending takes its usual effect.
  ~SignalWatcher();
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

  bool watching() const { return started_; }

 private:
  static void* watch(void* self);
  void give_up() noexcept;

  Action action_;
  sigset_t set_;
  sigset_t previous_;
  int signal_fd_ = -1;
  int stop_fd_ = -1;
  pthread_t thread_{};
  bool started_ = false;
};

// Ends the process as the signal's default disposition does, from any
// thread, so that whoever started it sees the signal as the cause.
[[noreturn]] void end_by_signal(int signal);

}  // namespace smproc
