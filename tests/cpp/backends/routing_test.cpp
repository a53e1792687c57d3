// Cross-module IO routing: ports made, names, agents, reuse, remapped
// references, failures of inconsistent module trees, and the agreement of
// routing with the plain walk on random designs.
#include <gtest/gtest.h>

#include "support/error_capture.h"

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "backends/common/module_paths.h"
#include "backends/common/routing.h"
#include "backends/verilog/hw_component/hcp_vb.h"
#include "common/error.h"
#include "model/model_arena.h"

namespace velora {
namespace {

constexpr int kIoWire = static_cast<int>(HwComponentType::IoWire);

using RouteFn = void (*)(ModelArena&);

struct RouteImpl {
  const char* name;
  RouteFn route;
};

const RouteImpl kImpls[] = {
    {"indexed", &route_and_remap_io_model},
    {"plain", &routing_detail::route_and_remap_io_model_plain},
};



std::string quoted(const ModuleIdent& m) {
  return "\"" + m.ident_base.abs_name() + "\" (id " + std::to_string(m.ident_base.global_id) + ")";
}

/// A model under construction, with readers for what routing makes.
class Design {
 public:
  ModelArena arena;

  /// A new module, current until `close`: a child of the module that is
  /// current now.
  ModuleIdent open(std::string_view name) {
    ModuleIdent m = arena.mk_module(true, name);
    arena.track_module_at_com_init(m);
    return m;
  }
  void close(const ModuleIdent& m) { arena.untrack_module_at_com_init(m); }
  /// Makes `m` current again to add components (no re-parenting when the
  /// stack is otherwise empty).
  void reopen(const ModuleIdent& m) { arena.track_module_at_com_init(m); }

  /// A one-operand expression of the current module reading `x`.
  HcpIdent reader(const HcpIdent& x) {
    return arena.make_expression_single(true, "rd", LogicOp::BitwiseInvr, x, std::nullopt);
  }

