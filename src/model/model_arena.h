// The model arena: the single container of a design.
//
// Every entity lives in one typed `ArenaGroup` of the `ModelArena` and is
// named elsewhere by its identifier. Besides the groups, the arena keeps the
// context new entities are created in: the module trace stack (the current
// module and its stage), the components created while a module is being
// compiled (`pending_hcps`), the flow-block stack and the top module.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/arena_base.h"
#include "model/common/identifier.h"
#include "model/hw_component/basic_assign.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/hw_component/common/update_event.h"
#include "model/hw_component/expression.h"
#include "model/hw_component/io_wire.h"
#include "model/hw_component/mem_blk.h"
#include "model/hw_component/mem_ele.h"
#include "model/hw_component/reg.h"
#include "model/hw_component/sp_reg/cnt_reg.h"
#include "model/hw_component/sp_reg/cond_wait_state_reg.h"
#include "model/hw_component/sp_reg/cycle_wait_state_reg.h"
#include "model/hw_component/sp_reg/state_reg.h"
#include "model/hw_component/sp_reg/sync_reg.h"
#include "model/hw_component/val.h"
#include "model/hw_component/wire.h"
#include "model/module/module.h"
#include "model/nodes/asm_node.h"
#include "model/nodes/comb_nodes.h"
#include "model/nodes/reg_nodes.h"

namespace velora {

enum class ModuleInitStage : std::uint8_t { CompInit = 0, FlowBlockInit, FlowBlockBuild };
std::string_view variant_name(ModuleInitStage s);

/// Whether an entry of the flow-block stack still receives elements.
enum class BlockTrackStatus : std::uint8_t { Open = 0, LazyClosed = 1 };

struct ModuleStackEntry {
  ModuleIdent module;
  ModuleInitStage stage;
};

struct PendingHcp {
  HcpIdent ident;
  bool is_user;
};

struct FlowBlockStackEntry {
  FlowBlockIdent block;
  BlockTrackStatus status;
};

class ModelArena {
 public:
  ModelArena() = default;
  ModelArena(const ModelArena&) = delete;
  ModelArena& operator=(const ModelArena&) = delete;
  ModelArena(ModelArena&&) noexcept = default;
  ModelArena& operator=(ModelArena&&) noexcept = default;

  // ---- groups
  ArenaGroup<Module> modules;

  // ---- component groups (dispatched by `hw_type` in take_hcp / visit_hcp)
  ArenaGroup<Reg> regs;
  ArenaGroup<Wire> wires;
  ArenaGroup<IoWire> io_wires;
  ArenaGroup<Val> vals;
  ArenaGroup<MemEle> mem_eles;
  ArenaGroup<MemBlk> mem_blks;
  ArenaGroup<Expression> expressions;

  // ---- special-register groups (dispatched by `hw_type` like the components)
  ArenaGroup<StateReg> state_regs;
  ArenaGroup<SyncReg> sync_regs;
  ArenaGroup<CntReg> cnt_regs;
  ArenaGroup<CondWaitStateReg> cond_wait_state_regs;
  ArenaGroup<CycleWaitStateReg> cycle_wait_state_regs;

  // ---- update-event groups (dispatched by `ue_type` in take_ue / visit_ue)
  ArenaGroup<UeBasic> ue_basics;
  ArenaGroup<UeGrp> ue_grps;
  ArenaGroup<UeCond> ue_conds;
  ArenaGroup<UeSwitch> ue_switches;

  // ---- control-node groups (dispatched by `node_type` in take_ncp_node / get_ncp_node)
  ArenaGroup<AsmNode> asm_nodes;
  ArenaGroup<StartNode> start_nodes;
  ArenaGroup<StateNode> state_nodes;
  ArenaGroup<SynNode> syn_nodes;
  ArenaGroup<WaitCondNode> wait_cond_nodes;
  ArenaGroup<WaitCycleNode> wait_cycle_nodes;
  ArenaGroup<CounterNode> counter_nodes;
  ArenaGroup<PseudoNode> pseudo_nodes;
  ArenaGroup<OprNode> opr_nodes;

  // ---- context
  std::vector<ModuleStackEntry> module_stack;
  std::vector<PendingHcp> pending_hcps;
  std::vector<FlowBlockStackEntry> flow_block_stack;
  std::optional<ModuleIdent> top_module;

