#include "model/controller/asm_priority.h"

#include <gtest/gtest.h>

#include <thread>

#include "model/controller/clock_mode.h"

namespace velora {
namespace {

TEST(AsmPriorityController, ManualSetsModeAndPriorityAutoRestoresTen) {
  set_asm_pri_to_manual(42);
  EXPECT_EQ(get_asm_pri_mode(), AsmNodePriorityMode::Manual);
  EXPECT_EQ(get_cur_priority(), 42);
  EXPECT_EQ(mode_text(get_asm_pri_mode()), "Manual");
  set_asm_pri_to_auto();
  EXPECT_EQ(get_asm_pri_mode(), AsmNodePriorityMode::Auto);
  EXPECT_EQ(get_cur_priority(), 10);
  EXPECT_EQ(mode_text(get_asm_pri_mode()), "Auto");
}

TEST(AsmPriorityController, EachThreadHasItsOwnModeAndPriority) {
  set_asm_pri_to_manual(-7);
  AsmNodePriorityMode other_mode = AsmNodePriorityMode::Manual;
  std::int32_t other_priority = 0;
  std::thread worker([&] {
    other_mode = get_asm_pri_mode();
    other_priority = get_cur_priority();
    set_asm_pri_to_manual(99);
  });
  worker.join();
  EXPECT_EQ(other_mode, AsmNodePriorityMode::Auto);
  EXPECT_EQ(other_priority, 10);
  EXPECT_EQ(get_cur_priority(), -7);  // the worker's change stayed on its thread
  set_asm_pri_to_auto();
}

TEST(ClockMode, ValuesAndDebugForms) {
  EXPECT_EQ(static_cast<int>(ClockMode::PosEdge), 0);
  EXPECT_EQ(static_cast<int>(ClockMode::ClkUnused), 3);
  EXPECT_EQ(variant_name(ClockMode::NegEdge), "NegEdge");
  EXPECT_EQ(variant_name(ClockMode::ClkFree), "ClkFree");
  EXPECT_TRUE(is_edge(ClockMode::PosEdge));
  EXPECT_FALSE(is_edge(ClockMode::ClkUnused));
}

}  // namespace
}  // namespace velora
