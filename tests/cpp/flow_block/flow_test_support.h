// Shared helpers of the flow block tests.
#pragma once

#include <gtest/gtest.h>

#include "support/error_capture.h"

#include <string>
#include <vector>

#include "common/error.h"
#include "model/controller/asm_priority.h"
#include "model/model_arena.h"

namespace velora::flow_test {



/// An arena with module "top": registers r0..r3 (8 bits), a constant "one"
/// and a 1-bit register "flag", made in the component stage; "top" is the
/// top module and sits on the module trace stack in the flow-block stage.
class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_asm_pri_to_auto();
    top = arena.mk_module(true, "top");
    arena.track_module_at_com_init(top);
    for (int i = 0; i < 4; ++i) regs.push_back(arena.make_reg(true, "r" + std::to_string(i), 8));
    one = arena.make_val(true, "one", 8, 1);
    flag = arena.make_reg(true, "flag", 1);
    arena.untrack_module_at_com_init(top);
    arena.set_top_module(top);
    arena.track_module_at_flow_init(top);
  }

  const Module& module_of(const ModuleIdent& m) const { return arena.modules.get(m.ident_base.arena_handle); }
  const Module& top_module() const { return module_of(top); }

  /// regs[i] <- one, attached to the current scope.
  NcpIdent assign(int i) { return arena.gen_basic_assign(regs[i % regs.size()], one, std::nullopt, -1, -1).node; }

  FlowBlockIdent open(FlowBlockIdent b) {
    arena.initialize_flow_block(b);
    return b;
  }
  FlowBlockIdent open_seq(std::string_view name = "s") { return open(arena.mk_flow_block_seq(name)); }
  /// Validates and closes `b`.
  void close(const FlowBlockIdent& b) {
    EXPECT_EQ(arena.check_flow_block_prefinalize(b), std::nullopt);
    arena.finalize_flow_block(b, false);
  }
  /// A closed sequence of `n` assignments.
  FlowBlockIdent seq_of(int n, std::string_view name = "s") {
    FlowBlockIdent s = open_seq(name);
    for (int i = 0; i < n; ++i) assign(i);
    close(s);
    return s;
  }

  /// Gives an outermost block its clock and master reset the way the module
  /// compiler does, then builds it.
  void build_block(const FlowBlockIdent& b) {
    clk = arena.make_wire(false, "test_clk", 1);
    mrst = arena.make_wire(false, "test_mrst", 1);
    arena.take_flow_block(b, [&](FlowBlock& blk) {
      blk.get_base_mut().clk_srcs.push_back(clk);
      blk.get_base_mut().mrst_srcs.push_back(mrst);
    });
    arena.build_hw_master(b);
  }

  const FlowBlockBase& base(const FlowBlockIdent& b) const { return arena.flow_block_base(b); }
  NodeWrap summary(const FlowBlockIdent& b) {
    return arena.take_flow_block(b, [](FlowBlock& blk) { return blk.summarize_as_block(); });
  }
  std::string rel(const NcpIdent& n) const { return std::string(n.ident_base.rel_name()); }
  std::string rel(const HcpIdent& h) const { return std::string(h.ident_base.rel_name()); }
  std::string gid(const FlowBlockIdent& b) const { return std::to_string(b.ident_base.global_id); }
  const NodeTriggers& triggers(const NcpIdent& n) const { return arena.get_ncp_node(n).get_node_triggers(); }
  /// The predecessors of `n`, in depend order.
  std::vector<NcpIdent> preds(const NcpIdent& n) const {
    std::vector<NcpIdent> out;
    for (const DependEntry& d : triggers(n).depends) out.push_back(d.pred);
    return out;
  }
  const StateNode& state(const NcpIdent& n) const { return arena.state_nodes.get(n.ident_base.arena_handle); }
  /// Number of events in the update pool of a state node's register.
  std::size_t state_reg_events(const NcpIdent& n) const {
    return arena.get_hcp_assign(state(n).state_reg).update_pool.size();
  }

  ModelArena arena;
  ModuleIdent top;
  std::vector<HcpIdent> regs;
  HcpIdent one;
  HcpIdent flag;
  HcpIdent clk;
  HcpIdent mrst;
};

inline bool same(const NcpIdent& a, const NcpIdent& b) { return same_node(a, b); }

}  // namespace velora::flow_test
