#include "library/block_sequence.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vendrel::library {
namespace {

// Random insertions and removals at random positions, first growing the
// sequence over many blocks, then shrinking it to nothing (blocks split,
// empty and merge), checked against a plain vector after every step.
TEST(BlockSequence, BehavesLikeAVector) {
  std::mt19937 random(99);
  BlockSequence<int> sequence;
  std::vector<int> reference;
  for (int step = 0; step < 12000; ++step) {
    bool growing = step < 7000;
    bool insert = reference.empty() || random() % 10 < (growing ? 8u : 2u);
    if (insert) {
      size_t at = random() % (reference.size() + 1);
      if (step % 5 == 0) at = reference.size();  // appends too
      sequence.insert(at, step);
      reference.insert(reference.begin() + std::ptrdiff_t(at), step);
    } else {
      size_t at = random() % reference.size();
      sequence.erase(at);
      reference.erase(reference.begin() + std::ptrdiff_t(at));
    }
    ASSERT_EQ(sequence.size(), reference.size()) << "step " << step;
    // Spot checks each step, a full comparison now and then.
    if (!reference.empty()) {
      size_t probe = random() % reference.size();
      ASSERT_EQ(sequence[probe], reference[probe]) << "step " << step;
    }
    if (step % 500 == 0 || step > 11900) {
      std::vector<int> walked;
      sequence.ForEach([&](int value) { walked.push_back(value); });
      ASSERT_EQ(walked, reference) << "step " << step;
      for (size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(sequence[i], reference[i]);
    }
  }
  while (!reference.empty()) {
    sequence.erase(0);
    reference.erase(reference.begin());
  }
  EXPECT_TRUE(sequence.empty());
  sequence.push_back(5);
  EXPECT_EQ(sequence[0], 5);
  sequence[0] = 6;
  EXPECT_EQ(sequence[0], 6);
  sequence.clear();
  EXPECT_EQ(sequence.size(), 0u);
}

}  // namespace
}  // namespace vendrel::library