  const Module& module(const ModuleIdent& m) const { return arena.modules.get(m.ident_base.arena_handle); }
  const std::vector<HcpIdent>& ports(const ModuleIdent& m) const { return module(m).internal_hcps[kIoWire]; }
  const IoWire& wire(const HcpIdent& port) const { return arena.io_wires.get(port.ident_base.arena_handle); }
  const Expression& expr(const HcpIdent& e) const { return arena.expressions.get(e.ident_base.arena_handle); }
  const UpdatePool& pool(const HcpIdent& c) const { return arena.get_hcp_assign(c).update_pool; }
  const UeBasic& basic(const UpdateEventIdent& ue) const { return arena.ue_basics.get(ue.arena_handle); }
  HcpIdent operand(const HcpIdent& e) const { return expr(e).a->ident; }
};

/// Checks a routed port: direction, carried signal, driver, width, name, and
/// the driver's event (priority 50, combinational, whole ranges).
void expect_port(const Design& d, const HcpIdent& port, const ModuleIdent& module, bool is_input,
                 const std::optional<HcpIdent>& actual, const std::optional<HcpIdent>& agent, std::int32_t width,
                 const std::string& name) {
  SCOPED_TRACE(name);
  const IoWire& w = d.wire(port);
  EXPECT_EQ(port.parent_module, module.ident_base.arena_handle);
  EXPECT_FALSE(port.ident_base.is_user_com());
  EXPECT_EQ(port.ident_base.rel_name(), name);
  EXPECT_EQ(port.ident_base.abs_name(), "IO_WIRE_" + name + "_" + std::to_string(port.ident_base.global_id));
  EXPECT_EQ(w.is_input, is_input);
  EXPECT_EQ(w.actual_src_signal_i, actual);
  EXPECT_EQ(w.agent_src_signal_i, agent);
  EXPECT_EQ(w.width, width);
  if (!agent) {
    EXPECT_TRUE(w.get_update_pool().empty());
    return;
  }
  ASSERT_EQ(w.get_update_pool().size(), 1u);
  const UeBasic& ue = d.basic(w.get_update_pool()[0]);
  EXPECT_EQ(ue.src, *agent);
  EXPECT_EQ(ue.common.priority, DEFAULT_UE_PRI_INTERNAL_MIN);
  EXPECT_EQ(ue.common.clk_mode, ClockMode::ClkFree);
  EXPECT_FALSE(ue.common.clk_src.has_value());
  EXPECT_EQ(ue.des_slice, (Slice{0, width}));
  EXPECT_EQ(ue.src_slice, (Slice{0, width}));
}

/// The port line the Verilog writer makes of a port.
std::string port_line(const Design& d, const HcpIdent& port) {
  StringWriter out;
  gen_io_line_vb(out, d.arena, port, 0);
  return out.take();
}

std::string out_name(const HcpIdent& x) { return "IO_OUT_" + x.ident_base.abs_name(); }
std::string in_name(const HcpIdent& x) { return "IO_IN_" + x.ident_base.abs_name(); }

// ================================================================ internal routing

class InternalRouting : public ::testing::TestWithParam<RouteImpl> {
 protected:
  void route() { GetParam().route(d.arena); }
  Design d;
};

INSTANTIATE_TEST_SUITE_P(Impl, InternalRouting, ::testing::ValuesIn(kImpls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(InternalRouting, SiblingReadGoesOutOfTheSourceAndIntoTheReader) {
  const ModuleIdent top = d.open("top");
  const ModuleIdent a = d.open("a");
  const HcpIdent r = d.arena.make_reg(true, "r", 8);
  d.close(a);
  const ModuleIdent b = d.open("b");
  const HcpIdent e = d.reader(r);
  d.close(b);
  d.close(top);
  d.arena.set_top_module(top);

  route();

  ASSERT_EQ(d.ports(a).size(), 1u);
  ASSERT_EQ(d.ports(b).size(), 1u);
  EXPECT_TRUE(d.ports(top).empty());
  const HcpIdent out = d.ports(a)[0];
  const HcpIdent in = d.ports(b)[0];
  expect_port(d, out, a, false, r, r, 8, out_name(r));
  expect_port(d, in, b, true, r, out, 8, in_name(r));
  EXPECT_LT(out.ident_base.global_id, in.ident_base.global_id);
  EXPECT_EQ(d.operand(e), in);
  EXPECT_TRUE(d.module(a).user_hcps[kIoWire].empty());
}

TEST_P(InternalRouting, ReadersOfOneSignalShareItsPorts) {
  const ModuleIdent top = d.open("top");
  const ModuleIdent a = d.open("a");
  const HcpIdent r = d.arena.make_reg(true, "r", 4);
  d.close(a);
  const ModuleIdent b = d.open("b");
  const HcpIdent e1 = d.reader(r);
  const HcpIdent e2 = d.reader(r);
  d.close(b);
  d.close(top);
  d.arena.set_top_module(top);

  route();

  ASSERT_EQ(d.ports(a).size(), 1u);
  ASSERT_EQ(d.ports(b).size(), 1u);
  EXPECT_EQ(d.operand(e1), d.ports(b)[0]);
  EXPECT_EQ(d.operand(e2), d.ports(b)[0]);
}

TEST_P(InternalRouting, GrandparentSignalComesDownThroughInputPortsOnly) {
  const ModuleIdent top = d.open("top");
  const HcpIdent g = d.arena.make_wire(true, "g", 3);
  const ModuleIdent p = d.open("p");
  const ModuleIdent c = d.open("c");
  const HcpIdent e = d.reader(g);
  d.close(c);
  d.close(p);
  d.close(top);
  d.arena.set_top_module(top);

  route();

  EXPECT_TRUE(d.ports(top).empty());
  ASSERT_EQ(d.ports(p).size(), 1u);
  ASSERT_EQ(d.ports(c).size(), 1u);
  expect_port(d, d.ports(p)[0], p, true, g, g, 3, in_name(g));
  expect_port(d, d.ports(c)[0], c, true, g, d.ports(p)[0], 3, in_name(g));
  EXPECT_EQ(d.operand(e), d.ports(c)[0]);
}

TEST_P(InternalRouting, DescendantSignalComesUpThroughOutputPortsOnly) {
  const ModuleIdent top = d.open("top");
  const ModuleIdent p = d.open("p");
  const ModuleIdent c = d.open("c");
  const HcpIdent r = d.arena.make_reg(true, "deep", 5);
  d.close(c);
  d.close(p);
  const HcpIdent e = d.reader(r);
  d.close(top);
  d.arena.set_top_module(top);

  route();

  EXPECT_TRUE(d.ports(top).empty());
  ASSERT_EQ(d.ports(c).size(), 1u);
  ASSERT_EQ(d.ports(p).size(), 1u);
  expect_port(d, d.ports(c)[0], c, false, r, r, 5, out_name(r));
  expect_port(d, d.ports(p)[0], p, false, r, d.ports(c)[0], 5, out_name(r));
  // The top reads the output port of its child (declared as a net there).
  EXPECT_EQ(d.operand(e), d.ports(p)[0]);
}

TEST_P(InternalRouting, DesignWithoutCrossModuleReadsIsLeftUnchanged) {
  const ModuleIdent top = d.open("top");
  const HcpIdent t = d.arena.make_wire(true, "t", 2);
  const HcpIdent et = d.reader(t);
  const ModuleIdent a = d.open("a");
  const HcpIdent r = d.arena.make_reg(true, "r", 2);
  const HcpIdent ea = d.reader(r);
  d.arena.bind_src(r, ea, std::nullopt, 0, 2, std::nullopt, std::nullopt, std::nullopt);
  d.close(a);
  d.close(top);
  d.arena.set_top_module(top);
  const std::size_t events = d.arena.ue_basics.size();

  route();

  EXPECT_EQ(d.arena.io_wires.size(), 0u);
  EXPECT_EQ(d.arena.ue_basics.size(), events);
  EXPECT_EQ(d.operand(et), t);
  EXPECT_EQ(d.operand(ea), r);
  EXPECT_EQ(d.basic(d.pool(r)[0]).src, ea);
}

// The module example of the Verilog writer: mid (a child of the top) has an
// 8-bit register acc, its child sub a register res; acc <= res and res <= acc
// on the top's clock.
TEST_P(InternalRouting, ClockAndCrossReadsOfANestedPairInCreationOrder) {
  const ModuleIdent top = d.open("top");
  const HcpIdent clk = d.arena.make_wire(true, "clk", 1);
  const ModuleIdent mid = d.open("mid");
  const ModuleIdent sub = d.open("sub");
  const HcpIdent res = d.arena.make_reg(true, "res", 8);
  d.close(sub);
  const HcpIdent acc = d.arena.make_reg(true, "acc", 8);
  d.close(mid);
  d.close(top);
  d.arena.set_top_module(top);
  d.arena.bind_src(acc, res, std::nullopt, 0, 8, std::nullopt, ClockMode::PosEdge, clk);
  d.arena.bind_src(res, acc, std::nullopt, 0, 8, std::nullopt, ClockMode::PosEdge, clk);

  route();

  ASSERT_EQ(d.ports(mid).size(), 1u);
  ASSERT_EQ(d.ports(sub).size(), 3u);
  const HcpIdent mid_clk = d.ports(mid)[0];
  const HcpIdent sub_res = d.ports(sub)[0];
  const HcpIdent sub_clk = d.ports(sub)[1];
  const HcpIdent sub_acc = d.ports(sub)[2];
  expect_port(d, mid_clk, mid, true, clk, clk, 1, in_name(clk));
  expect_port(d, sub_res, sub, false, res, res, 8, out_name(res));
  expect_port(d, sub_clk, sub, true, clk, mid_clk, 1, in_name(clk));
  expect_port(d, sub_acc, sub, true, acc, acc, 8, in_name(acc));
  // Each port is followed by its event: ids advance by two.
  EXPECT_EQ(sub_res.ident_base.global_id, mid_clk.ident_base.global_id + 2);
  EXPECT_EQ(sub_clk.ident_base.global_id, mid_clk.ident_base.global_id + 4);
  EXPECT_EQ(sub_acc.ident_base.global_id, mid_clk.ident_base.global_id + 6);

  const UeBasic& acc_ue = d.basic(d.pool(acc)[0]);
  EXPECT_EQ(acc_ue.src, sub_res);
  EXPECT_EQ(acc_ue.common.clk_src, mid_clk);
  const UeBasic& res_ue = d.basic(d.pool(res)[0]);
  EXPECT_EQ(res_ue.src, sub_acc);
  EXPECT_EQ(res_ue.common.clk_src, sub_clk);
}

TEST_P(InternalRouting, ConditionsAndSelectorsAreRemapped) {
  const ModuleIdent top = d.open("top");
  const HcpIdent flag = d.arena.make_wire(true, "flag", 1);
  const HcpIdent sel = d.arena.make_wire(true, "sel", 2);
  const ModuleIdent a = d.open("a");
  const HcpIdent r = d.arena.make_reg(true, "r", 4);
  const HcpIdent v = d.arena.make_val(true, "v", 4, 3);
  d.close(a);
  d.close(top);
  d.arena.set_top_module(top);
  const UpdateEventIdent inner = d.arena.make_ue_basic(v, 0, 4, 0, 4, 10, ClockMode::ClkFree, false, std::nullopt);
  const UpdateEventIdent cond = d.arena.make_ue_add_dis(flag, std::nullopt, inner);
  const UpdateEventIdent inner2 = d.arena.make_ue_basic(v, 0, 4, 0, 4, 10, ClockMode::ClkFree, false, std::nullopt);
  const UpdateEventIdent sw = d.arena.make_ue_switch(sel, {1}, {inner2});
  d.arena.get_hcp_assign_mut(r).update_pool.push(cond);
  d.arena.get_hcp_assign_mut(r).update_pool.push(sw);

  route();

  ASSERT_EQ(d.ports(a).size(), 2u);
  // Sources in ascending global id: flag, then sel.
  expect_port(d, d.ports(a)[0], a, true, flag, flag, 1, in_name(flag));
  expect_port(d, d.ports(a)[1], a, true, sel, sel, 2, in_name(sel));
  EXPECT_EQ(d.arena.ue_conds.get(cond.arena_handle).conds[0], d.ports(a)[0]);
  EXPECT_EQ(d.arena.ue_switches.get(sw.arena_handle).selector, d.ports(a)[1]);
  EXPECT_EQ(d.basic(inner).src, v);  // a signal of the module itself stays
}

TEST_P(InternalRouting, CousinsReuseThePartOfTheChainTheyShare) {
  // top { a { a1 { src } }, b { b1 { rd1 }, b2 { rd2 } }, c { rd3 } }
  const ModuleIdent top = d.open("top");
  const ModuleIdent a = d.open("a");
  const ModuleIdent a1 = d.open("a1");
  const HcpIdent src = d.arena.make_reg(true, "src", 6);
  d.close(a1);
  d.close(a);
  const ModuleIdent b = d.open("b");
  const ModuleIdent b1 = d.open("b1");
  const HcpIdent rd1 = d.reader(src);
  d.close(b1);
  const ModuleIdent b2 = d.open("b2");
  const HcpIdent rd2 = d.reader(src);
  d.close(b2);
  d.close(b);
  const ModuleIdent c = d.open("c");
  const HcpIdent rd3 = d.reader(src);
  d.close(c);
  d.close(top);
  d.arena.set_top_module(top);

  route();

  ASSERT_EQ(d.ports(a1).size(), 1u);
  ASSERT_EQ(d.ports(a).size(), 1u);
  ASSERT_EQ(d.ports(b).size(), 1u);
  ASSERT_EQ(d.ports(b1).size(), 1u);
  ASSERT_EQ(d.ports(b2).size(), 1u);
  ASSERT_EQ(d.ports(c).size(), 1u);
  EXPECT_TRUE(d.ports(top).empty());
  expect_port(d, d.ports(a1)[0], a1, false, src, src, 6, out_name(src));
  expect_port(d, d.ports(a)[0], a, false, src, d.ports(a1)[0], 6, out_name(src));
  expect_port(d, d.ports(b)[0], b, true, src, d.ports(a)[0], 6, in_name(src));
  expect_port(d, d.ports(b1)[0], b1, true, src, d.ports(b)[0], 6, in_name(src));
  expect_port(d, d.ports(b2)[0], b2, true, src, d.ports(b)[0], 6, in_name(src));
  expect_port(d, d.ports(c)[0], c, true, src, d.ports(a)[0], 6, in_name(src));
  EXPECT_EQ(d.operand(rd1), d.ports(b1)[0]);
  EXPECT_EQ(d.operand(rd2), d.ports(b2)[0]);
  EXPECT_EQ(d.operand(rd3), d.ports(c)[0]);
}

TEST_P(InternalRouting, AnUnroutedPortBeforeAMatchFailsAndAfterItDoesNot) {
  const ModuleIdent top = d.open("top");
  const HcpIdent w = d.arena.make_wire(true, "w", 4);
  const ModuleIdent c = d.open("c");
  const HcpIdent in_marked = d.arena.make_wire(true, "pin", 1);
  d.arena.mark_as_io(in_marked, true, "pin");
  const HcpIdent e1 = d.reader(w);
  d.close(c);
  d.close(top);
  d.arena.set_top_module(top);

  // Internal routing first: c's port for w comes before the unrouted port
  // that global routing adds; a later reader of w reuses it.
  route();
  route_glob_io_model(d.arena);
  ASSERT_EQ(d.ports(c).size(), 2u);
  d.reopen(c);
  const HcpIdent e2 = d.reader(w);
  d.close(c);
  route();
  EXPECT_EQ(d.operand(e1), d.ports(c)[0]);
  EXPECT_EQ(d.operand(e2), d.ports(c)[0]);
  EXPECT_EQ(d.ports(c).size(), 2u);

  // A reader of a signal without a port in c meets the unrouted port first.
  const HcpIdent w2 = [&] {
    d.reopen(top);
    HcpIdent x = d.arena.make_wire(true, "w2", 4);
    d.close(top);
    return x;
  }();
  d.reopen(c);
  d.reader(w2);
  d.close(c);
  EXPECT_EQ(fatal_message([&] { route(); }), "IoWire: actual_src_signal_i is None");
}

TEST_P(InternalRouting, SourceOutsideTheSubModuleListsIsRoutedByItsParentLink) {
  const ModuleIdent top = d.open("top");
  const ModuleIdent hidden = d.open("hidden");
  const HcpIdent x = d.arena.make_reg(true, "x", 2);
  d.arena.untrack_module_at_flow_init(hidden);  // popped without joining the top's sub-modules
  const HcpIdent e = d.reader(x);
  d.close(top);
  d.arena.set_top_module(top);
  ASSERT_TRUE(d.module(top).sub_modules.empty());

  route();

  ASSERT_EQ(d.ports(hidden).size(), 1u);
  expect_port(d, d.ports(hidden)[0], hidden, false, x, x, 2, out_name(x));
  EXPECT_EQ(d.operand(e), d.ports(hidden)[0]);
}

TEST_P(InternalRouting, SourceWithoutModuleFailsTheHandleCheck) {
  const ModuleIdent top = d.open("top");
  const HcpIdent r = d.arena.make_reg(true, "r", 2);
  HcpIdent unstamped = d.arena.make_reg(true, "u", 2);
  unstamped.parent_module = ArenaHandle::nothing();
  d.close(top);
  d.arena.set_top_module(top);
  d.arena.get_hcp_assign_mut(r).update_pool.push(
      d.arena.make_ue_basic(unstamped, 0, 2, 0, 2, 10, ClockMode::ClkFree, false, std::nullopt));
  EXPECT_EQ(first_line(fatal_message([&] { route(); })), "left and right values differ: ArenaHandle generation mismatch");
}

TEST_P(InternalRouting, NoTopModuleFails) {
  const ModuleIdent top = d.open("top");
  d.close(top);
  EXPECT_EQ(fatal_message([&] { route(); }), "route_and_remap_io_model: no top module set");
}

TEST_P(InternalRouting, ReadOfAModuleOfAnotherTreeFails) {
  const ModuleIdent other = d.open("other");
  const HcpIdent x = d.arena.make_reg(true, "x", 1);
  d.close(other);
  const ModuleIdent top = d.open("top");
  d.reader(x);
  d.close(top);
  d.arena.set_top_module(top);
  EXPECT_EQ(fatal_message([&] { route(); }),
            "find_common_ancestor_module_paths: modules " + quoted(top) + " and " + quoted(other) +
                " share no common ancestor \u2014 they are in different module trees");
}

TEST_P(InternalRouting, ModuleWithoutParentBelowTheTopFails) {
  const ModuleIdent top = d.open("top");
  const HcpIdent w = d.arena.make_wire(true, "w", 1);
  const ModuleIdent c = d.open("c");
  d.reader(w);
  d.close(c);
  d.close(top);
  d.arena.set_top_module(top);
  d.arena.modules.get_mut(c.ident_base.arena_handle).module_ident.master_module_handle = ArenaHandle::nothing();
  ModuleIdent broken = c;
  broken.master_module_handle = ArenaHandle::nothing();
  EXPECT_EQ(first_line(fatal_message([&] { route(); })),
            "left and right values differ: get_parent_module_ident: module " + quoted(broken) +
                " is a top module and has no parent \u2014 module tree / depth_level is inconsistent");
}

TEST_P(InternalRouting, SubModuleCycleFailsInsteadOfWalkingForever) {
  const ModuleIdent a = d.open("a");
  const ModuleIdent b = d.open("b");
  d.close(b);
  d.close(a);
  d.reopen(b);
  d.reopen(a);
  d.close(a);  // a is now also listed under b
  d.close(b);
  d.arena.set_top_module(a);
  EXPECT_EQ(fatal_message([&] { route(); }),
            "route_and_remap_io_model: module " + quoted(a) + " is reached twice in the module tree");
}

TEST_P(InternalRouting, LargeFanoutReusesOnePortPairPerSignal) {
  constexpr int kSignals = 2000;
  const ModuleIdent top = d.open("top");
  const ModuleIdent a = d.open("a");
  std::vector<HcpIdent> regs;
  for (int i = 0; i < kSignals; ++i) regs.push_back(d.arena.make_reg(true, "r", 16));
  d.close(a);
  const ModuleIdent b = d.open("b");
  std::vector<HcpIdent> readers;
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < kSignals; ++i) readers.push_back(d.reader(regs[(i * 7 + round) % kSignals]));
  d.close(b);
  d.close(top);
  d.arena.set_top_module(top);

  const auto start = std::chrono::steady_clock::now();
  route();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  ASSERT_EQ(d.ports(a).size(), static_cast<std::size_t>(kSignals));
  ASSERT_EQ(d.ports(b).size(), static_cast<std::size_t>(kSignals));
  // Ports follow the sources' global ids, which follow creation order.
  for (int i = 0; i < kSignals; ++i) {
    ASSERT_EQ(d.wire(d.ports(a)[i]).actual_src_signal_i, regs[i]);
    ASSERT_EQ(d.wire(d.ports(b)[i]).agent_src_signal_i, d.ports(a)[i]);
  }
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < kSignals; ++i)
      ASSERT_EQ(d.operand(readers[round * kSignals + i]), d.ports(b)[(i * 7 + round) % kSignals]);
  if (std::string(GetParam().name) == "indexed") {
    EXPECT_LT(seconds, 2.0);
  }
}

TEST_P(InternalRouting, DeepChainReadingTheTopAndTheParent) {
  constexpr int kDepth = 1500;
  std::vector<ModuleIdent> chain;
  std::vector<HcpIdent> regs;
  chain.push_back(d.open("m"));
  const HcpIdent clk = d.arena.make_wire(true, "clk", 1);
  regs.push_back(d.arena.make_reg(true, "r", 2));
  for (int i = 1; i < kDepth; ++i) {
    chain.push_back(d.open("m"));
    regs.push_back(d.arena.make_reg(true, "r", 2));
    d.arena.bind_src(regs[i], regs[i - 1], std::nullopt, 0, 2, std::nullopt, ClockMode::PosEdge, clk);
  }
  for (int i = kDepth - 1; i >= 0; --i) d.close(chain[i]);
  d.arena.set_top_module(chain[0]);

  route();

  EXPECT_TRUE(d.ports(chain[0]).empty());
  for (int i = 1; i < kDepth; ++i) {
    const auto& ports = d.ports(chain[i]);
    ASSERT_EQ(ports.size(), 2u) << i;
    // Module i reads its parent's register and the top's clock, in id order.
    const HcpIdent& clk_port = ports[0];
    const HcpIdent& reg_port = ports[1];
    ASSERT_EQ(d.wire(clk_port).actual_src_signal_i, clk);
    ASSERT_EQ(d.wire(clk_port).agent_src_signal_i, i == 1 ? clk : d.ports(chain[i - 1])[0]);
    ASSERT_EQ(d.wire(reg_port).agent_src_signal_i, regs[i - 1]);
    const UeBasic& ue = d.basic(d.pool(regs[i])[0]);
    ASSERT_EQ(ue.src, reg_port);
    ASSERT_EQ(ue.common.clk_src, clk_port);
  }
}

// ---------------------------------------------------------------- random designs

/// Builds the same random design for a seed in any arena: a random module
/// tree (depth-first construction), components in every module, and reads of
/// random components from random modules (expression operands, event
/// sources, clock sources and conditions).
void build_random(Design& d, unsigned seed) {
  std::mt19937 rng(seed);
  const int modules = 4 + static_cast<int>(rng() % 30);
  std::vector<int> parent(modules, -1);
  for (int i = 1; i < modules; ++i) parent[i] = static_cast<int>(rng() % i);
  if (seed % 3 == 0)  // deep and thin
    for (int i = 1; i < modules; ++i) parent[i] = std::max(0, i - 1 - static_cast<int>(rng() % 2));
  std::vector<std::vector<int>> children(modules);
  for (int i = 1; i < modules; ++i) children[parent[i]].push_back(i);

  std::vector<ModuleIdent> ids(modules);
  std::vector<HcpIdent> signals;
  std::vector<HcpIdent> regs;
  std::vector<std::pair<int, int>> stack{{0, -1}};  // (module, next child), -1: not opened yet
  while (!stack.empty()) {
    auto& [m, next] = stack.back();
    if (next < 0) {
      ids[m] = d.open("m" + std::to_string(m));
      const int count = 1 + static_cast<int>(rng() % 3);
      for (int k = 0; k < count; ++k) {
        regs.push_back(d.arena.make_reg(true, "r", 4));
        signals.push_back(regs.back());
        signals.push_back(d.arena.make_wire(true, "w", 1));
      }
      next = 0;
    }
    if (next < static_cast<int>(children[m].size())) {
      const int child = children[m][next++];
      stack.push_back({child, -1});
    } else {
      d.close(ids[m]);
      stack.pop_back();
    }
  }
  d.arena.set_top_module(ids[0]);

  const int reads = 10 + static_cast<int>(rng() % 60);
  for (int i = 0; i < reads; ++i) {
    const int m = static_cast<int>(rng() % modules);
    const HcpIdent x = signals[rng() % signals.size()];
    d.reopen(ids[m]);
    switch (rng() % 3) {
      case 0:
        d.reader(x);
        break;
      case 1: {
        const HcpIdent r = d.arena.make_reg(true, "dst", 4);
        const HcpIdent clk = signals[rng() % signals.size()];
        const HcpIdent src = regs[rng() % regs.size()];
        d.arena.bind_src(r, src, std::nullopt, 0, 4, std::nullopt, ClockMode::PosEdge, clk);
        break;
      }
      default: {
        const HcpIdent w = d.arena.make_wire(true, "dw", 4);
        const HcpIdent cond = signals[rng() % signals.size()];
        const HcpIdent src = regs[rng() % regs.size()];
        const UpdateEventIdent inner =
            d.arena.make_ue_basic(src, 0, 4, 0, 4, 10, ClockMode::ClkFree, false, std::nullopt);
        const UpdateEventIdent ue = d.arena.make_ue_add_dis(cond, std::nullopt, inner);
        d.arena.get_hcp_assign_mut(w).update_pool.push(ue);
        break;
      }
    }
    d.close(ids[m]);
  }
}

/// What routing made and changed, by arena handles (the same in two arenas
/// built by the same calls, while global ids differ).
struct Ref {
  HwComponentType type;
  std::uint64_t index;
  friend bool operator==(const Ref&, const Ref&) = default;
};
Ref ref(const HcpIdent& id) { return {id.hw_type, id.ident_base.arena_handle.index}; }
std::optional<Ref> ref(const std::optional<HcpIdent>& id) {
  return id ? std::optional<Ref>(ref(*id)) : std::nullopt;
}

void expect_same_routing(const Design& x, const Design& y) {
  ASSERT_EQ(x.arena.io_wires.size(), y.arena.io_wires.size());
  for (std::uint64_t i = 0; i < x.arena.io_wires.size(); ++i) {
    const IoWire& p = x.arena.io_wires.get({i, 0});
    const IoWire& q = y.arena.io_wires.get({i, 0});
    ASSERT_EQ(p.ident.parent_module, q.ident.parent_module) << i;
    ASSERT_EQ(p.is_input, q.is_input) << i;
    ASSERT_EQ(ref(p.actual_src_signal_i), ref(q.actual_src_signal_i)) << i;
    ASSERT_EQ(ref(p.agent_src_signal_i), ref(q.agent_src_signal_i)) << i;
    ASSERT_EQ(p.ident.ident_base.global_id - x.arena.io_wires.get({0, 0}).ident.ident_base.global_id,
              q.ident.ident_base.global_id - y.arena.io_wires.get({0, 0}).ident.ident_base.global_id);
  }
  ASSERT_EQ(x.arena.expressions.size(), y.arena.expressions.size());
  for (std::uint64_t i = 0; i < x.arena.expressions.size(); ++i)
    ASSERT_EQ(ref(x.arena.expressions.get({i, 0}).a->ident), ref(y.arena.expressions.get({i, 0}).a->ident));
  ASSERT_EQ(x.arena.ue_basics.size(), y.arena.ue_basics.size());
  for (std::uint64_t i = 0; i < x.arena.ue_basics.size(); ++i) {
    ASSERT_EQ(ref(x.arena.ue_basics.get({i, 0}).src), ref(y.arena.ue_basics.get({i, 0}).src));
    ASSERT_EQ(ref(x.arena.ue_basics.get({i, 0}).common.clk_src), ref(y.arena.ue_basics.get({i, 0}).common.clk_src));
  }
  ASSERT_EQ(x.arena.ue_conds.size(), y.arena.ue_conds.size());
  for (std::uint64_t i = 0; i < x.arena.ue_conds.size(); ++i)
    ASSERT_EQ(ref(x.arena.ue_conds.get({i, 0}).conds[0]), ref(y.arena.ue_conds.get({i, 0}).conds[0]));
}

class RandomDesigns : public ::testing::TestWithParam<unsigned> {};

INSTANTIATE_TEST_SUITE_P(Seeds, RandomDesigns, ::testing::Range(1u, 41u));

TEST_P(RandomDesigns, RoutingAgreesWithThePlainWalk) {
  Design fast;
  Design plain;
  build_random(fast, GetParam());
  build_random(plain, GetParam());
  route_and_remap_io_model(fast.arena);
  routing_detail::route_and_remap_io_model_plain(plain.arena);
  expect_same_routing(fast, plain);
  // Every expression now reads a signal of its own module or an output port
  // of one of its sub-modules.
  for (std::uint64_t i = 0; i < fast.arena.expressions.size(); ++i) {
    const Expression& e = fast.arena.expressions.get({i, 0});
    const HcpIdent& x = e.a->ident;
    if (x.parent_module == e.ident.parent_module) continue;
    ASSERT_EQ(x.hw_type, HwComponentType::IoWire) << i;
    ASSERT_FALSE(fast.arena.io_wires.get(x.ident_base.arena_handle).is_input) << i;
    ASSERT_EQ(fast.arena.modules.get(x.parent_module).module_ident.master_module_handle, e.ident.parent_module) << i;
  }
}

/// Bends the parent links and depth levels of a few modules of a random
/// design (parents stay earlier modules, so the links cannot loop).
void damage_tree(Design& d, unsigned seed) {
  std::mt19937 rng(seed * 7919u);
  const std::uint64_t count = d.arena.modules.size();
  const int changes = 1 + static_cast<int>(rng() % 3);
  for (int k = 0; k < changes; ++k) {
    const std::uint64_t victim = 1 + rng() % (count - 1);
    ModuleIdent& ident = d.arena.modules.get_mut({victim, 0}).module_ident;
    switch (rng() % 3) {
      case 0:
        ident.master_module_handle = ArenaHandle{rng() % victim, 0};
        break;
      case 1:
        ident.depth_level = rng() % (ident.depth_level + 2);
        break;
      default:
        ident.master_module_handle = ArenaHandle::nothing();
        break;
    }
  }
}

/// Runs `route`; the message of its failure with every number as "#" (ids
/// differ between arenas), or "" when it succeeds.
std::string outcome(RouteFn route, ModelArena& arena) {
  try {
    route(arena);
  } catch (const Error& e) {
    std::string text;
    for (const char c : std::string_view(e.what())) {
      const bool digit = c >= '0' && c <= '9';
      if (!digit) text.push_back(c);
      else if (text.empty() || text.back() != '#') text.push_back('#');
    }
    return text;
  }
  return {};
}

TEST_P(RandomDesigns, DamagedTreesRouteOrFailAlikeInBothWalks) {
  Design fast;
  Design plain;
  build_random(fast, GetParam());
  build_random(plain, GetParam());
  damage_tree(fast, GetParam());
  damage_tree(plain, GetParam());
  EXPECT_EQ(outcome(&route_and_remap_io_model, fast.arena),
            outcome(&routing_detail::route_and_remap_io_model_plain, plain.arena));
  // Also what was routed before a failure.
  expect_same_routing(fast, plain);
}

// ================================================================ global routing

TEST(GlobalRouting, OutputMarkTwoLevelsDownMakesThreeOutputPorts) {
  Design d;
  const ModuleIdent top = d.open("top");
  const ModuleIdent p = d.open("p");
  const ModuleIdent c = d.open("c");
  const HcpIdent x = d.arena.make_reg(true, "x", 8);
  d.arena.mark_as_io(x, false, "result");
  d.close(c);
  d.close(p);
  d.close(top);
  d.arena.set_top_module(top);

  route_glob_io_model(d.arena);

  ASSERT_EQ(d.ports(c).size(), 1u);
  ASSERT_EQ(d.ports(p).size(), 1u);
  ASSERT_EQ(d.ports(top).size(), 1u);
  expect_port(d, d.ports(c)[0], c, false, x, x, 8, out_name(x));
  expect_port(d, d.ports(p)[0], p, false, x, d.ports(c)[0], 8, out_name(x));
  expect_port(d, d.ports(top)[0], top, false, x, d.ports(p)[0], 8, out_name(x));
  EXPECT_FALSE(d.wire(d.ports(c)[0]).io_name.has_value());
  EXPECT_FALSE(d.wire(d.ports(p)[0]).io_name.has_value());
  ASSERT_TRUE(d.wire(d.ports(top)[0]).io_name.has_value());
  EXPECT_EQ(name_text(*d.wire(d.ports(top)[0]).io_name), "result");
  EXPECT_EQ(port_line(d, d.ports(top)[0]), "output reg  [7:0] result");
  EXPECT_TRUE(d.pool(x).empty());  // an output leaves the component alone
  EXPECT_TRUE(d.arena.get_hcp_assign(x).io_mark.has_value());
}

TEST(GlobalRouting, InputMarkedWireOfTheTopGetsOnePortAndIsDrivenByIt) {
  Design d;
  const ModuleIdent top = d.open("top");
  const HcpIdent w = d.arena.make_wire(true, "din", 4);
  d.arena.mark_as_io(w, true, "din");
  d.close(top);
  d.arena.set_top_module(top);

  route_glob_io_model(d.arena);

  ASSERT_EQ(d.ports(top).size(), 1u);
  const HcpIdent port = d.ports(top)[0];
  expect_port(d, port, top, true, std::nullopt, std::nullopt, 4, "IO_IN_anon");
  EXPECT_EQ(name_text(*d.wire(port).io_name), "din");
  ASSERT_EQ(d.pool(w).size(), 1u);
  const UeBasic& ue = d.basic(d.pool(w)[0]);
  EXPECT_EQ(ue.src, port);
  EXPECT_EQ(ue.common.priority, 50);
  EXPECT_EQ(ue.common.clk_mode, ClockMode::ClkFree);
  EXPECT_FALSE(ue.common.clk_src.has_value());
  EXPECT_EQ(ue.des_slice, (Slice{0, 4}));
  EXPECT_EQ(ue.src_slice, (Slice{0, 4}));
}

TEST(GlobalRouting, InputMarkBelowTheTopComesDownFromTheTopPort) {
  Design d;
  const ModuleIdent top = d.open("top");
  const ModuleIdent p = d.open("p");
  const ModuleIdent c = d.open("c");
  const HcpIdent w = d.arena.make_wire(true, "en", 1);
  d.arena.mark_as_io(w, true, "enable");
  d.close(c);
  d.close(p);
  d.close(top);
  d.arena.set_top_module(top);

  route_glob_io_model(d.arena);

  ASSERT_EQ(d.ports(top).size(), 1u);
  ASSERT_EQ(d.ports(p).size(), 1u);
  ASSERT_EQ(d.ports(c).size(), 1u);
  const HcpIdent tp = d.ports(top)[0];
  expect_port(d, tp, top, true, std::nullopt, std::nullopt, 1, "IO_IN_anon");
  expect_port(d, d.ports(p)[0], p, true, std::nullopt, tp, 1, "IO_IN_anon");
  expect_port(d, d.ports(c)[0], c, true, std::nullopt, d.ports(p)[0], 1, "IO_IN_anon");
  EXPECT_LT(tp.ident_base.global_id, d.ports(p)[0].ident_base.global_id);
  EXPECT_EQ(name_text(*d.wire(tp).io_name), "enable");
  EXPECT_EQ(port_line(d, tp), "input wire enable");
  EXPECT_FALSE(d.wire(d.ports(c)[0]).io_name.has_value());
  ASSERT_EQ(d.pool(w).size(), 1u);
  EXPECT_EQ(d.basic(d.pool(w)[0]).src, d.ports(c)[0]);
}

TEST(GlobalRouting, MarksAreRoutedInModuleOrderAndNeverReuse) {
  Design d;
  const ModuleIdent top = d.open("top");
  const HcpIdent t = d.arena.make_reg(true, "t", 2);
  d.arena.mark_as_io(t, false, "t_out");
  const ModuleIdent a = d.open("a");
  const HcpIdent x = d.arena.make_reg(true, "x", 3);
  d.arena.mark_as_io(x, false, "x_out");
  d.close(a);
  d.close(top);
  d.arena.set_top_module(top);

  route_glob_io_model(d.arena);
  route_glob_io_model(d.arena);  // a second pass routes again

  ASSERT_EQ(d.ports(top).size(), 4u);
  EXPECT_EQ(d.wire(d.ports(top)[0]).actual_src_signal_i, t);
  EXPECT_EQ(d.wire(d.ports(top)[1]).actual_src_signal_i, x);
  EXPECT_EQ(d.wire(d.ports(top)[1]).agent_src_signal_i, d.ports(a)[0]);
  EXPECT_EQ(name_text(*d.wire(d.ports(top)[0]).io_name), "t_out");
  EXPECT_EQ(name_text(*d.wire(d.ports(top)[1]).io_name), "x_out");
  EXPECT_EQ(d.wire(d.ports(top)[2]).actual_src_signal_i, t);
  EXPECT_EQ(d.ports(a).size(), 2u);
}

TEST(GlobalRouting, NoTopModuleFails) {
  Design d;
  EXPECT_EQ(fatal_message([&] { route_glob_io_model(d.arena); }), "route_glob_io_model: no top module set");
}

// ================================================================ module paths

class ModulePaths : public ::testing::Test {
 protected:
  // top { a { a1 { a11 } }, b { b1 } }
  void SetUp() override {
    top = d.open("top");
    a = d.open("a");
    a1 = d.open("a1");
    a11 = d.open("a11");
    x = d.arena.make_reg(true, "x", 1);
    d.close(a11);
    d.close(a1);
    d.close(a);
    b = d.open("b");
    b1 = d.open("b1");
    d.close(b1);
    d.close(b);
    d.close(top);
    d.arena.set_top_module(top);
  }
  Design d;
  ModuleIdent top, a, a1, a11, b, b1;
  HcpIdent x;
};

TEST_F(ModulePaths, PathToTopFromAComponent) {
  EXPECT_EQ(find_module_path_to_top_from_hcp(d.arena, x), (ModulePath{a11, a1, a, top}));
  d.reopen(top);
  const HcpIdent t = d.arena.make_wire(true, "t", 1);
  d.close(top);
  EXPECT_EQ(find_module_path_to_top_from_hcp(d.arena, t), (ModulePath{top}));
}

TEST_F(ModulePaths, CommonAncestorPaths) {
  struct Case {
    ModuleIdent first, second;
    ModulePath path_a, path_b;
  };
  const Case cases[] = {
      {a11, b1, {a11, a1, a, top}, {b1, b, top}},
      {b1, a11, {b1, b, top}, {a11, a1, a, top}},
      {a, a11, {a}, {a11, a1, a}},
      {a11, a, {a11, a1, a}, {a}},
      {top, top, {top}, {top}},
      {a1, b, {a1, a, top}, {b, top}},
      {a11, a11, {a11}, {a11}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first.ident_base.abs_name() + " / " + c.second.ident_base.abs_name());
    const auto [pa, pb] = find_common_ancestor_module_paths(d.arena, c.first, c.second);
    EXPECT_EQ(pa, c.path_a);
    EXPECT_EQ(pb, c.path_b);
  }
}

TEST_F(ModulePaths, DifferentTreesShareNoAncestor) {
  const ModuleIdent lone = d.open("lone");
  d.close(lone);
  EXPECT_EQ(fatal_message([&] { find_common_ancestor_module_paths(d.arena, b1, lone); }),
            "find_common_ancestor_module_paths: modules " + quoted(b1) + " and " + quoted(lone) +
                " share no common ancestor \u2014 they are in different module trees");
}

TEST_F(ModulePaths, MissingParentBelowTheTopIsInconsistent) {
  d.arena.modules.get_mut(a1.ident_base.arena_handle).module_ident.master_module_handle = ArenaHandle::nothing();
  ModuleIdent broken = a1;
  broken.master_module_handle = ArenaHandle::nothing();
  const std::string msg = fatal_message([&] { find_module_path_to_top_from_hcp(d.arena, x); });
  EXPECT_EQ(msg, "left and right values differ: get_parent_module_ident: module " + quoted(broken) +
                     " is a top module and has no parent \u2014 module tree / depth_level is inconsistent"
                     "\n  left: None\n right: Some(parent module)");
  EXPECT_EQ(first_line(fatal_message([&] { find_common_ancestor_module_paths(d.arena, a11, b1); })),
            first_line(msg));
}

TEST_F(ModulePaths, ParentLinksThatLoopFailInsteadOfClimbingForever) {
  d.arena.modules.get_mut(a.ident_base.arena_handle).module_ident.master_module_handle =
      a1.ident_base.arena_handle;  // a1 <-> a
  const std::string msg = fatal_message([&] { find_module_path_to_top_from_hcp(d.arena, x); });
  EXPECT_EQ(msg.rfind("module parent links form a cycle through module ", 0), 0u) << msg;
  d.arena.modules.get_mut(b.ident_base.arena_handle).module_ident.master_module_handle =
      b1.ident_base.arena_handle;  // b1 <-> b
  EXPECT_EQ(fatal_message([&] { find_common_ancestor_module_paths(d.arena, a11, b1); }).rfind(
                "module parent links form a cycle through module ", 0),
            0u);
}

// ================================================================ port reuse lookup

TEST(FindReusableIoWire, FirstPortOfTheDirectionCarryingTheSignal) {
  Design d;
  const ModuleIdent top = d.open("top");
  const HcpIdent s = d.arena.make_reg(true, "s", 2);
  const HcpIdent t = d.arena.make_reg(true, "t", 2);
  const HcpIdent q = d.arena.make_reg(true, "q", 2);
  const HcpIdent u = d.arena.make_reg(true, "u", 2);
  // The front end's ports come after the generated ones, whatever the order
  // of creation.
  const HcpIdent user_in_s = d.arena.make_io_wire(true, "i", true, 2, s, s);
  const HcpIdent user_in_q = d.arena.make_io_wire(true, "i", true, 2, q, q);
  const HcpIdent out_s = d.arena.make_io_wire(false, "o", false, 2, s, s);
  const HcpIdent in_t = d.arena.make_io_wire(false, "i", true, 2, t, t);
  const HcpIdent in_s = d.arena.make_io_wire(false, "i", true, 2, s, s);
  d.arena.make_io_wire(false, "i", true, 2, s, s);
  d.close(top);

  EXPECT_EQ(find_reusable_io_wire(d.arena, top, s, false), out_s);
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, s, true), in_s);
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, t, true), in_t);
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, q, true), user_in_q);
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, t, false), std::nullopt);
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, u, true), std::nullopt);
  EXPECT_NE(find_reusable_io_wire(d.arena, top, s, true), user_in_s);

  // An unrouted input port: matches before it are still found; a lookup that
  // reaches it first fails, also when a front-end port would match later;
  // outputs are not affected.
  d.reopen(top);
  d.arena.make_io_wire(false, "IO_IN_anon", true, 2, std::nullopt, std::nullopt);
  d.close(top);
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, s, true), in_s);
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, t, true), in_t);
  EXPECT_EQ(fatal_message([&] { find_reusable_io_wire(d.arena, top, u, true); }),
            "IoWire: actual_src_signal_i is None");
  EXPECT_EQ(fatal_message([&] { find_reusable_io_wire(d.arena, top, q, true); }),
            "IoWire: actual_src_signal_i is None");
  EXPECT_EQ(find_reusable_io_wire(d.arena, top, u, false), std::nullopt);
}

}  // namespace
}  // namespace velora
