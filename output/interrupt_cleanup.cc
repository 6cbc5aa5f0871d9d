#include "output/interrupt_cleanup.h"

#include <atomic>
#include <climits>
#include <cstring>

#include <pthread.h>
#include <unistd.h>

namespace kalvorden {
namespace {

// Far more than a command-line run has at once (the report, the CSV, the
// text and the PDF).
constexpr int kSlots = 16;

// A slot's life: claimed (kFilling) while its name is copied in, noted while
// the file exists, free again once the file is renamed or removed. The
// handler takes a noted slot (kRemoving) before it reads the name, so no
// other thread can claim the slot and rewrite the name under it.
enum SlotState : int { kFree, kFilling, kNoted, kRemoving };

struct Slot {
  std::atomic<int> state{kFree};
  char name[PATH_MAX];
};

// Lock-free atomics are what a handler may touch besides its own locals.
static_assert(std::atomic<int>::is_always_lock_free);

Slot slots[kSlots];

sigset_t InterruptSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

extern "C" void RemoveTemporaryFilesAndEnd(int signal) {
  for (Slot& slot : slots) {
    int noted = kNoted;
    if (slot.state.compare_exchange_strong(noted, kRemoving)) {
      unlink(slot.name);
    }
  }
  // The default disposition, then the same signal again, unblocked: the
  // process ends as the signal alone would have ended it, so its parent
  // learns which signal it was.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  _exit(128 + signal);  // not reached: the signal has ended the process
}

}  // namespace

int RememberTemporaryFile(const std::string& name) {
  if (name.size() >= PATH_MAX) {
    return -1;
  }
  for (int i = 0; i < kSlots; ++i) {
    int free = kFree;
    if (slots[i].state.compare_exchange_strong(free, kFilling)) {
      std::memcpy(slots[i].name, name.c_str(), name.size() + 1);
      slots[i].state.store(kNoted);
      return i;
    }
  }
  return -1;
}

void ForgetTemporaryFile(int slot) {
  if (slot >= 0 && slot < kSlots) {
    int noted = kNoted;
    slots[slot].state.compare_exchange_strong(noted, kFree);
  }
}

void RemoveTemporaryFilesOnInterrupt() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 ||
        ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN)) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryFilesAndEnd;
    // One interrupt's removal is not cut short by another's.
    action.sa_mask = InterruptSignals();
    sigaction(signal, &action, nullptr);
  }
}

InterruptsHeld::InterruptsHeld() {
  const sigset_t signals = InterruptSignals();
  pthread_sigmask(SIG_BLOCK, &signals, &previous_);
}

InterruptsHeld::~InterruptsHeld() {
  if (!keep_) {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
}

}  // namespace kalvorden
