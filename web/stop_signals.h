#pragma once

// SIGINT, SIGTERM and SIGHUP as a request to stop the server. Nothing runs in a
// signal handler: the signals are blocked in every thread and taken by one
// thread with sigtimedwait, which then calls an ordinary function. They stay
// blocked until the process ends, so a second signal cannot cut the orderly
// stop short; the stop is bounded in time by the server itself.

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace kalvorden {

// Blocks SIGINT, SIGTERM and (unless ignored) SIGHUP in the calling thread,
// and so in every thread it starts afterwards: call it before any other
// thread exists. Returns the set, for the watcher.
sigset_t BlockStopSignals();

// Waits on a thread of its own for one of `signals` and then calls `stop`
// once. The thread ends with the watcher, signal or not.
class StopSignalWatcher {
 public:
  StopSignalWatcher(const sigset_t& signals, std::function<void()> stop);
  ~StopSignalWatcher();
  StopSignalWatcher(const StopSignalWatcher&) = delete;
  StopSignalWatcher& operator=(const StopSignalWatcher&) = delete;

 private:
  std::atomic<bool> ended_{false};
  std::thread waiter_;
};

}  // namespace kalvorden
