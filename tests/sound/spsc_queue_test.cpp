// The command queue between the game thread and the audio thread.
#include <gtest/gtest.h>

#include <thread>

#include "sound/spsc_queue.h"

namespace vendrel::sound {
namespace {

TEST(SpscQueue, HoldsItsCapacityInOrder) {
  SpscQueue<int> queue(5);  // rounded up to 8
  int pushed = 0;
  while (queue.TryPush(pushed)) ++pushed;
  EXPECT_EQ(pushed, 8);
  int value = -1;
  ASSERT_TRUE(queue.TryPop(value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(queue.TryPush(100));
  EXPECT_FALSE(queue.TryPush(101));
  for (int expected : {1, 2, 3, 4, 5, 6, 7, 100}) {
    ASSERT_NE(queue.Peek(), nullptr);
    EXPECT_EQ(*queue.Peek(), expected);
    queue.Pop();
  }
  EXPECT_TRUE(queue.Empty());
  EXPECT_FALSE(queue.TryPop(value));
}

TEST(SpscQueue, PassesEveryItemInOrderBetweenThreads) {
  SpscQueue<uint64_t> queue(64);
  constexpr uint64_t kCount = 200000;
  std::thread producer([&] {
    for (uint64_t i = 0; i < kCount;)
      if (queue.TryPush(i)) ++i;
      else std::this_thread::yield();
  });
  uint64_t expected = 0, mismatches = 0, value = 0;
  while (expected < kCount) {
    if (queue.TryPop(value)) {
      if (value != expected) ++mismatches;
      ++expected;
    } else {
      std::this_thread::yield();
    }
  }
  producer.join();
  EXPECT_EQ(mismatches, 0u);
  EXPECT_TRUE(queue.Empty());
}

}  // namespace
}  // namespace vendrel::sound
