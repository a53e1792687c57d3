#include "model/nodes/reg_nodes.h"

#include <string>

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

bool TriggeredNode::untriggered() const {
  return !triggers.has(TriggerSlot::Hold) && !triggers.has(TriggerSlot::IntReset) &&
         !triggers.has(TriggerSlot::IntStart);
}

HcpIdent TriggeredNode::bind_exit(ModelArena& arena, const HcpIdent& raw) const {
  return bind_with_hold_if_hold(arena, bind_with_rst_output_if_reset(arena, raw));
}

namespace {

/// Runs `f(reg&)` on the special register `reg_i` of kind `Reg`, taken out.
template <class Reg, class F>
void with_reg(ArenaGroup<Reg>& group, const HcpIdent& reg_i, F&& f) {
  auto reg = group.take(reg_i.ident_base.arena_handle);
  f(*reg);
}

std::string suffixed(std::string_view name, std::string_view suffix) {
  std::string out(name);
  out.append(suffix);
  return out;
}

}  // namespace

// ---------------------------------------------------------------- StartNode

StartNode::StartNode(ModelArena& arena, std::string_view name, const HcpIdent& start_signal)
    : TriggeredNode(NodeType::Start, false, name), start_sig(start_signal) {
  state_reg = arena.make_state_reg(suffixed(name, "_ST"));
  HcpIdent up = ctrl_hw::make_const(arena, "upState", 1, 1);
  start_expr = ctrl_hw::make_expr(arena, "startExpr", LogicOp::RelationEq, state_reg, std::nullopt, up, std::nullopt);
}

void StartNode::assign_final(ModelArena& arena) {
  TriggerSig sig = to_trigger_sig(arena);
  sig.push_depend_node(start_sig, std::nullopt);
  with_reg(arena.state_regs, state_reg, [&](StateReg& reg) {
    reg.trigger_sig = std::move(sig);
    reg.build_update_event(arena);
  });
}

// ---------------------------------------------------------------- StateNode

StateNode::StateNode(ModelArena& arena, bool is_user, std::string_view name)
    : TriggeredNode(NodeType::State, is_user, name) {
  state_reg = arena.make_state_reg(suffixed(name, "_ST"));
}

void StateNode::assign_prelim(ModelArena& arena) {
  raw_state = state_reg;
  exit = bind_exit(arena, state_reg);
}

void StateNode::assign_final(ModelArena& arena) {
  TriggerSig sig = to_trigger_sig(arena);
  with_reg(arena.state_regs, state_reg, [&](StateReg& reg) {
    reg.trigger_sig = std::move(sig);
    reg.build_update_event(arena);
  });
}

HcpIdent StateNode::get_exit_opr() const {
  if (!exit) fatal("exit opr is not set yet");
  return *exit;
}

HcpIdent StateNode::get_state_operating() const {
  if (!raw_state) fatal("state operating is not set yet");
  return *raw_state;
}

// ---------------------------------------------------------------- SynNode

SynNode::SynNode(ModelArena& arena, bool is_user, std::string_view name, std::int32_t size)
    : TriggeredNode(NodeType::Syn, is_user, name), syn_size(size) {
  if (size <= 0) fatal("assertion failed: syn_size > 0");
  sync_reg = arena.make_sync_reg(suffixed(name, "_SY"), size);
}

void SynNode::assign_prelim(ModelArena& arena) {
  HcpIdent end;
  with_reg(arena.sync_regs, sync_reg, [&](SyncReg& reg) {
    reg.build_support_signal(arena);
    if (!reg.support) fatal("end_expr after build_support_signal");
    end = reg.support->end_expr;
  });
  raw_end = end;
  bound_exit_i = bind_exit(arena, end);
}

void SynNode::assign_final(ModelArena& arena) {
  TriggerSig sig = to_trigger_sig(arena);
  with_reg(arena.sync_regs, sync_reg, [&](SyncReg& reg) {
    reg.trigger_sig = std::move(sig);
    reg.build_update_event(arena);
  });
}

