// Helpers shared by the special-register and control-node tests: an arena
// with a current module, error capture, and a flat reading of the update
// events that control hardware builds.
#pragma once

#include <gtest/gtest.h>

#include "support/error_capture.h"

#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora::ctrl_test {

inline bool starts_with(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }
inline bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

/// An arena whose current module is "top", in the component stage.
struct ArenaWithModule {
  ModelArena arena;
  ModuleIdent top;

  ArenaWithModule() {
    top = arena.mk_module(true, "top");
    arena.track_module_at_com_init(top);
  }

  HcpIdent wire(const char* name, std::int32_t width = 1) { return arena.make_wire(true, name, width); }
  const Module& module() const { return arena.modules.get(top.ident_base.arena_handle); }
  const std::vector<HcpIdent>& internal(HwComponentType t) const { return module().internal_hcps[static_cast<int>(t)]; }

  const Expression& expr(const HcpIdent& e) const { return arena.expressions.get(e.ident_base.arena_handle); }
  const Val& val(const HcpIdent& v) const { return arena.vals.get(v.ident_base.arena_handle); }
  std::string rel(const HcpIdent& h) const { return std::string(h.ident_base.rel_name()); }
};

/// One event as control hardware builds it: an optional one-entry
/// conditional around a basic event. `conds` lists the condition, or the two
/// operands of a "cond_dis_expr".
struct FlatEvent {
  std::int32_t priority = 0;
  std::int64_t sub_priority = 0;
  ClockMode clk_mode = ClockMode::ClkUnused;
  std::optional<HcpIdent> clk_src;
  std::vector<HcpIdent> conds;
  std::optional<HcpIdent> cond;  ///< the wrapper's condition itself
  HcpIdent src;
  Slice des_slice;
  Slice src_slice;
};

inline FlatEvent flatten(const ArenaWithModule& a, const UpdateEventIdent& ue) {
  FlatEvent out;
  const UeCommon& common = a.arena.get_ue_common(ue);
  out.priority = common.priority;
  out.sub_priority = common.sub_priority;
  out.clk_mode = common.clk_mode;
  out.clk_src = common.clk_src;
  UpdateEventIdent basic = ue;
  if (ue.ue_type == UeType::UE_COND) {
    const UeCond& c = a.arena.ue_conds.get(ue.arena_handle);
    EXPECT_EQ(c.conds.size(), 1u);
    out.cond = c.conds.at(0);
    const HcpIdent& cond = *c.conds.at(0);
    if (cond.hw_type == HwComponentType::Expression && a.rel(cond) == "cond_dis_expr") {
      const Expression& e = a.expr(cond);
      out.conds = {e.a->ident, e.b->ident};
    } else {
      out.conds = {cond};
    }
    basic = *c.ues.at(0);
  }
  EXPECT_EQ(basic.ue_type, UeType::UE_BASIC);
  const UeBasic& b = a.arena.ue_basics.get(basic.arena_handle);
  out.src = b.src;
  out.des_slice = b.des_slice;
  out.src_slice = b.src_slice;
  return out;
}

inline std::vector<FlatEvent> flat_pool(const ArenaWithModule& a, const HcpIdent& des) {
  std::vector<FlatEvent> out;
  for (const UpdateEventIdent& ue : a.arena.get_hcp_assign(des).update_pool) out.push_back(flatten(a, ue));
  return out;
}

inline std::vector<std::int32_t> priorities(const std::vector<FlatEvent>& events) {
  std::vector<std::int32_t> out;
  for (const FlatEvent& e : events) out.push_back(e.priority);
  return out;
}

}  // namespace velora::ctrl_test
