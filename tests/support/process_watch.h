// Watching a running program from outside, through /proc (Linux only): for
// tests that hold it in the middle of its work and signal it there.
#pragma once

#include <sys/types.h>

namespace smproc::testing {

// Waits until no signal sent to the process waits to be taken: its watcher
// has read it (30 s at most).
void wait_until_taken(pid_t pid);

// True when a thread of the process waits in a write to its standard error.
bool writing_to_stderr(pid_t pid);

}  // namespace smproc::testing