HcpIdent SynNode::get_exit_opr() const {
  if (!bound_exit_i)
    fatal("SynNode::get_exit_opr: bound_exit_i not set — call assign_prelim before reading exit_opr");
  return *bound_exit_i;
}

// ---------------------------------------------------------------- WaitCondNode

WaitCondNode::WaitCondNode(ModelArena& arena, bool is_user, std::string_view name, const HcpIdent& cond,
                           std::int32_t slice_start, std::int32_t slice_stop)
    : TriggeredNode(NodeType::WaitCond, is_user, name) {
  wait_reg = arena.make_cond_wait_state_reg(suffixed(name, "_CW"), cond, slice_start, slice_stop);
}

void WaitCondNode::assign_prelim(ModelArena& arena) {
  HcpIdent end;
  with_reg(arena.cond_wait_state_regs, wait_reg, [&](CondWaitStateReg& reg) {
    reg.build_support_signal(arena);
    if (!reg.support) fatal("build_support_signal must be called before generate_end_expr");
    end = reg.support->end_expr;
  });
  raw_state_op_i = end;
  bound_exit_i = bind_exit(arena, end);
}

void WaitCondNode::assign_final(ModelArena& arena) {
  if (triggers.depends.empty()) fatal("WaitCondNode requires at least one depend node");
  TriggerSig sig = to_trigger_sig(arena);
  with_reg(arena.cond_wait_state_regs, wait_reg, [&](CondWaitStateReg& reg) {
    reg.trigger_sig = std::move(sig);
    reg.build_update_event(arena);
  });
}

HcpIdent WaitCondNode::get_exit_opr() const {
  if (!bound_exit_i) fatal("WaitCondNode::get_exit_opr: bound_exit_i not set — call assign_prelim first");
  return *bound_exit_i;
}

HcpIdent WaitCondNode::get_state_operating() const {
  if (!raw_state_op_i)
    fatal("WaitCondNode::get_state_operating: raw_state_op_i not set — call assign_prelim first");
  return *raw_state_op_i;
}

// ---------------------------------------------------------------- WaitCycleNode

WaitCycleNode WaitCycleNode::new_with_cycle(ModelArena& arena, bool is_user, std::string_view name,
                                            std::int32_t cycle) {
  if (cycle <= 0) fatal("assertion failed: cycle > 0");
  WaitCycleNode node;
  node.ident = NcpIdent(NodeType::WaitCycle, is_user, name);
  node.wait_reg = arena.make_cycle_wait_state_reg(suffixed(name, "_CY"), cycle);
  node.wait_cycle = cycle;
  return node;
}

void WaitCycleNode::assign_prelim(ModelArena& arena) {
  HcpIdent end;
  with_reg(arena.cycle_wait_state_regs, wait_reg, [&](CycleWaitStateReg& reg) {
    reg.build_support_signal(arena);
    if (!reg.support) fatal("build_support_signal must be called before generate_end_expr");
    end = reg.support->is_end;
  });
  raw_end = end;
  bound_exit_i = bind_exit(arena, end);
}

void WaitCycleNode::assign_final(ModelArena& arena) {
  TriggerSig sig = to_trigger_sig(arena);
  with_reg(arena.cycle_wait_state_regs, wait_reg, [&](CycleWaitStateReg& reg) {
    reg.trigger_sig = std::move(sig);
    reg.build_update_event(arena);
  });
}

HcpIdent WaitCycleNode::get_exit_opr() const {
  if (!bound_exit_i) fatal("WaitCycleNode::get_exit_opr: bound_exit_i not set — call assign_prelim first");
  return *bound_exit_i;
}

std::int32_t WaitCycleNode::get_cycle_used() const {
  if (!untriggered() || !wait_cycle) return IN_CONSIST_CYCLE_USED;
  return *wait_cycle;
}

// ---------------------------------------------------------------- CounterNode

