// Parallel schematic.
//
// 1. The zero-cycle content (direct assignment nodes and BasicNodeFlow
//    sub-blocks, in program order) is merged into one assignment node
//    "par_asm_{G}" under one state node "par_state_{G}".
// 2. Every SubFlow sub-block is a branch; all branches and the asm state are
//    entered together (by the parent's predecessor, and by the block's start
//    control node when it has one).
// 3. The exit is chosen among the candidates (the asm state with one cycle,
//    then each branch's exit with its cycle count). With every duration fixed
//    it is the first candidate of the largest count. Otherwise the
//    synchronised block waits for all of them in a sync node "par_syn_{G}",
//    and the no-sync block leaves on the first of them through the OR-join
//    "par_no_sync_exit"; with a single candidate, that candidate.
#include "model/flow_block/par/flow_block_par.h"

#include <string>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

void FlowBlockPar::add_element_in_flow_block(const NcpIdent& node) {
  expect_asm_node(node, "flow-block basic nodes must be AsmNode");
  base.push_basic_node(node);
}

void FlowBlockPar::add_sub_flow_block(const FlowBlockIdent& block) { base.push_sub_block(block); }

NodeWrap FlowBlockPar::summarize_as_block() const {
  if (!summary) fatal("flow block has not been built");
  return *summary;
}

std::optional<std::string> FlowBlockPar::check_prefinalize() const {
  if (base.sub_blocks_i.empty() && base.basic_nodes.empty()) return std::string("parallel flow block has no element");
  if (!base.con_blocks_i.empty()) return std::string("parallel flow block does not support con blocks");
  return std::nullopt;
}

namespace {

struct ExitCandidate {
  NcpIdent node;
  std::int32_t cycle;
};

}  // namespace

void FlowBlockPar::build_hw_component(ModelArena& arena) {
  if (base.sub_blocks_i.empty() && base.basic_nodes.empty()) fatal("parallel flow block has no element");
  if (!base.con_blocks_i.empty()) fatal("parallel flow block does not support con blocks");
  const std::string gid = std::to_string(base.ident.ident_base.global_id);

  const SplitSubBlocks split = base.scan_sub_blocks_by_policy();
  std::vector<AssignMeta> metas = base.gen_unified_asm_meta_flat(arena);
  std::vector<std::int32_t> cycles;
  asm_state_node.reset();
  if (!metas.empty()) {
    const NcpIdent asm_node = arena.make_asm_node_many("par_asm_" + gid, std::move(metas));
    arena.get_ncp_node_mut(asm_node).fill_ext_node(base.ext_nodes, false);
    const NcpIdent state = arena.make_state_node(false, "par_state_" + gid);
    NcpNode& state_node = arena.get_ncp_node_mut(state);
    state_node.fill_ext_node(base.ext_nodes, false);
    cycles.push_back(state_node.get_cycle_used());
    base.generated_nodes.push_back(state);
    asm_state_node = state;
    arena.assign_ncp_node(state, true, false);
    arena.get_ncp_node_mut(asm_node).add_depend_node(state, {});
    arena.assign_asm_from_state_node(asm_node);
  }

  std::vector<NodeWrap> branches;
  branches.reserve(split.sub_flow.size());
  for (const FlowBlockIdent& b : split.sub_flow) {
    branches.push_back(arena.take_flow_block(b, [](FlowBlock& blk) { return blk.summarize_as_block(); }));
    cycles.push_back(branches.back().cycle());
  }

  max_cycle = 0;
  for (std::int32_t c : cycles) {
    if (c == IN_CONSIST_CYCLE_USED) {
      max_cycle = IN_CONSIST_CYCLE_USED;
      break;
    }
    if (c > max_cycle) max_cycle = c;
  }

  if (std::optional<NcpIdent> start = base.int_start_node()) {
    if (asm_state_node) arena.get_ncp_node_mut(*asm_state_node).add_depend_node(*start, {});
    for (const NodeWrap& w : branches)
      for (const NcpIdent& entry : w.entry_nodes()) arena.get_ncp_node_mut(entry).add_depend_node(*start, {});
  }

  std::vector<ExitCandidate> candidates;
  candidates.reserve(branches.size() + 1);
  if (asm_state_node) candidates.push_back({*asm_state_node, 1});
  for (const NodeWrap& w : branches) candidates.push_back({w.exit_node(), w.cycle()});

  std::optional<NcpIdent> matching;
  if (max_cycle >= 0)
    for (const ExitCandidate& c : candidates)
      if (c.cycle == max_cycle) {
        matching = c.node;
        break;
      }

  // An OR-join or sync node over all candidates, entered by each of them.
  const auto join_all = [&](const NcpIdent& join) {
    arena.get_ncp_node_mut(join).fill_ext_node(base.ext_nodes, false);
    for (const ExitCandidate& c : candidates) arena.get_ncp_node_mut(join).add_depend_node(c.node, {});
    base.generated_nodes.push_back(join);
    arena.assign_ncp_node(join, true, true);
  };

  std::optional<NcpIdent> exit;
  syn_node.reset();
  no_sync_exit_node.reset();
  if (!no_sync) {
    if (max_cycle == IN_CONSIST_CYCLE_USED && candidates.size() >= 2) {
      const NcpIdent syn =
          arena.make_syn_node(false, "par_syn_" + gid, static_cast<std::int32_t>(candidates.size()));
      join_all(syn);
      syn_node = syn;
      exit = syn;
    } else if (matching) {
      exit = matching;
    } else {
      if (candidates.size() != 1)
        fatal_not_equal("parallel auto-sync cannot choose exit node", std::to_string(candidates.size()), "1");
      exit = candidates.front().node;
    }
  } else if (matching) {
    exit = matching;
  } else if (candidates.size() == 1) {
    exit = candidates.front().node;
  } else if (!candidates.empty()) {
    const NcpIdent join = arena.make_pseudo_node("par_no_sync_exit", 1, LogicOp::BitwiseOr);
    join_all(join);
    no_sync_exit_node = join;
    exit = join;
  }
  if (!exit) fatal("parallel block exit node was not found");

  std::vector<NcpIdent> entries;
  if (asm_state_node) entries.push_back(*asm_state_node);
  for (const NodeWrap& w : branches)
    entries.insert(entries.end(), w.entry_nodes().begin(), w.entry_nodes().end());
  summary.emplace(std::move(entries), exit, max_cycle);
}

}  // namespace velora