  // ---- modules and the module trace stack
  /// Creates a module whose parent and depth come from the module trace stack.
  ModuleIdent mk_module(bool is_user, std::string_view name);
  void track_module_at_com_init(const ModuleIdent& module);
  void track_module_at_flow_init(const ModuleIdent& module);
  /// Pops `module`; a module below it on the stack adopts it as a sub-module.
  void untrack_module_at_com_init(const ModuleIdent& module);
  void untrack_module_at_flow_init(const ModuleIdent& module);
  void set_top_module(const ModuleIdent& module);
  /// The global name stored in the module record.
  std::string module_verilog_name(const ModuleIdent& module);

  /// The top entry of the module trace stack ("module trace stack is empty").
  const ModuleStackEntry& current_module_entry() const;

  /// Moves the pending components into `module`, leaving the list empty.
  void register_pending_hcps(const ModuleIdent& module);

  // ---- hardware components
  /// Records the current module as the component's parent, in the component
  /// and in the module's lists (or in `pending_hcps` while the module is being
  /// built); returns the stamped identifier.
  HcpIdent stamp_hw_to_parent_module(HcpIdent ident, bool is_user);
  HcpIdent make_reg(bool is_user, std::string_view name, std::int32_t width);
  HcpIdent make_wire(bool is_user, std::string_view name, std::int32_t width);
  /// `value` fills limb 0 and is cut to the width. Width 0 is the empty
  /// constant; a negative width is fatal "width must not be negative, got {}".
  HcpIdent make_val(bool is_user, std::string_view name, std::int32_t width, std::uint64_t value);
  HcpIdent make_val_vv(bool is_user, std::string_view name, std::int32_t width,
                       std::span<const std::uint64_t> limbs);
  HcpIdent make_mem_blk(bool is_user, std::string_view name, std::int32_t bit_width, std::int32_t index_width);
  HcpIdent make_mem_ele(bool is_user, std::string_view name, const HcpIdent& master_mem_blk_i,
                        const HcpIdent& index_ident, std::int32_t bit_width, bool is_read);
  HcpIdent make_expression(bool is_user, std::string_view name, LogicOp op, const HcpIdent& a, const HcpIdent& b,
                           const OptSlice& a_slice, const OptSlice& b_slice);
  HcpIdent make_expression_single(bool is_user, std::string_view name, LogicOp op, const HcpIdent& a,
                                  const OptSlice& a_slice);
  HcpIdent make_expression_constant(bool is_user, std::string_view name, LogicOp op, const HcpIdent& a,
                                    std::int32_t constant, const OptSlice& a_slice);
  HcpIdent make_expression_empty(bool is_user, std::string_view name, std::int32_t width);
  /// `IoWire::new_opt_src`, inserted and stamped.
  HcpIdent make_io_wire(bool is_user, std::string_view name, bool is_input, std::int32_t width,
                        const std::optional<HcpIdent>& actual_src_signal_i,
                        const std::optional<HcpIdent>& agent_src_signal_i);

  /// Runs `f(component&)` on the component taken out of its group (put back
  /// when `f` returns or throws).
  template <class F>
  decltype(auto) take_hcp(const HcpIdent& ident, F&& f);
  /// Runs `f(const component&)` on the component in place.
  template <class F>
  decltype(auto) visit_hcp(const HcpIdent& ident, F&& f) const;
  /// The component's update pool and port mark, in place.
  const HcpAssign& get_hcp_assign(const HcpIdent& ident) const;
  HcpAssign& get_hcp_assign_mut(const HcpIdent& ident);
  /// The component's whole range [0, width), read in place.
  Slice get_des_slice(const HcpIdent& ident) const;
  void mark_as_io(const HcpIdent& ident, bool is_input, std::string_view io_name);
  /// Fatal "reset_val is set already" the second time.
  void set_reg_reset(const HcpIdent& reg_i, const HcpIdent& reset_val_i);
  /// Fatal "default_val is set already" / "cannot set default_val on a no-default wire".
  void set_wire_default(const HcpIdent& wire_i, const HcpIdent& default_val_i);
  void bind_src(const HcpIdent& des, const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                std::int32_t src_stop, std::optional<std::int32_t> priority, std::optional<ClockMode> clk_mode,
                const std::optional<HcpIdent>& clk_src);

