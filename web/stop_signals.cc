#include "web/stop_signals.h"

#include <pthread.h>

#include <ctime>

namespace kalvorden {

sigset_t BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  // A hangup (the terminal closed) ends the server as the others do, so
  // its files go with it; unless the server was started with it ignored
  // (nohup), which a blocked signal would no longer be.
  struct sigaction hangup {};
  if (sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler != SIG_IGN) {
    sigaddset(&signals, SIGHUP);
  }
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

StopSignalWatcher::StopSignalWatcher(const sigset_t& signals, std::function<void()> stop)
    : waiter_([this, signals, stop = std::move(stop)] {
        // A poll (0.1 s), so the thread also ends when the watcher does.
        constexpr long kPollNanoseconds = 100000000;
        const timespec poll = {0, kPollNanoseconds};
        while (!ended_.load()) {
          if (sigtimedwait(&signals, nullptr, &poll) >= 0) {
            stop();
            return;
          }
        }
      }) {}

StopSignalWatcher::~StopSignalWatcher() {
  ended_.store(true);
  waiter_.join();
}

}  // namespace kalvorden
