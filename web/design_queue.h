#pragma once

// The designs of the web page, run on a few worker threads of their own so
// that a queue of long designs never holds up the cheap pages, which the
// connection thread answers at once. A design waits in the queue until a
// worker is free; the connection may withdraw it while it waits (the wait
// was too long, the client has gone, the server stops), and may ask a
// running design to stop, which it does after its current case.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kalvorden {

class DesignTicket {
 public:
  using Work = std::function<void(const DesignTicket&)>;
  explicit DesignTicket(Work work) : work_(std::move(work)) {}

  // Takes the design out of the queue before a worker starts it; false when
  // one already has (it then runs to its end, or until Cancel).
  bool Withdraw();
  // From now on keepGoing() says no.
  void Cancel() { cancelled_.store(true); }
  bool keepGoing() const { return !cancelled_.load(); }
  bool withdrawn() const { return state_.load() == kWithdrawn; }

 private:
  friend class DesignQueue;
  enum State : int { kQueued, kRunning, kWithdrawn };
  // The worker's claim; false when the design was withdrawn first.
  bool Begin();

  Work work_;
  std::atomic<int> state_{kQueued};
  std::atomic<bool> cancelled_{false};
};

class DesignQueue {
 public:
  explicit DesignQueue(int workers);
  ~DesignQueue();
  DesignQueue(const DesignQueue&) = delete;
  DesignQueue& operator=(const DesignQueue&) = delete;

  void Submit(std::shared_ptr<DesignTicket> ticket);
  // Cancels the running designs, drops the queued ones and waits for the
  // workers to end. A design stops after the case it is on, but a file's
  // first part (a PDF's index of every case) is written in one piece: with
  // `grace`, the wait ends after it, and false says that a worker was still
  // busy (it is waited for by the destructor).
  bool Stop(std::optional<std::chrono::milliseconds> grace = std::nullopt);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable finished_;
  std::deque<std::shared_ptr<DesignTicket>> queue_;
  std::vector<std::shared_ptr<DesignTicket>> running_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace kalvorden