  /// Fits the source [src_start, src_stop) (both -1: the whole source) to the
  /// destination range, extending through a new "{}_ext" expression.
  SanitizedSrc sanitize_asm_src(const HcpIdent& des, const HcpIdent& src, const OptSlice& des_slice,
                                std::int32_t src_start, std::int32_t src_stop);
  /// destination <- source: fits the source, builds the assignment node and
  /// attaches it to the current scope.
  BasicAssignResult gen_basic_assign(const HcpIdent& des, const HcpIdent& src, const OptSlice& des_slice,
                                     std::int32_t src_start, std::int32_t src_stop);
  /// Fatal "'{context}': signal '{name}' must be {expected}-bit, got {actual}"
  /// unless `ident` (narrowed to `slice_width` when it is `sliced`) has the
  /// expected width.
  void check_ident_bit_size(const HcpIdent& ident, std::int32_t expected, std::string_view context,
                            const std::optional<HcpIdent>& sliced, std::int32_t slice_width) const;
  /// Sorts the update pools of the module's components of kinds REG to
  /// MEM_BLOCK_INDEXER (generated ones first).
  void sort_update_event_pool(const ModuleIdent& module);
  /// Gives a new assignment node to the open flow block, or to the top module
  /// when no block is open.
  void attach_basic_node_to_current_scope(const NcpIdent& node);

  // ---- special registers (generated components of the current module)
  /// 1-bit state register with its constants "{name}_SET" and "{name}_UNSET".
  HcpIdent make_state_reg(std::string_view name);
  /// Fatal "SyncReg size must be positive" for size < 1.
  HcpIdent make_sync_reg(std::string_view name, std::int32_t size);
  HcpIdent make_cond_wait_state_reg(std::string_view name, const HcpIdent& cond, std::int32_t slice_start,
                                    std::int32_t slice_stop);
  /// Fatal "wait_cycle must be positive" for wait_cycle < 1.
  HcpIdent make_cycle_wait_state_reg(std::string_view name, std::int32_t wait_cycle);
  /// Fatal "max_cycle must be positive", "assertion failed: max_number > 0"
  /// or "inc_val must be positive", checked in this order.
  HcpIdent make_cnt_reg(std::string_view name, std::int32_t inc_val, std::int32_t max_cycle);

  // ---- control nodes
  /// An assignment node carrying one meta.
  NcpIdent make_asm_node(bool is_user, std::string_view name, AssignMeta meta);
  /// An assignment node carrying several metas (fatal "assertion failed:
  /// !metas.is_empty()" for none).
  NcpIdent make_asm_node_many(std::string_view name, std::vector<AssignMeta> metas);
  NcpIdent make_opr_node(std::string_view name, const HcpIdent& signal);
  /// `join` must be BitwiseAnd or BitwiseOr.
  NcpIdent make_pseudo_node(std::string_view name, std::int32_t width, LogicOp join);
  NcpIdent make_start_node(std::string_view name, const HcpIdent& start_signal);
  NcpIdent make_state_node(bool is_user, std::string_view name);
  NcpIdent make_syn_node(bool is_user, std::string_view name, std::int32_t syn_size);
  NcpIdent make_wait_cond_node(bool is_user, std::string_view name, const HcpIdent& cond, std::int32_t slice_start,
                               std::int32_t slice_stop);
  NcpIdent make_wait_cycle_node(bool is_user, std::string_view name, std::int32_t cycle);
  NcpIdent make_counter_node(bool is_user, std::string_view name, std::int32_t last_loop_cnt);

  /// The node in place, as the node interface.
  const NcpNode& get_ncp_node(const NcpIdent& ident) const;
  NcpNode& get_ncp_node_mut(const NcpIdent& ident);
  /// Runs `f(node&)` on the node taken out of its group (put back when `f`
  /// returns or throws).
  template <class F>
  decltype(auto) take_ncp_node(const NcpIdent& ident, F&& f);
  /// Takes the node, runs `assign_prelim` if `prelim`, then `assign_final`
  /// if `final`, puts it back.
  void assign_ncp_node(const NcpIdent& ident, bool prelim, bool final);
  /// The assignment-node operations: each checks the node type is Asm.
  void dry_assign_asm_node(const NcpIdent& ident);
  void init_asm_node_clk_src(const NcpIdent& ident);
  void assign_asm_from_state_node(const NcpIdent& ident);
  void set_asm_node_clk_src_direct(const NcpIdent& ident, const HcpIdent& clk);
  void apply_asm_node_pending_pre_cond(const NcpIdent& ident);