CounterNode::CounterNode(ModelArena& arena, bool is_user, std::string_view name, std::int32_t last)
    : TriggeredNode(NodeType::Counter, is_user, name), last_loop_cnt(last) {
  if (last <= 0) fatal("assertion failed: last_loop_cnt > 0");
  cnt_reg = arena.make_cnt_reg(suffixed(name, "_CNT"), 1, last);
}

void CounterNode::assign_prelim(ModelArena& arena) {
  HcpIdent at_last;
  with_reg(arena.cnt_regs, cnt_reg, [&](CntReg& reg) {
    const std::string n = reg.ident.ident_base.abs_name();
    const std::int32_t w = reg.width;
    const Slice whole{0, w};
    CntReg::Support s;
    s.last_cycle = ctrl_hw::make_const(arena, n + "_LAST_CYCLE", w, static_cast<std::uint64_t>(reg.max_number - 1));
    s.zero = ctrl_hw::make_const(arena, n + "_ZERO", w, 0);
    s.at_last = ctrl_hw::make_expr(arena, n + "_AT_LAST", LogicOp::RelationEq, reg.ident, whole, s.last_cycle, whole);
    HcpIdent inc_val = ctrl_hw::make_const(arena, n + "_INC_VAL", w, static_cast<std::uint64_t>(reg.inc_val));
    s.inc = ctrl_hw::make_expr(arena, n + "_INC", LogicOp::ArithPlus, reg.ident, whole, inc_val, whole);
    reg.support = s;
    at_last = s.at_last;
  });
  end_expr_i = at_last;
}

void CounterNode::assign_final(ModelArena& arena) {
  TriggerSig sig = to_trigger_sig(arena);
  with_reg(arena.cnt_regs, cnt_reg, [&](CntReg& reg) {
    reg.trigger_sig = std::move(sig);
    const std::string n = reg.ident.ident_base.abs_name();
    reg.trigger_sig.integrity_check(n, arena, reg.ident, reg.width);
    if (!reg.support) fatal("build_support_signal must be called first");
    const CntReg::Support s = *reg.support;
    const TriggerSig& t = reg.trigger_sig;
    const std::optional<HcpIdent> clk = t.clk_sig_i();
    const Slice whole{0, reg.width};

    reg.begin_events();
    auto add = [&](const std::optional<HcpIdent>& a, const std::optional<HcpIdent>& b, const HcpIdent& value,
                   std::int32_t priority, std::int64_t sub_priority) {
      UpdateEventIdent ue =
          ctrl_hw::make_event(arena, a, b, value, whole, whole, priority, ClockMode::PosEdge, clk);
      if (sub_priority != 0) arena.get_ue_common_mut(ue).sub_priority = sub_priority;
      reg.add_update_event(ue);
    };
    for (const TriggerPair& p : t.depends) add(p.qualifier, p.trigger, s.inc, 51, 0);
    // The increment that completes the last count returns the counter to 0,
    // so that every run counts from 0 again: ranked just above the
    // increments (same priority, later sub-priority) and below hold.
    for (std::size_t i = 0; i < t.depends.size(); ++i) {
      const TriggerPair& p = t.depends[i];
      HcpIdent fire = p.trigger;
      if (p.qualifier)
        fire = ctrl_hw::make_expr(arena, n + "_WRAP_COND_" + std::to_string(i), LogicOp::BitwiseAnd, *p.qualifier,
                                  std::nullopt, p.trigger, std::nullopt);
      add(s.at_last, fire, s.zero, 51, 1);
    }
    if (auto hold = t.hold()) add(hold, std::nullopt, reg.ident, 52, 0);
    if (auto rst = t.int_reset()) add(rst, std::nullopt, s.zero, 53, 0);
    if (auto start = t.int_start()) add(start, std::nullopt, s.inc, 54, 0);
    if (auto mrst = t.mrst()) add(mrst, std::nullopt, s.zero, DEFAULT_UE_PRI_RST, 0);
    reg.end_events();
  });
}

HcpIdent CounterNode::get_exit_opr() const {
  if (!end_expr_i) fatal("CounterNode::get_exit_opr: end_expr_i not set — call assign_prelim first");
  return *end_expr_i;
}

}  // namespace velora
