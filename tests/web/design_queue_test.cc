#include "web/design_queue.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>

namespace {

using kalvorden::DesignQueue;
using kalvorden::DesignTicket;

// While every worker is busy, designs whose clients have gone (withdrawn)
// leave the queue at the next submission and let go of what their work
// holds, instead of piling up until a worker is free.
TEST(DesignQueue, WithdrawnDesignsLetGoOfWhatTheyHoldWhileTheWorkersAreBusy) {
  DesignQueue queue(1);
  std::promise<void> started;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  queue.Submit(std::make_shared<DesignTicket>([&started, released](const DesignTicket&) {
    started.set_value();
    released.wait();
  }));
  started.get_future().wait();

  const auto held = std::make_shared<int>(0);  // stands for a connection
  for (int i = 0; i < 100; ++i) {
    const auto ticket = std::make_shared<DesignTicket>([held](const DesignTicket&) {});
    queue.Submit(ticket);
    ASSERT_TRUE(ticket->Withdraw());
  }
  queue.Submit(std::make_shared<DesignTicket>([](const DesignTicket&) {}));
  EXPECT_EQ(held.use_count(), 1);
  release.set_value();
}

}  // namespace