  // ---- update events
  UpdateEventIdent make_ue_basic(const HcpIdent& src, std::int32_t des_start, std::int32_t des_stop,
                                 std::int32_t src_start, std::int32_t src_stop, std::int32_t priority,
                                 ClockMode clk_mode, bool use_cur_priority, const std::optional<HcpIdent>& clk_src);
  UpdateEventIdent make_ue_full(const std::optional<HcpIdent>& cond_a, const std::optional<HcpIdent>& cond_b,
                                const HcpIdent& src, std::int32_t des_start, std::int32_t des_stop,
                                std::int32_t src_start, std::int32_t src_stop, std::int32_t priority,
                                ClockMode clk_mode, bool use_cur_priority, const std::optional<HcpIdent>& clk_src);
  /// One-entry conditional event around `inner` (both conditions present:
  /// their AND, "cond_dis_expr").
  UpdateEventIdent make_ue_add_dis(const std::optional<HcpIdent>& cond_a, const std::optional<HcpIdent>& cond_b,
                                   const UpdateEventIdent& inner);
  /// `left` when `cond` holds, else `right`; both ClkUnused, same priority.
  UpdateEventIdent make_ue_mux(const UpdateEventIdent& left, const UpdateEventIdent& right,
                               const std::optional<HcpIdent>& cond);
  /// A group event over `children` (in order), clocked and prioritised like
  /// the first child.
  UpdateEventIdent make_ue_grp(std::vector<UpdateEventIdent> children);
  /// A conditional event with the given entries (an absent last condition is
  /// the else), clocked and prioritised like the first present child.
  UpdateEventIdent make_ue_cond(const std::vector<std::optional<HcpIdent>>& conds,
                                const std::vector<OptUeIdent>& ues);
  /// A switch event, clocked and prioritised like the first present child.
  UpdateEventIdent make_ue_switch(const HcpIdent& selector, std::vector<std::int32_t> match_vals,
                                  std::vector<OptUeIdent> ues);

  /// Runs `f(event&)` on the event taken out of its group.
  template <class F>
  decltype(auto) take_ue(const UpdateEventIdent& ident, F&& f);
  /// Runs `f(const event&)` on the event in place.
  template <class F>
  decltype(auto) visit_ue(const UpdateEventIdent& ident, F&& f) const;
  /// The event's common part, in place.
  const UeCommon& get_ue_common(const UpdateEventIdent& ident) const;
  UeCommon& get_ue_common_mut(const UpdateEventIdent& ident);

