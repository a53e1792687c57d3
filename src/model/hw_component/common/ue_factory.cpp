// The ModelArena operations that create and reach update events.
#include <string>

#include "common/error.h"
#include "model/controller/asm_priority.h"
#include "model/model_arena.h"

namespace velora {

namespace arena_dispatch {
void ue_untype() { fatal("UpdateEventIdent has UeType::Untype"); }
}  // namespace arena_dispatch

namespace {

constexpr const char* kClkFreeWithSrc = "make_ue_*: clk_src must be None when clk_mode is ClkFree";

template <class T>
UpdateEventIdent insert_ue(ArenaGroup<T>& group, T ue) {
  UpdateEventIdent ident = ue.ident;
  ident.arena_handle = group.insert(std::move(ue));
  return ident;
}

template <class T>
T new_ue() {
  T ue;
  ue.ident = UpdateEventIdent(T::kType);
  ue.common.ue_type = T::kType;
  return ue;
}

/// Priority, clock mode and clock source of the first present event, or
/// (0, ClkUnused, absent) when there is none.
void copy_clocking_from_first(const ModelArena& arena, const std::vector<OptUeIdent>& ues, UeCommon& out) {
  for (const OptUeIdent& ue : ues) {
    if (!ue) continue;
    const UeCommon& c = arena.get_ue_common(*ue);
    out.priority = c.priority;
    out.clk_mode = c.clk_mode;
    out.clk_src = c.clk_src;
    return;
  }
  out.priority = 0;
  out.clk_mode = ClockMode::ClkUnused;
  out.clk_src.reset();
}

}  // namespace

UpdateEventIdent ModelArena::make_ue_basic(const HcpIdent& src, std::int32_t des_start, std::int32_t des_stop,
                                           std::int32_t src_start, std::int32_t src_stop, std::int32_t priority,
                                           ClockMode clk_mode, bool use_cur_priority,
                                           const std::optional<HcpIdent>& clk_src) {
  if (clk_mode == ClockMode::ClkFree && clk_src) fatal(kClkFreeWithSrc);
  UeBasic ue = new_ue<UeBasic>();
  ue.common.priority = use_cur_priority ? get_cur_priority() : priority;
  ue.common.clk_mode = clk_mode;
  ue.common.clk_src = clk_src;
  ue.src = src;
  ue.des_slice = Slice{des_start, des_stop};
  ue.src_slice = Slice{src_start, src_stop};
  return insert_ue(ue_basics, std::move(ue));
}

UpdateEventIdent ModelArena::make_ue_full(const std::optional<HcpIdent>& cond_a,
                                          const std::optional<HcpIdent>& cond_b, const HcpIdent& src,
                                          std::int32_t des_start, std::int32_t des_stop, std::int32_t src_start,
                                          std::int32_t src_stop, std::int32_t priority, ClockMode clk_mode,
                                          bool use_cur_priority, const std::optional<HcpIdent>& clk_src) {
  UpdateEventIdent basic =
      make_ue_basic(src, des_start, des_stop, src_start, src_stop, priority, clk_mode, use_cur_priority, clk_src);
  if (!cond_a && !cond_b) return basic;
  return make_ue_add_dis(cond_a, cond_b, basic);
}

UpdateEventIdent ModelArena::make_ue_add_dis(const std::optional<HcpIdent>& cond_a,
                                             const std::optional<HcpIdent>& cond_b, const UpdateEventIdent& inner) {
  if (!cond_a && !cond_b) fatal("internal error: entered unreachable code");
  HcpIdent cond;
  if (cond_a && cond_b)
    cond = make_expression(false, "cond_dis_expr", LogicOp::BitwiseAnd, *cond_a, *cond_b, Slice{0, 1}, Slice{0, 1});
  else
    cond = cond_a ? *cond_a : *cond_b;
  const UeCommon& inner_common = get_ue_common(inner);
  if (inner_common.clk_mode == ClockMode::ClkFree && inner_common.clk_src) fatal(kClkFreeWithSrc);
  UeCond ue = new_ue<UeCond>();
  ue.common.priority = inner_common.priority;
  ue.common.clk_mode = inner_common.clk_mode;
  ue.common.clk_src = inner_common.clk_src;
  ue.add_entry(cond, inner);
  return insert_ue(ue_conds, std::move(ue));
}

UpdateEventIdent ModelArena::make_ue_mux(const UpdateEventIdent& left, const UpdateEventIdent& right,
                                         const std::optional<HcpIdent>& cond) {
  const UeCommon l = get_ue_common(left);
  const UeCommon& r = get_ue_common(right);
  if (l.clk_mode != ClockMode::ClkUnused)
    fatal_not_equal("make_ue_mux: left  operand must be ClkUnused", variant_name(l.clk_mode), "ClkUnused");
  if (r.clk_mode != ClockMode::ClkUnused)
    fatal_not_equal("make_ue_mux: right operand must be ClkUnused", variant_name(r.clk_mode), "ClkUnused");
  if (l.priority != r.priority)
    fatal_not_equal("make_ue_mux: left/right operands must share priority", std::to_string(l.priority),
                    std::to_string(r.priority));
  UeCond ue = new_ue<UeCond>();
  ue.common.priority = l.priority;
  ue.common.clk_mode = ClockMode::ClkUnused;
  ue.add_entry(cond, left);
  ue.add_entry(std::nullopt, right);
  return insert_ue(ue_conds, std::move(ue));
}

UpdateEventIdent ModelArena::make_ue_grp(std::vector<UpdateEventIdent> children) {
  UeGrp ue = new_ue<UeGrp>();
  if (!children.empty()) {
    const UeCommon& first = get_ue_common(children.front());
    ue.common.priority = first.priority;
    ue.common.clk_mode = first.clk_mode;
    ue.common.clk_src = first.clk_src;
  }
  ue.children = std::move(children);
  return insert_ue(ue_grps, std::move(ue));
}

UpdateEventIdent ModelArena::make_ue_cond(const std::vector<std::optional<HcpIdent>>& conds,
                                          const std::vector<OptUeIdent>& ues) {
  UeCond ue = new_ue<UeCond>();
  copy_clocking_from_first(*this, ues, ue.common);
  ue.conds.reserve(ues.size());
  ue.ues.reserve(ues.size());
  for (std::size_t k = 0; k < ues.size(); ++k)
    ue.add_entry(k < conds.size() ? conds[k] : std::nullopt, ues[k]);
  return insert_ue(ue_conds, std::move(ue));
}

UpdateEventIdent ModelArena::make_ue_switch(const HcpIdent& selector, std::vector<std::int32_t> match_vals,
                                            std::vector<OptUeIdent> ues) {
  UeSwitch ue = new_ue<UeSwitch>();
  copy_clocking_from_first(*this, ues, ue.common);
  ue.selector = selector;
  ue.sub_stmt_idxs = std::move(match_vals);
  ue.sub_stmts = std::move(ues);
  return insert_ue(ue_switches, std::move(ue));
}

const UeCommon& ModelArena::get_ue_common(const UpdateEventIdent& ident) const {
  return visit_ue(ident, [](const auto& ue) -> const UeCommon& { return ue.common; });
}

UeCommon& ModelArena::get_ue_common_mut(const UpdateEventIdent& ident) {
  switch (ident.ue_type) {
    case UeType::UE_BASIC: return ue_basics.get_mut(ident.arena_handle).common;
    case UeType::UE_GRP: return ue_grps.get_mut(ident.arena_handle).common;
    case UeType::UE_COND: return ue_conds.get_mut(ident.arena_handle).common;
    case UeType::UE_SWITCH: return ue_switches.get_mut(ident.arena_handle).common;
    default: break;
  }
  arena_dispatch::ue_untype();
}

}  // namespace velora
