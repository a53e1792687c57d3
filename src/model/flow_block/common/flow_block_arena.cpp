// The flow-block operations of the model arena: block factories, the
// flow-block stack (opening, closing, lazily closed chain heads), the
// attachment of assignment nodes to the open block, and the build of a block
// tree.
//
// Stack operations check everything they can before they change the stack,
// so a front end that misuses it gets its fatal error with the stack and the
// blocks as they were.
//
// The build walks the block tree with an explicit stack instead of recursion
// (blocks may nest tens of thousands of levels deep). Per block, in this
// order: `adopt_ext_sources`; propagation of reset, hold, master reset and
// clock to the children; the children's builds (sub-blocks, then
// continuation blocks); the block's five control nodes; the preparation of
// its direct assignment nodes; its compiler. Entities are created in the same
// order as a recursive build would create them.
#include <string>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

// ---------------------------------------------------------------- factories

template <class Record, class... Args>
static FlowBlockIdent insert_block(ArenaGroup<Record>& group, Args&&... args) {
  Record record(std::forward<Args>(args)...);
  const ArenaHandle h = group.insert(std::move(record));
  return group.get(h).base.ident;
}

FlowBlockIdent ModelArena::mk_flow_block_seq(std::string_view name) { return insert_block(flow_seqs, name); }

FlowBlockIdent ModelArena::mk_flow_block_par_auto(std::string_view name) {
  return insert_block(flow_pars, name, false);
}

FlowBlockIdent ModelArena::mk_flow_block_par_no_sync(std::string_view name) {
  return insert_block(flow_pars, name, true);
}

FlowBlockIdent ModelArena::make_flow_block_record(FlowBlockType type, std::string_view name) {
  switch (type) {
    case FlowBlockType::Sequential: return insert_block(flow_seqs, name);
    case FlowBlockType::Parallel: return insert_block(flow_pars, name, false);
    case FlowBlockType::CondIf: return insert_block(flow_conds, name);
    case FlowBlockType::CondElif: return insert_block(flow_cond_elifs, name);
    case FlowBlockType::ZeroCondIf: return insert_block(flow_zero_cond_ifs, name);
    case FlowBlockType::ZeroCondElif: return insert_block(flow_zero_cond_elifs, name);
    case FlowBlockType::ZeroSwitch: return insert_block(flow_zero_switches, name);
    case FlowBlockType::ZeroSwitchCase: return insert_block(flow_zero_switch_cases, name);
    case FlowBlockType::WhileLoop: return insert_block(flow_whiles, name);
    case FlowBlockType::DoWhile: return insert_block(flow_do_whiles, name);
    case FlowBlockType::CounterLoop: return insert_block(flow_counter_loops, name);
    case FlowBlockType::Wait: return insert_block(flow_waits, name);
    case FlowBlockType::Pipeline: return insert_block(flow_pips, name);
    case FlowBlockType::Zync: return insert_block(flow_zyncs, name);
    case FlowBlockType::Pick: return insert_block(flow_picks, name);
    case FlowBlockType::PickIf: return insert_block(flow_pick_ifs, name);
  }
  flow_dispatch::bad_block_type();
}

HcpIdent ModelArena::resolve_cond_slice(std::string_view name, const HcpIdent& cond, const OptSlice& slice) {
  if (!slice || !slice->is_valid()) return cond;
  if (*slice == get_des_slice(cond)) return cond;
  std::string expr_name(name);
  expr_name.append("_CONDSLICE");
  return make_expression_single(false, expr_name, LogicOp::SliceBit, cond, slice);
}

// ---------------------------------------------------------------- the stack

void ModelArena::initialize_flow_block(const FlowBlockIdent& block) {
  if (block.join_policy != FlowBlockJoinPolicy::ConFlow && !flow_block_stack.empty() &&
      flow_block_stack.back().status == BlockTrackStatus::LazyClosed)
    finalize_flow_block(flow_block_stack.back().block, false);
  flow_block_stack.push_back({block, BlockTrackStatus::Open});
}

std::optional<std::string> ModelArena::check_flow_block_prefinalize(const FlowBlockIdent& block) {
  return take_flow_block(block, [](FlowBlock& b) { return b.check_prefinalize(); });
}

void ModelArena::finalize_flow_block(const FlowBlockIdent& block, bool recursive) {
  if (flow_block_stack.empty()) fatal("flow block stack is empty");
  if (!(flow_block_stack.back().block == block)) {
    if (recursive) fatal("finalize_flow_block: recursive finalize must not mismatch the expected block");
    // Closing the top entry first only helps when `block` is right below it;
    // otherwise the close would fail after changing the stack, so it fails
    // at once and leaves the stack as it is.
    const std::size_t n = flow_block_stack.size();
    if (n < 2 || !(flow_block_stack[n - 2].block == block))
      fatal_not_equal("finalize_flow_block: ident mismatch — wrong block finalized",
                      debug_repr(flow_block_stack.back().block), debug_repr(block));
    const FlowBlockIdent top = flow_block_stack.back().block;
    finalize_flow_block(top, true);
  }
  const FlowBlockStackEntry top = flow_block_stack.back();
  if (!(top.block == block))
    fatal_not_equal("finalize_flow_block: ident mismatch — wrong block finalized", debug_repr(top.block),
                    debug_repr(block));

  if (top.status == BlockTrackStatus::Open && block.chain_master) {
    flow_block_stack.back().status = BlockTrackStatus::LazyClosed;
    return;
  }
  if (flow_block_stack.size() >= 2) {
    const FlowBlockIdent& parent = flow_block_stack[flow_block_stack.size() - 2].block;
    take_flow_block(parent, [&](FlowBlock& p) {
      if (block.join_policy == FlowBlockJoinPolicy::ConFlow)
        p.add_con_flow_block(block);
      else
        p.add_sub_flow_block(block);
    });
    flow_block_stack.pop_back();
    return;
  }
  const ModuleStackEntry& cur = current_module_entry();
  if (cur.stage != ModuleInitStage::FlowBlockInit)
    fatal(std::string("finalize_flow_block: expected FlowBlockInit stage on module trace stack, got ") +
          std::string(variant_name(cur.stage)));
  modules.take(cur.module.ident_base.arena_handle)->flow_blocks.push_back(block);
  flow_block_stack.pop_back();
}

