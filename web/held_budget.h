#pragma once

// What the server's answers hold, in memory or in the scratch directory,
// counted against a bound. A count is a charge: it is made when the bytes
// are taken (a page reserved before it is built, its size once it is) and
// given back when the charge is destroyed, whichever thread or handler
// ends up owning it, so no path can forget to give it back.

#include <atomic>
#include <cstdint>

namespace kalvorden {

class HeldBudget;

// Bytes counted in a budget until this is destroyed or reset. Move-only.
class HeldCharge {
 public:
  HeldCharge() = default;
  ~HeldCharge() { Reset(); }
  HeldCharge(HeldCharge&& other) noexcept;
  // Takes `other`'s bytes first, then gives back its own: moving a page's
  // charge over its reservation never leaves the page uncounted.
  HeldCharge& operator=(HeldCharge&& other) noexcept;
  HeldCharge(const HeldCharge&) = delete;
  HeldCharge& operator=(const HeldCharge&) = delete;

  // False for a reservation that the budget refused.
  explicit operator bool() const { return budget_ != nullptr; }
  void Reset();

 private:
  friend class HeldBudget;
  HeldCharge(HeldBudget* budget, uint64_t bytes) : budget_(budget), bytes_(bytes) {}

  HeldBudget* budget_ = nullptr;
  uint64_t bytes_ = 0;
};

// Safe from any thread.
class HeldBudget {
 public:
  explicit HeldBudget(uint64_t most) : most_(most) {}
  HeldBudget(const HeldBudget&) = delete;
  HeldBudget& operator=(const HeldBudget&) = delete;

  // `bytes` counted if the total stays within the bound; otherwise nothing
  // is counted and the charge is empty (false).
  HeldCharge Reserve(uint64_t bytes);
  // `bytes` counted whatever the total: what exists already (a page built,
  // a small answer) is counted, so that the next reservation sees it.
  HeldCharge Charge(uint64_t bytes);
  // Whether `bytes` more would pass the bound now.
  bool WouldExceed(uint64_t bytes) const { return held_.load() + bytes > most_; }
  // Whether it holds its bound or more.
  bool Full() const { return held_.load() >= most_; }

 private:
  friend class HeldCharge;
  const uint64_t most_;
  std::atomic<uint64_t> held_{0};
};

}  // namespace kalvorden
