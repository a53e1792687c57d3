// Shared helpers of the component, event and merge-pool tests.
#pragma once

#include <gtest/gtest.h>

#include "support/error_capture.h"

#include <string>

#include "common/error.h"
#include "model/controller/asm_priority.h"
#include "model/model_arena.h"

namespace velora::hw_test {


/// The heading line of a failed equality test.
inline std::string not_equal_heading(const std::string& message) {
  return "left and right values differ: " + message;
}


/// An arena with module "top" on the module trace stack (component stage),
/// set as the top module; the priority controller in Auto mode.
class ArenaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_asm_pri_to_auto();
    top = arena.mk_module(true, "top");
    arena.track_module_at_com_init(top);
    arena.set_top_module(top);
  }
  void TearDown() override { set_asm_pri_to_auto(); }

  const Module& top_module() const { return arena.modules.get(top.ident_base.arena_handle); }
  const UeBasic& basic(const UpdateEventIdent& ue) const { return arena.ue_basics.get(ue.arena_handle); }
  const UeCond& cond(const UpdateEventIdent& ue) const { return arena.ue_conds.get(ue.arena_handle); }
  const UeGrp& grp(const UpdateEventIdent& ue) const { return arena.ue_grps.get(ue.arena_handle); }
  const UeSwitch& sw(const UpdateEventIdent& ue) const { return arena.ue_switches.get(ue.arena_handle); }
  const UpdatePool& pool(const HcpIdent& id) const { return arena.get_hcp_assign(id).update_pool; }

  /// A basic ClkFree event "src -> [0, w)" at `priority`.
  UpdateEventIdent free_event(const HcpIdent& src, std::int32_t w, std::int32_t priority,
                              ClockMode mode = ClockMode::ClkFree, std::optional<HcpIdent> clk = std::nullopt) {
    return arena.make_ue_basic(src, 0, w, 0, w, priority, mode, false, clk);
  }

  ModelArena arena;
  ModuleIdent top;
};

}  // namespace velora::hw_test