 private:
  ModuleStackEntry pop_module_checked(const ModuleIdent& module);
  HcpIdent insert_expression(Expression expr, bool is_user);
};

namespace arena_dispatch {
[[noreturn]] [[gnu::cold]] void not_hcp_base(HwComponentType t);
[[noreturn]] [[gnu::cold]] void not_hcp_assignable(HwComponentType t);
[[noreturn]] [[gnu::cold]] void ue_untype();
}  // namespace arena_dispatch

// Component dispatch. Every kind implements the same set of members (the
// assignable and base operations, see hw_component/assignable_hcp.h), so `f`
// is usually a generic lambda.
// Special registers: add one case per kind (StateReg, CondWaitStateReg,
// CycleWaitStateReg, CntReg, SyncReg) to both switches below, in place of the
// fall-through to the refusal.
template <class F>
decltype(auto) ModelArena::take_hcp(const HcpIdent& ident, F&& f) {
  const ArenaHandle& h = ident.ident_base.arena_handle;
  switch (ident.hw_type) {
    case HwComponentType::Reg: { auto t = regs.take(h); return f(*t); }
    case HwComponentType::Wire: { auto t = wires.take(h); return f(*t); }
    case HwComponentType::Val: { auto t = vals.take(h); return f(*t); }
    case HwComponentType::MemBlockIndexer: { auto t = mem_eles.take(h); return f(*t); }
    case HwComponentType::Expression: { auto t = expressions.take(h); return f(*t); }
    case HwComponentType::IoWire: { auto t = io_wires.take(h); return f(*t); }
    case HwComponentType::MemBlock: { auto t = mem_blks.take(h); return f(*t); }
    case HwComponentType::StateReg: { auto t = state_regs.take(h); return f(*t); }
    case HwComponentType::CondWaitStateReg: { auto t = cond_wait_state_regs.take(h); return f(*t); }
    case HwComponentType::CycleWaitStateReg: { auto t = cycle_wait_state_regs.take(h); return f(*t); }
    case HwComponentType::CntReg: { auto t = cnt_regs.take(h); return f(*t); }
    case HwComponentType::SyncReg: { auto t = sync_regs.take(h); return f(*t); }
    default: break;
  }
  arena_dispatch::not_hcp_base(ident.hw_type);
}

template <class F>
decltype(auto) ModelArena::visit_hcp(const HcpIdent& ident, F&& f) const {
  const ArenaHandle& h = ident.ident_base.arena_handle;
  switch (ident.hw_type) {
    case HwComponentType::Reg: return f(regs.get(h));
    case HwComponentType::Wire: return f(wires.get(h));
    case HwComponentType::Val: return f(vals.get(h));
    case HwComponentType::MemBlockIndexer: return f(mem_eles.get(h));
    case HwComponentType::Expression: return f(expressions.get(h));
    case HwComponentType::IoWire: return f(io_wires.get(h));
    case HwComponentType::MemBlock: return f(mem_blks.get(h));
    case HwComponentType::StateReg: return f(state_regs.get(h));
    case HwComponentType::CondWaitStateReg: return f(cond_wait_state_regs.get(h));
    case HwComponentType::CycleWaitStateReg: return f(cycle_wait_state_regs.get(h));
    case HwComponentType::CntReg: return f(cnt_regs.get(h));
    case HwComponentType::SyncReg: return f(sync_regs.get(h));
    default: break;
  }
  arena_dispatch::not_hcp_assignable(ident.hw_type);
}

template <class F>
decltype(auto) ModelArena::take_ue(const UpdateEventIdent& ident, F&& f) {
  switch (ident.ue_type) {
    case UeType::UE_BASIC: { auto t = ue_basics.take(ident.arena_handle); return f(*t); }
    case UeType::UE_GRP: { auto t = ue_grps.take(ident.arena_handle); return f(*t); }
    case UeType::UE_COND: { auto t = ue_conds.take(ident.arena_handle); return f(*t); }
    case UeType::UE_SWITCH: { auto t = ue_switches.take(ident.arena_handle); return f(*t); }
    default: break;
  }
  arena_dispatch::ue_untype();
}

template <class F>
decltype(auto) ModelArena::visit_ue(const UpdateEventIdent& ident, F&& f) const {
  switch (ident.ue_type) {
    case UeType::UE_BASIC: return f(ue_basics.get(ident.arena_handle));
    case UeType::UE_GRP: return f(ue_grps.get(ident.arena_handle));
    case UeType::UE_COND: return f(ue_conds.get(ident.arena_handle));
    case UeType::UE_SWITCH: return f(ue_switches.get(ident.arena_handle));
    default: break;
  }
  arena_dispatch::ue_untype();
}


// Node dispatch: `f` receives the concrete node kind.
template <class F>
decltype(auto) ModelArena::take_ncp_node(const NcpIdent& ident, F&& f) {
  const ArenaHandle& h = ident.ident_base.arena_handle;
  switch (ident.node_type) {
    case NodeType::Asm: { auto t = asm_nodes.take(h); return f(*t); }
    case NodeType::State: { auto t = state_nodes.take(h); return f(*t); }
    case NodeType::Syn: { auto t = syn_nodes.take(h); return f(*t); }
    case NodeType::Pseudo: { auto t = pseudo_nodes.take(h); return f(*t); }
    case NodeType::Opr: { auto t = opr_nodes.take(h); return f(*t); }
    case NodeType::WaitCond: { auto t = wait_cond_nodes.take(h); return f(*t); }
    case NodeType::WaitCycle: { auto t = wait_cycle_nodes.take(h); return f(*t); }
    case NodeType::Counter: { auto t = counter_nodes.take(h); return f(*t); }
    case NodeType::Start: { auto t = start_nodes.take(h); return f(*t); }
  }
  fatal("unknown NodeType");
}

}  // namespace velora
