#include "web/design_queue.h"

#include <algorithm>
#include <iterator>

namespace kalvorden {

bool DesignTicket::Withdraw() {
  int expected = kQueued;
  return state_.compare_exchange_strong(expected, kWithdrawn) || expected == kWithdrawn;
}

bool DesignTicket::Begin() {
  int expected = kQueued;
  return state_.compare_exchange_strong(expected, kRunning);
}

DesignQueue::DesignQueue(int workers) {
  for (int i = 0; i < std::max(1, workers); ++i) {
    workers_.emplace_back([this] { Work(); });
  }
}

DesignQueue::~DesignQueue() {
  Stop();
}

void DesignQueue::Submit(std::shared_ptr<DesignTicket> ticket) {
  // A withdrawn design keeps what its work holds (the connection and its
  // buffers) until it leaves the queue; while every worker is busy, clients
  // that ask and leave would pile these up without bound. They leave here,
  // so the queue never holds more designs than there are connections
  // waiting, and are let go after the lock.
  std::vector<std::shared_ptr<DesignTicket>> withdrawn;
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) {
      ticket->Withdraw();
      return;
    }
    const auto kept = std::stable_partition(
        queue_.begin(), queue_.end(), [](const auto& queued) { return !queued->withdrawn(); });
    std::move(kept, queue_.end(), std::back_inserter(withdrawn));
    queue_.erase(kept, queue_.end());
    queue_.push_back(std::move(ticket));
  }
  ready_.notify_one();
}

bool DesignQueue::Stop(std::optional<std::chrono::milliseconds> grace) {
  std::unique_lock lock(mutex_);
  stopping_ = true;
  for (const auto& ticket : queue_) {
    ticket->Withdraw();
  }
  queue_.clear();
  for (const auto& ticket : running_) {
    ticket->Cancel();
  }
  ready_.notify_all();
  const auto idle = [this] { return running_.empty(); };
  if (!grace) {
    finished_.wait(lock, idle);
  } else if (!finished_.wait_for(lock, *grace, idle)) {
    return false;
  }
  lock.unlock();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) {
      worker.join();
    }
  }
  return true;
}

void DesignQueue::Work() {
  for (;;) {
    std::shared_ptr<DesignTicket> ticket;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) {
        return;
      }
      ticket = std::move(queue_.front());
      queue_.pop_front();
      if (!ticket->Begin()) {
        continue;  // withdrawn while it waited
      }
      running_.push_back(ticket);
    }
    ticket->work_(*ticket);
    const std::lock_guard lock(mutex_);
    running_.erase(std::find(running_.begin(), running_.end(), ticket));
    finished_.notify_all();
  }
}

}  // namespace kalvorden
