// Module compilation.
//
// `build_flow` takes the top module out of its group and compiles it:
// first the design-wide "clk" and "mrst" input wires (their defaults
// disabled, so nothing but the port drives them) and the start node "start",
// which fires once after the master reset, clocked through "start_clk";
// then each module, from the top module down in depth-first pre-order:
//   1. every outermost flow block gets "clk" as its clock source and "mrst"
//      as its master-reset source and is built; a zero-cycle block's
//      assignment node is dry-assigned, any other block's entry nodes are
//      entered from the start node;
//   2. the loose assignment nodes are clocked by "clk" directly and
//      dry-assigned;
//   3. complex components are built;
//   4. the components created so far join the module, then every register
//      gets its reset and every wire its default, and those join it too.
// The module being compiled stays out of its group meanwhile; everything
// created for it arrives through the arena's pending components, because the
// module trace stack names it in stage FlowBlockBuild. Sub-modules are
// compiled one after the other from an explicit work list, so a deep module
// hierarchy costs no C stack.
#include "model/module/build_flow.h"

#include <string>
#include <vector>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

namespace {

/// The components created while `module` was current join it.
void register_pending_into(ModelArena& arena, Module& module) {
  std::vector<PendingHcp> pending = std::move(arena.pending_hcps);
  arena.pending_hcps.clear();
  for (const PendingHcp& p : pending) module.hcp_list(p.ident.hw_type, p.is_user).push_back(p.ident);
}

void pop_module_stack(ModelArena& arena) {
  if (arena.module_stack.empty()) fatal("module trace stack is empty");
  arena.module_stack.pop_back();
}

/// A 1-bit generated input port named like the wire, with no default.
HcpIdent make_input_port_wire(ModelArena& arena, std::string_view name) {
  const HcpIdent wire = arena.make_wire(false, name, 1);
  arena.mark_as_io(wire, true, name);
  arena.wires.take(wire.ident_base.arena_handle)->default_enabled = false;
  return wire;
}

void build_outermost_block(ModelArena& arena, const FlowBlockIdent& block, const NcpIdent& start,
                           const HcpIdent& clk, const HcpIdent& mrst) {
  arena.take_flow_block(block, [&](FlowBlock& b) { b.get_base_mut().clk_srcs.push_back(clk); });
  arena.take_flow_block(block, [&](FlowBlock& b) { b.get_base_mut().mrst_srcs.push_back(mrst); });
  arena.build_hw_master(block);
  if (block.join_policy == FlowBlockJoinPolicy::BasicNodeFlow) {
    const std::optional<NcpIdent> node = arena.take_flow_block(block, [](FlowBlock& b) { return b.summarize_as_node(); });
    const std::string_view got = node ? variant_name(node->node_type) : std::string_view("None");
    if (!node || node->node_type != NodeType::Asm)
      fatal_not_equal("BasicNodeFlow summarize_as_node must return an AsmNode", got, variant_name(NodeType::Asm));
    arena.dry_assign_asm_node(*node);
    return;
  }
  const NodeWrap wrap = arena.take_flow_block(block, [](FlowBlock& b) { return b.summarize_as_block(); });
  for (const NcpIdent& entry : wrap.entry_nodes()) arena.get_ncp_node_mut(entry).add_depend_node(start, {});
  for (const NcpIdent& entry : wrap.entry_nodes()) arena.assign_ncp_node(entry, false, true);
}

/// Hook for complex components (arrays, arbiters, dynamic counters): none
/// can be created yet, so a module never lists one.
void build_ccp(ModelArena&, const CcpIdent& ccp) {
  std::string msg = "build_flow: complex component ";
  ccp.ident_base.append_abs_name(msg);
  msg.append(" cannot be built yet");
  fatal(std::move(msg));
}

/// Steps 1 to 8 for one module; sub-modules are the caller's.
void compile_module(Module& module, ModelArena& arena, const NcpIdent& start, const HcpIdent& clk,
                    const HcpIdent& mrst) {
  arena.module_stack.push_back({module.module_ident, ModuleInitStage::FlowBlockBuild});

  for (std::size_t i = 0; i < module.flow_blocks.size(); ++i)
    build_outermost_block(arena, module.flow_blocks[i], start, clk, mrst);

  for (const NcpIdent& node : module.basic_nodes_i) {
    if (node.node_type != NodeType::Asm)
      fatal_not_equal("basic_nodes_i must contain only AsmNodes", variant_name(node.node_type),
                      variant_name(NodeType::Asm));
    arena.set_asm_node_clk_src_direct(node, clk);
    arena.apply_asm_node_pending_pre_cond(node);
    arena.dry_assign_asm_node(node);
  }

  const std::vector<CcpIdent> ccps = module.ccps;
  for (const CcpIdent& ccp : ccps) build_ccp(arena, ccp);

  pop_module_stack(arena);
  register_pending_into(arena, module);
  arena.module_stack.push_back({module.module_ident, ModuleInitStage::FlowBlockBuild});

  for (const auto* list : {&module.internal_hcps, &module.user_hcps})
    for (const HcpIdent& reg : (*list)[static_cast<int>(HwComponentType::Reg)])
      arena.regs.take(reg.ident_base.arena_handle)->try_build_reset(clk, mrst, arena);
  for (const auto* list : {&module.internal_hcps, &module.user_hcps})
    for (const HcpIdent& wire : (*list)[static_cast<int>(HwComponentType::Wire)])
      arena.wires.take(wire.ident_base.arena_handle)->try_build_default(arena);

  pop_module_stack(arena);
  register_pending_into(arena, module);
}

}  // namespace

