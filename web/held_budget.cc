#include "web/held_budget.h"

#include <utility>

namespace kalvorden {

HeldCharge::HeldCharge(HeldCharge&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

HeldCharge& HeldCharge::operator=(HeldCharge&& other) noexcept {
  if (this != &other) {
    HeldBudget* const budget = std::exchange(budget_, std::exchange(other.budget_, nullptr));
    const uint64_t bytes = std::exchange(bytes_, std::exchange(other.bytes_, 0));
    if (budget != nullptr) {
      budget->held_.fetch_sub(bytes);
    }
  }
  return *this;
}

void HeldCharge::Reset() {
  if (budget_ != nullptr) {
    budget_->held_.fetch_sub(bytes_);
    budget_ = nullptr;
    bytes_ = 0;
  }
}

HeldCharge HeldBudget::Reserve(uint64_t bytes) {
  uint64_t held = held_.load();
  do {
    if (held + bytes > most_) {
      return {};
    }
  } while (!held_.compare_exchange_weak(held, held + bytes));
  return {this, bytes};
}

HeldCharge HeldBudget::Charge(uint64_t bytes) {
  held_.fetch_add(bytes);
  return {this, bytes};
}

}  // namespace kalvorden