void ModelArena::finalize_flow_procedure() {
  if (flow_block_stack.size() > 1)
    fatal("finalize_flow_procedure: flow block stack must have 0 or 1 element, got " +
          std::to_string(flow_block_stack.size()));
  if (flow_block_stack.empty()) return;
  if (flow_block_stack.back().status != BlockTrackStatus::LazyClosed)
    fatal("finalize_flow_procedure: leftover flow block must be lazy-closed, not still open");
  finalize_flow_block(flow_block_stack.back().block, false);
}

FlowBlockType ModelArena::get_last_skeleton_flow_block_type() const {
  for (auto it = flow_block_stack.rbegin(); it != flow_block_stack.rend(); ++it) {
    const FlowBlockType t = it->block.block_type;
    if (t == FlowBlockType::Sequential || t == FlowBlockType::Parallel) return t;
  }
  return FlowBlockType::Parallel;
}

void ModelArena::attach_basic_node_to_flow_block(const NcpIdent& node) {
  if (!flow_block_stack.empty() && flow_block_stack.back().status == BlockTrackStatus::LazyClosed)
    finalize_flow_block(flow_block_stack.back().block, false);
  if (flow_block_stack.empty()) {
    if (!top_module) fatal("add_basic_node_to_top_module: no top module set");
    modules.take(top_module->ident_base.arena_handle)->basic_nodes_i.push_back(node);
    return;
  }
  take_flow_block(flow_block_stack.back().block, [&](FlowBlock& b) { b.add_element_in_flow_block(node); });
}

// ---------------------------------------------------------------- build

const FlowBlockBase& ModelArena::flow_block_base(const FlowBlockIdent& block) const {
  return visit_flow_block(block, [](const FlowBlock& b) -> const FlowBlockBase& { return b.get_base(); });
}

void ModelArena::build_hw_master(const FlowBlockIdent& root) {
  struct Frame {
    FlowBlockIdent block;
    std::size_t next_child;
  };
  std::vector<Frame> stack;
  const auto enter = [&](const FlowBlockIdent& block) {
    take_flow_block(block, [&](FlowBlock& b) {
      FlowBlockBase& base = b.get_base_mut();
      if (base.build_state != FlowBuildState::NotBuilt) {
        std::string msg = "build_hw_master: flow block ";
        base.ident.ident_base.append_abs_name(msg);
        msg.append(base.build_state == FlowBuildState::Building ? " contains itself"
                                                                 : " is reached a second time (it has been built)");
        fatal(std::move(msg));
      }
      base.build_state = FlowBuildState::Building;
      b.adopt_ext_sources(*this);
      base.propagate_ext_sources(*this);
    });
    stack.push_back({block, 0});
  };

  enter(root);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const FlowBlockBase& base = flow_block_base(frame.block);
    if (frame.next_child < base.child_count()) {
      const FlowBlockIdent child = base.child_at(frame.next_child++);
      enter(child);
      continue;
    }
    take_flow_block(frame.block, [&](FlowBlock& b) {
      FlowBlockBase& own = b.get_base_mut();
      own.build_ext_nodes(*this);
      own.prepare_basic_nodes(*this);
      b.build_hw_component(*this);
      own.build_state = FlowBuildState::Built;
    });
    stack.pop_back();
  }
}

Taken<FlowBlockCondElif> ModelArena::take_flow_block_cond_elif(const FlowBlockIdent& ident) {
  if (ident.block_type != FlowBlockType::CondElif)
    flow_dispatch::type_mismatch(ident.block_type, FlowBlockType::CondElif);
  return flow_cond_elifs.take(ident.ident_base.arena_handle);
}

Taken<FlowBlockPickIf> ModelArena::take_flow_block_pick_if(const FlowBlockIdent& ident) {
  if (ident.block_type != FlowBlockType::PickIf) flow_dispatch::type_mismatch(ident.block_type, FlowBlockType::PickIf);
  return flow_pick_ifs.take(ident.ident_base.arena_handle);
}

namespace flow_dispatch {
void bad_block_type() { fatal("FlowBlockType out of range"); }
void type_mismatch(FlowBlockType actual, FlowBlockType expected) {
  fatal_not_equal("take_flow_block: block type mismatch", variant_name(actual), variant_name(expected));
}
}  // namespace flow_dispatch

}  // namespace velora
