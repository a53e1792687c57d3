#include "common/arena_base.h"

#include <gtest/gtest.h>

#include "support/error_capture.h"

#include <string>

namespace velora {
namespace {

struct Item {
  ArenaHandle handle = ArenaHandle::nothing();
  std::string payload;
  void set_arena_handle(const ArenaHandle& h) { handle = h; }
};


TEST(ArenaGroup, InsertHandsOutSequentialHandlesAndWritesThemIntoTheEntity) {
  ArenaGroup<Item> group;
  ArenaHandle a = group.insert(Item{{}, "a"});
  ArenaHandle b = group.insert(Item{{}, "b"});
  EXPECT_EQ(a, (ArenaHandle{0, 0}));
  EXPECT_EQ(b, (ArenaHandle{1, 0}));
  EXPECT_EQ(group.get(a).handle, a);
  EXPECT_EQ(group.get(b).payload, "b");
}

TEST(ArenaGroup, HandleErrors) {
  ArenaGroup<Item> group;
  group.insert(Item{{}, "a"});
  EXPECT_EQ(fatal_message([&] { group.take_raw(ArenaHandle{1, 0}); }), "ArenaHandle index out of range");
  EXPECT_EQ(fatal_message([&] { group.take_raw(ArenaHandle::nothing()); }),
            "left and right values differ: ArenaHandle generation mismatch\n  left: 0\n right: 4294967295");
}

TEST(ArenaGroup, TakenGuardPutsTheEntityBackWhenAnErrorUnwinds) {
  ArenaGroup<Item> group;
  ArenaHandle h = group.insert(Item{{}, "kept"});
  try {
    auto taken = group.take(h);
    EXPECT_TRUE(group.is_taken(h));
    EXPECT_EQ(group.get(h).payload, "");  // placeholder
    taken->payload = "changed";
    fatal("boom");
  } catch (const Error&) {
  }
  EXPECT_FALSE(group.is_taken(h));
  EXPECT_EQ(group.get(h).payload, "changed");
}

TEST(ArenaGroup, TakingTwiceAndPuttingBackUntakenAreRefusedWithoutLosingTheEntity) {
  ArenaGroup<Item> group;
  ArenaHandle h = group.insert(Item{{}, "x"});
  {
    auto taken = group.take(h);
    EXPECT_NE(fatal_message([&] { group.take_raw(h); }).find("already taken"), std::string::npos);
  }
  EXPECT_NE(fatal_message([&] { group.replace_back(h, Item{}); }).find("not taken"), std::string::npos);
  EXPECT_EQ(group.get(h).payload, "x");
}

TEST(ArenaGroup, GuardSurvivesGrowthOfTheGroupWhileTaken) {
  ArenaGroup<Item> group;
  ArenaHandle h = group.insert(Item{{}, "first"});
  {
    auto taken = group.take(h);
    for (int i = 0; i < 1000; ++i) group.insert(Item{{}, std::to_string(i)});
    taken->payload = "after growth";
  }
  EXPECT_EQ(group.get(h).payload, "after growth");
  EXPECT_EQ(group.size(), 1001u);
}

}  // namespace
}  // namespace velora