void build_flow_base(Module& module, ModelArena& arena, const NcpIdent& start, const HcpIdent& clk,
                     const HcpIdent& mrst) {
  // A module listed twice, or below itself, would be compiled again (or
  // forever); it is refused when it is reached the second time.
  std::vector<bool> reached(arena.modules.size(), false);
  const auto mark_reached = [&](const ModuleIdent& m) {
    const std::size_t index = static_cast<std::size_t>(m.ident_base.arena_handle.index);
    if (index < reached.size()) {
      if (reached[index]) {
        std::string msg = "build_flow: module ";
        m.ident_base.append_abs_name(msg);
        msg.append(" is reached twice in the module hierarchy");
        fatal(std::move(msg));
      }
      reached[index] = true;
    }
  };
  mark_reached(module.module_ident);
  compile_module(module, arena, start, clk, mrst);
  std::vector<ModuleIdent> todo(module.sub_modules.rbegin(), module.sub_modules.rend());
  while (!todo.empty()) {
    const ModuleIdent sub = todo.back();
    todo.pop_back();
    mark_reached(sub);
    auto taken = arena.modules.take(sub.ident_base.arena_handle);
    compile_module(*taken, arena, start, clk, mrst);
    todo.insert(todo.end(), taken->sub_modules.rbegin(), taken->sub_modules.rend());
  }
}

void build_flow_as_top_module(Module& module, ModelArena& arena) {
  if (module.start_node) fatal("top module start node must not be set before build_flow");
  arena.module_stack.push_back({module.module_ident, ModuleInitStage::FlowBlockBuild});
  const HcpIdent clk = make_input_port_wire(arena, "clk");
  const HcpIdent mrst = make_input_port_wire(arena, "mrst");
  const NcpIdent start = arena.make_start_node("start", mrst);
  const NcpIdent start_clk = arena.make_opr_node("start_clk", clk);
  arena.get_ncp_node_mut(start).set_clk_node(start_clk);
  arena.assign_ncp_node(start, true, true);
  module.start_node = start;
  pop_module_stack(arena);
  build_flow_base(module, arena, start, clk, mrst);
}

void ModelArena::build_flow() {
  if (!top_module) fatal("build_flow: no top module set");
  auto top = modules.take(top_module->ident_base.arena_handle);
  build_flow_as_top_module(*top, *this);
}

}  // namespace velora
