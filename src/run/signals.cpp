#include "run/signals.h"

#include <poll.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace smproc {

namespace {

// The watcher only waits and removes files: a small stack will do.
constexpr std::size_t watcher_stack = 256 * 1024;

}  // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signals, Action action)
    : action_(std::move(action)) {
  sigemptyset(&set_);
  // A signal ignored at start (as nohup ignores SIGHUP) stays ignored: whoever
  // started the process chose so.
  for (int s : signals) {
    struct sigaction now {};
    if (sigaction(s, nullptr, &now) == 0 && now.sa_handler == SIG_IGN) continue;
    sigaddset(&set_, s);
  }
  if (pthread_sigmask(SIG_BLOCK, &set_, &previous_) != 0) return;
  signal_fd_ = signalfd(-1, &set_, SFD_CLOEXEC);
  stop_fd_ = eventfd(0, EFD_CLOEXEC);
  pthread_attr_t attr;
  bool attr_ok = pthread_attr_init(&attr) == 0;
  if (attr_ok) pthread_attr_setstacksize(&attr, watcher_stack);
  // It sleeps nearly all the time. Kept on the processor it was started
  // from, the wake-ups of its stop and of the process's exit are a switch
  // there rather than a call to another processor, which virtual machines
  // answer slowly.
  const int cpu = sched_getcpu();
  if (attr_ok && cpu >= 0 && cpu < CPU_SETSIZE) {
    cpu_set_t here;
    CPU_ZERO(&here);
    CPU_SET(cpu, &here);
    pthread_attr_setaffinity_np(&attr, sizeof here, &here);
  }
  started_ = signal_fd_ >= 0 && stop_fd_ >= 0 && attr_ok &&
             pthread_create(&thread_, &attr, &SignalWatcher::watch, this) == 0;
  if (attr_ok) pthread_attr_destroy(&attr);
  if (!started_) give_up();
}

SignalWatcher::~SignalWatcher() {
  if (!started_) return;
  const std::uint64_t one = 1;
  while (::write(stop_fd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
  pthread_join(thread_, nullptr);
  give_up();
}

void SignalWatcher::give_up() noexcept {
  if (signal_fd_ >= 0) ::close(signal_fd_);
  if (stop_fd_ >= 0) ::close(stop_fd_);
  signal_fd_ = stop_fd_ = -1;
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void* SignalWatcher::watch(void* self) {
  auto* w = static_cast<SignalWatcher*>(self);
  for (;;) {
    pollfd fds[2] = {{w->signal_fd_, POLLIN, 0}, {w->stop_fd_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return nullptr;
    }
    // A signal that came before the stop is still acted on.
    if (fds[0].revents & POLLIN) {
      signalfd_siginfo info;
      if (::read(w->signal_fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        try {
          w->action_(static_cast<int>(info.ssi_signo));
        } catch (...) {
        }
      }
      continue;
    }
    if (fds[1].revents != 0) return nullptr;
  }
}

void end_by_signal(int signal) {
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(signal, &dfl, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  ::raise(signal);
  // A signal whose default is not to end the process.
  ::_exit(128 + signal);
}

}  // namespace smproc
