#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "hw_test_support.h"

namespace velora {
namespace {

using hw_test::ArenaTest;
using hw_test::not_equal_heading;

constexpr int kReg = static_cast<int>(HwComponentType::Reg);
constexpr int kVal = static_cast<int>(HwComponentType::Val);

class Components : public ArenaTest {};

TEST_F(Components, FactoriesStampIntoTheCurrentModuleByUserFlag) {
  HcpIdent user = arena.make_reg(true, "cnt", 8);
  HcpIdent gen = arena.make_reg(false, "gen", 3);
  EXPECT_EQ(user.ident_base.abs_name(), "REG_cnt_" + std::to_string(user.ident_base.global_id));
  EXPECT_EQ(user.parent_module, top.ident_base.arena_handle);
  EXPECT_EQ(user.sensitivity, SensitiveType::Clocked);
  EXPECT_EQ(top_module().user_hcps[kReg], std::vector<HcpIdent>{user});
  EXPECT_EQ(top_module().internal_hcps[kReg], std::vector<HcpIdent>{gen});
  // The stored record carries the stamped identifier too.
  const Reg& r = arena.regs.get(user.ident_base.arena_handle);
  EXPECT_EQ(r.ident, user);
  EXPECT_EQ(r.width, 8);
  EXPECT_FALSE(r.reset_val.has_value());
  EXPECT_EQ(arena.get_des_slice(gen), (Slice{0, 3}));
  EXPECT_TRUE(arena.wires.get(arena.make_wire(true, "w", 2).ident_base.arena_handle).default_enabled);
}

TEST_F(Components, WithoutModuleTheComponentIsInsertedButStampingFails) {
  ModelArena fresh;
  EXPECT_EQ(fatal_message([&] { fresh.make_reg(true, "r", 4); }), "module trace stack is empty");
  EXPECT_EQ(fresh.regs.size(), 1u);
}

TEST_F(Components, WhileAModuleIsBuiltNewComponentsWaitInPendingHcps) {
  arena.module_stack.push_back({top, ModuleInitStage::FlowBlockBuild});
  HcpIdent w = arena.make_wire(false, "late", 1);
  ASSERT_EQ(arena.pending_hcps.size(), 1u);
  EXPECT_EQ(arena.pending_hcps[0].ident, w);
  EXPECT_FALSE(arena.pending_hcps[0].is_user);
  EXPECT_EQ(w.parent_module, top.ident_base.arena_handle);
  EXPECT_TRUE(top_module().internal_hcps[static_cast<int>(HwComponentType::Wire)].empty());
}

TEST_F(Components, ConstantsAreCutToTheirWidth) {
  const Val& v4 = arena.vals.get(arena.make_val(true, "v", 4, 0x1F).ident_base.arena_handle);
  EXPECT_EQ(v4.value.limbs(), std::vector<std::uint64_t>{0xF});
  EXPECT_EQ(v4.width, 4);
  const std::uint64_t limbs[] = {1, 2};
  const Val& v65 = arena.vals.get(arena.make_val_vv(true, "vv", 65, limbs).ident_base.arena_handle);
  EXPECT_EQ(v65.value.limbs(), (std::vector<std::uint64_t>{1, 0}));
  const Val& v0 = arena.vals.get(arena.make_val(true, "empty", 0, 7).ident_base.arena_handle);
  EXPECT_TRUE(v0.value.limbs().empty());
  EXPECT_EQ(top_module().user_hcps[kVal].size(), 3u);
}

TEST_F(Components, NegativeConstantWidthsAreRefusedBeforeAnythingIsAllocated) {
  const std::uint64_t limbs[] = {1};
  EXPECT_EQ(fatal_message([&] { arena.make_val(true, "v", -1, 1); }), "width must not be negative, got -1");
  EXPECT_EQ(fatal_message([&] { arena.make_val_vv(true, "v", INT32_MIN, limbs); }),
            "width must not be negative, got -2147483648");
  EXPECT_EQ(arena.vals.size(), 0u);
}

TEST_F(Components, MemoryWidthsMustBePositive) {
  HcpIdent idx = arena.make_wire(true, "idx", 4);
  EXPECT_EQ(fatal_message([&] { arena.make_mem_blk(true, "m", 0, 4); }), "bit_width must be positive, got 0");
  EXPECT_EQ(fatal_message([&] { arena.make_mem_blk(true, "m", 8, -2); }), "index_width must be positive, got -2");
  HcpIdent blk = arena.make_mem_blk(true, "m", 8, 4);
  EXPECT_EQ(fatal_message([&] { arena.make_mem_ele(true, "e", blk, idx, -1, true); }),
            "bit_width must be positive, got -1");
  HcpIdent ele = arena.make_mem_ele(true, "e", blk, idx, 8, false);
  const MemEle& e = arena.mem_eles.get(ele.ident_base.arena_handle);
  EXPECT_EQ(e.master_mem_blk_i, blk);
  EXPECT_EQ(e.index_ident, idx);
  EXPECT_FALSE(e.is_read);
  EXPECT_EQ(arena.get_des_slice(ele), (Slice{0, 8}));
}

// ---- expression widths

struct ExprCase {
  LogicOp op;
  OptSlice a_slice;
  std::int32_t width;  // -1: refused
};

class ExpressionWidths : public Components, public ::testing::WithParamInterface<ExprCase> {};

TEST_P(ExpressionWidths, TwoOperandConstructor) {
  const ExprCase& c = GetParam();
  HcpIdent a = arena.make_wire(true, "a", 8);
  HcpIdent b = arena.make_wire(true, "b", 3);  // b's width is never compared
  if (c.width < 0) {
    EXPECT_EQ(fatal_message([&] { arena.make_expression(true, "x", c.op, a, b, c.a_slice, std::nullopt); }),
              "Expression::new — unsupported op " + std::string(variant_name(c.op)) + " for this constructor");
    return;
  }
  HcpIdent x = arena.make_expression(true, "x", c.op, a, b, c.a_slice, std::nullopt);
  const Expression& e = arena.expressions.get(x.ident_base.arena_handle);
  EXPECT_EQ(e.width, c.width);
  EXPECT_EQ(e.op, c.op);
  EXPECT_TRUE(e.has_operands);
  EXPECT_EQ(e.a->ident, a);
  EXPECT_EQ(e.b->ident, b);
  EXPECT_EQ(x.sensitivity, SensitiveType::ReadOnly);
}

INSTANTIATE_TEST_SUITE_P(
    Ops, ExpressionWidths,
    ::testing::Values(ExprCase{LogicOp::LogicalAnd, std::nullopt, 1}, ExprCase{LogicOp::RelationSgt, std::nullopt, 1},
                      ExprCase{LogicOp::RelationEq, Slice{0, 4}, 1}, ExprCase{LogicOp::BitwiseAnd, std::nullopt, 8},
                      ExprCase{LogicOp::ArithPlus, Slice{2, 5}, 3}, ExprCase{LogicOp::ArithDivr, Slice{-1, -1}, 8},
                      ExprCase{LogicOp::BitwiseShl, std::nullopt, 8}, ExprCase{LogicOp::BitwiseInvr, std::nullopt, -1},
                      ExprCase{LogicOp::ExtendBit, std::nullopt, -1}, ExprCase{LogicOp::Assign, std::nullopt, -1}));

TEST_F(Components, SingleOperandAndConstantConstructors) {
  HcpIdent a = arena.make_wire(true, "a", 8);
  auto width_of = [&](const HcpIdent& x) { return arena.expressions.get(x.ident_base.arena_handle).width; };
  EXPECT_EQ(width_of(arena.make_expression_single(true, "inv", LogicOp::BitwiseInvr, a, Slice{1, 4})), 3);
  EXPECT_EQ(width_of(arena.make_expression_single(true, "sl", LogicOp::SliceBit, a, std::nullopt)), 8);
  EXPECT_EQ(width_of(arena.make_expression_single(true, "not", LogicOp::LogicalNot, a, std::nullopt)), 1);
  EXPECT_EQ(fatal_message([&] { arena.make_expression_single(true, "x", LogicOp::ArithPlus, a, std::nullopt); }),
            "Expression::new_single_operand — unsupported op ArithPlus for this constructor");
  HcpIdent ext = arena.make_expression_constant(true, "ext", LogicOp::ExtendBit, a, 12, Slice{0, 4});
  const Expression& e = arena.expressions.get(ext.ident_base.arena_handle);
  EXPECT_EQ(e.width, 12);
  EXPECT_EQ(e.constant, 12);
  EXPECT_FALSE(e.b.has_value());
  EXPECT_EQ(fatal_message([&] { arena.make_expression_constant(true, "x", LogicOp::SliceBit, a, 3, std::nullopt); }),
            "Expression::new_with_const — unsupported op SliceBit for this constructor");
  const Expression& empty =
      arena.expressions.get(arena.make_expression_empty(false, "e", 5).ident_base.arena_handle);
  EXPECT_EQ(empty.op, LogicOp::Assign);
  EXPECT_FALSE(empty.has_operands);
  EXPECT_FALSE(empty.a.has_value());
  EXPECT_EQ(empty.width, 5);
}

// ---- dispatch and interface behaviour by kind

TEST_F(Components, NestHasNoGroup) {
  HcpIdent nest;
  nest.hw_type = HwComponentType::Nest;
  EXPECT_EQ(fatal_message([&] { arena.get_hcp_assign(nest); }), "HwComponentType Nest is not HCP-assignable");
  EXPECT_EQ(fatal_message([&] { arena.take_hcp(nest, [](auto&) {}); }), "HwComponentType Nest is not HcpBase");
}

TEST_F(Components, StaleIdentifierFailsWithTheArenaCheck) {
  HcpIdent r = arena.make_reg(true, "r", 1);
  r.ident_base.arena_handle.generation = 4294967295u;
  EXPECT_EQ(first_line(fatal_message([&] { arena.mark_as_io(r, true, "p"); })),
            not_equal_heading("ArenaHandle generation mismatch"));
}

TEST_F(Components, ClockModeAndPriorityByKind) {
  set_asm_pri_to_manual(23);
  HcpIdent idx = arena.make_wire(true, "idx", 2);
  HcpIdent blk = arena.make_mem_blk(true, "m", 4, 2);
  struct Case {
    HcpIdent id;
    ClockMode mode;
  };
  const std::vector<Case> cases = {{arena.make_reg(true, "r", 1), ClockMode::PosEdge},
                                   {arena.make_mem_ele(true, "e", blk, idx, 4, false), ClockMode::PosEdge},
                                   {arena.make_wire(true, "w", 1), ClockMode::ClkFree},
                                   {arena.make_val(true, "v", 1, 0), ClockMode::ClkFree},
                                   {arena.make_expression_empty(true, "x", 1), ClockMode::ClkFree},
                                   {arena.make_io_wire(true, "io", true, 1, std::nullopt, std::nullopt),
                                    ClockMode::ClkFree}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id.ident_base.abs_name());
    arena.take_hcp(c.id, [&](auto& hcp) {
      EXPECT_EQ(hcp.retrieve_clk_mode(), c.mode);
      EXPECT_EQ(hcp.get_priority(), 23);
    });
  }
}

TEST_F(Components, OperationsAKindRefuses) {
  HcpIdent v = arena.make_val(true, "v", 8, 1);
  HcpIdent src = arena.make_wire(true, "s", 8);
  HcpIdent blk = arena.make_mem_blk(true, "m", 8, 2);
  HcpIdent x = arena.make_expression_empty(true, "x", 8);
  HcpIdent io = arena.make_io_wire(true, "io", false, 8, std::nullopt, std::nullopt);
  // Each kind is taken from its own group, so that only the kind under test
  // is instantiated.
  auto run = [&](auto& group, const HcpIdent& id, auto op) {
    return fatal_message([&] { op(*group.take(id.ident_base.arena_handle)); });
  };
  auto do_asm = [&](auto& h) { h.do_asm(src, std::nullopt, 0, 8, arena); };
  EXPECT_EQ(run(arena.vals, v, do_asm), "Val::do_asm should not be called");
  EXPECT_EQ(run(arena.vals, v, [&](auto& h) { h.gen_update_event(src, std::nullopt, 0, 8, arena); }),
            "Val::gen_update_event should not be called");
  EXPECT_EQ(run(arena.vals, v, [&](auto& h) { h.gen_asm_meta(src, std::nullopt, 0, 8, arena); }),
            "Val::gen_asm_meta should not be called");
  EXPECT_EQ(run(arena.vals, v, [&](auto& h) { h.gen_asm_node(src, std::nullopt, 0, 8, arena); }),
            "Val::gen_asm_meta should not be called");
  EXPECT_EQ(run(arena.expressions, x, do_asm), "Expression::do_asm — not implemented");
  EXPECT_EQ(run(arena.io_wires, io, do_asm), "the io wire cannot be do_asm");
  const std::string not_des = "MemBlk is not an assignment destination";
  EXPECT_EQ(run(arena.mem_blks, blk, do_asm), not_des);
  EXPECT_EQ(run(arena.mem_blks, blk, [&](auto& h) { h.retrieve_clk_mode(); }), not_des);
  EXPECT_EQ(run(arena.mem_blks, blk, [&](auto& h) { h.get_des_slice(); }), not_des);
  EXPECT_EQ(run(arena.mem_blks, blk, [&](auto& h) { h.get_priority(); }), not_des);
  EXPECT_EQ(run(arena.mem_blks, blk, [&](auto& h) { h.gen_asm_meta(src, std::nullopt, 0, 8, arena); }), not_des);
  EXPECT_EQ(run(arena.mem_blks, blk, [&](auto& h) { h.gen_asm_node(src, std::nullopt, 0, 8, arena); }), not_des);
  EXPECT_EQ(run(arena.mem_blks, blk, [&](auto& h) { h.gen_update_event(src, std::nullopt, 0, 8, arena); }),
            not_des);
  EXPECT_EQ(run(arena.mem_blks, blk,
                [&](auto& h) { h.gen_update_event_with_pri(src, std::nullopt, 0, 8, 3, ClockMode::ClkFree, arena); }),
            not_des);
  // A Val still takes explicit events and bound sources.
  arena.take_hcp(v, [&](auto& h) {
    UpdateEventIdent ue = h.gen_update_event_with_pri(src, std::nullopt, 0, 8, 7, ClockMode::ClkUnused, arena);
    EXPECT_EQ(arena.get_ue_common(ue).priority, 7);
  });
  arena.bind_src(v, src, std::nullopt, 0, 8, std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(pool(v).size(), 1u);
}

TEST_F(Components, PoolAndPortMarkWorkOnEveryKindIncludingMemBlk) {
  HcpIdent blk = arena.make_mem_blk(true, "m", 8, 2);
  HcpIdent w = arena.make_wire(true, "w", 8);
  EXPECT_FALSE(arena.get_hcp_assign(blk).io_mark.has_value());
  arena.mark_as_io(blk, true, "first");
  arena.mark_as_io(blk, false, "second");  // replaces the first mark
  arena.take_hcp(blk, [&](auto& h) {
    EXPECT_TRUE(h.is_marked_as_io());
    EXPECT_EQ(h.get_io_mark()->io_name(), "second");
    EXPECT_FALSE(h.get_io_mark()->is_input);
    h.add_update_event(free_event(w, 8, 3));
    h.sort_events(arena);
    EXPECT_EQ(h.get_update_pool().size(), 1u);
  });
}

// ---- building events from assignments

TEST_F(Components, EventRangesFollowTheDestinationSlice) {
  HcpIdent r = arena.make_reg(true, "r", 16);
  HcpIdent s = arena.make_wire(true, "s", 8);
  set_asm_pri_to_manual(31);
  UpdateEventIdent ue =
      arena.take_hcp(r, [&](auto& h) { return h.gen_update_event(s, Slice{2, 6}, 4, 8, arena); });
  const UeBasic& e = basic(ue);
  EXPECT_EQ(e.des_slice, (Slice{2, 6}));
  EXPECT_EQ(e.src_slice, (Slice{4, 8}));
  EXPECT_EQ(e.get_priority(), 31);
  EXPECT_EQ(e.get_clk_mode(), ClockMode::PosEdge);
  EXPECT_FALSE(e.get_clk_src_i().has_value());
  EXPECT_EQ(e.get_sub_priority(), 0);
  EXPECT_TRUE(pool(r).empty());  // built, not yet added
}

struct SizeCase {
  OptSlice des_slice;
  std::int32_t src_start, src_stop;
  bool ok;
};

class EventSizeRule : public Components, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(EventSizeRule, SourceRangeMustMatchTheDestinationRange) {
  const SizeCase& c = GetParam();
  HcpIdent w = arena.make_wire(true, "w", 8);
  HcpIdent s = arena.make_wire(true, "s", 16);
  auto build = [&] {
    arena.take_hcp(w, [&](auto& h) { h.gen_update_event(s, c.des_slice, c.src_start, c.src_stop, arena); });
  };
  if (c.ok) {
    build();
  } else {
    EXPECT_EQ(fatal_message(build), "assertion failed: self.is_size_in_range_rel(b.get_size())");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, EventSizeRule,
                         ::testing::Values(SizeCase{std::nullopt, 0, 8, true}, SizeCase{std::nullopt, 8, 16, true},
                                           SizeCase{std::nullopt, 0, 7, false}, SizeCase{std::nullopt, 0, 9, false},
                                           SizeCase{Slice{2, 5}, 1, 4, true}, SizeCase{Slice{2, 5}, 0, 4, false},
                                           SizeCase{Slice{-1, -1}, 0, 8, true}));

TEST_F(Components, AsmMetaCarriesDestinationEventAndKindClockMode) {
  HcpIdent r = arena.make_reg(true, "r", 4);
  HcpIdent s = arena.make_wire(true, "s", 4);
  AssignMeta meta = arena.take_hcp(r, [&](auto& h) { return h.gen_asm_meta(s, std::nullopt, 0, 4, arena); });
  EXPECT_EQ(meta.des, r);
  EXPECT_EQ(meta.ue, meta.first_ue);
  EXPECT_EQ(meta.ue.ue_type, UeType::UE_BASIC);
  EXPECT_EQ(meta.clk_mode, ClockMode::PosEdge);
  EXPECT_FALSE(meta.pending_pre_cond.has_value());
}

TEST_F(Components, BindSrc) {
  HcpIdent w = arena.make_wire(true, "w", 8);
  HcpIdent s = arena.make_wire(true, "s", 8);
  HcpIdent clk = arena.make_wire(true, "clk", 1);
  EXPECT_EQ(fatal_message([&] {
              arena.bind_src(w, s, std::nullopt, 0, 8, std::nullopt, ClockMode::NegEdge, std::nullopt);
            }),
            "no clk_src specified for binded source with posedge or negedge clk");
  EXPECT_TRUE(pool(w).empty());
  arena.bind_src(w, s, std::nullopt, 0, 8, std::nullopt, std::nullopt, std::nullopt);
  arena.bind_src(w, s, Slice{0, 4}, 4, 8, 77, ClockMode::PosEdge, clk);
  ASSERT_EQ(pool(w).size(), 2u);
  const UeBasic& plain = basic(pool(w)[0]);
  EXPECT_EQ(plain.get_priority(), DEFAULT_UE_PRI_INTERNAL_MIN);
  EXPECT_EQ(plain.get_clk_mode(), ClockMode::ClkFree);
  EXPECT_FALSE(plain.get_clk_src_i().has_value());
  const UeBasic& clocked = basic(pool(w)[1]);
  EXPECT_EQ(clocked.get_priority(), 77);
  EXPECT_EQ(clocked.get_clk_mode(), ClockMode::PosEdge);
  EXPECT_EQ(clocked.get_clk_src_i(), clk);
  EXPECT_EQ(clocked.des_slice, (Slice{0, 4}));
  EXPECT_EQ(clocked.src_slice, (Slice{4, 8}));
  // A memory block applies the clock check first, then refuses.
  HcpIdent blk = arena.make_mem_blk(true, "m", 8, 2);
  EXPECT_EQ(fatal_message([&] {
              arena.bind_src(blk, s, std::nullopt, 0, 8, std::nullopt, ClockMode::PosEdge, std::nullopt);
            }),
            "no clk_src specified for binded source with posedge or negedge clk");
  EXPECT_EQ(fatal_message([&] { arena.bind_src(blk, s, std::nullopt, 0, 8, std::nullopt, std::nullopt, std::nullopt); }),
            "MemBlk is not an assignment destination");
}

// ---- reset, default and port sources

TEST_F(Components, ResetValueIsSetOnceAndBuildsTheHighestPriorityEvent) {
  HcpIdent r = arena.make_reg(true, "r", 8);
  HcpIdent rv = arena.make_val(true, "rv", 8, 3);
  HcpIdent clk = arena.make_wire(false, "clk", 1);
  HcpIdent rst = arena.make_wire(false, "mrst", 1);
  arena.regs.take(r.ident_base.arena_handle)->try_build_reset(clk, rst, arena);
  EXPECT_TRUE(pool(r).empty());  // no reset value: nothing
  arena.set_reg_reset(r, rv);
  EXPECT_EQ(fatal_message([&] { arena.set_reg_reset(r, rv); }), "reset_val is set already");
  arena.regs.take(r.ident_base.arena_handle)->try_build_reset(clk, rst, arena);
  ASSERT_EQ(pool(r).size(), 1u);
  const UeCond& c = cond(pool(r)[0]);
  EXPECT_EQ(c.conds, (std::vector<std::optional<HcpIdent>>{rst}));
  EXPECT_EQ(c.get_priority(), DEFAULT_UE_PRI_RST);
  EXPECT_EQ(c.get_clk_mode(), ClockMode::ClkFree);
  EXPECT_FALSE(c.get_clk_src_i().has_value());
  const UeBasic& inner = basic(*c.ues[0]);
  EXPECT_EQ(inner.src, rv);
  EXPECT_EQ(inner.des_slice, (Slice{0, 8}));
  EXPECT_EQ(inner.src_slice, (Slice{0, 8}));
}

TEST_F(Components, WireDefaults) {
  HcpIdent w = arena.make_wire(true, "w", 6);
  arena.wires.take(w.ident_base.arena_handle)->try_build_default(arena);
  ASSERT_EQ(pool(w).size(), 1u);
  const UeBasic& zero = basic(pool(w)[0]);
  EXPECT_EQ(zero.src.ident_base.rel_name(), w.ident_base.abs_name() + "_DEFAULT_ZERO");
  EXPECT_FALSE(zero.src.ident_base.is_user_com());
  const Val& zv = arena.vals.get(zero.src.ident_base.arena_handle);
  EXPECT_EQ(zv.width, 6);
  EXPECT_TRUE(zv.value.is_zero());
  EXPECT_EQ(zero.get_priority(), DEFAULT_UE_PRI_MIN);
  EXPECT_EQ(zero.get_clk_mode(), ClockMode::ClkFree);

  HcpIdent u = arena.make_wire(true, "u", 4);
  HcpIdent dv = arena.make_val(true, "dv", 4, 9);
  arena.set_wire_default(u, dv);
  EXPECT_EQ(fatal_message([&] { arena.set_wire_default(u, dv); }), "default_val is set already");
  arena.wires.take(u.ident_base.arena_handle)->try_build_default(arena);
  ASSERT_EQ(pool(u).size(), 1u);
  EXPECT_EQ(basic(pool(u)[0]).src, dv);
  EXPECT_EQ(basic(pool(u)[0]).get_priority(), DEFAULT_UE_PRI_FALLBACK);

  HcpIdent off = arena.make_wire(false, "clk", 1);
  arena.wires.get_mut(off.ident_base.arena_handle).default_enabled = false;
  EXPECT_EQ(fatal_message([&] { arena.set_wire_default(off, dv); }), "cannot set default_val on a no-default wire");
  arena.wires.take(off.ident_base.arena_handle)->try_build_default(arena);
  EXPECT_TRUE(pool(off).empty());

  HcpIdent narrow = arena.make_wire(true, "n", 8);
  arena.set_wire_default(narrow, dv);  // 4 bits for an 8-bit wire
  EXPECT_EQ(fatal_message([&] { arena.wires.take(narrow.ident_base.arena_handle)->try_build_default(arena); }),
            "assertion failed: self.is_size_in_range_rel(b.get_size())");
}

TEST_F(Components, IoWireWithAgentSourceIsDrivenByIt) {
  HcpIdent agent = arena.make_wire(true, "agent", 5);
  HcpIdent actual = arena.make_reg(true, "actual", 5);
  IoWire port = IoWire::new_opt_src(false, "p", true, 5, actual, agent, arena);
  EXPECT_EQ(port.ident.hw_type, HwComponentType::IoWire);
  EXPECT_TRUE(port.is_input);
  EXPECT_EQ(port.actual_src_signal_i, actual);
  ASSERT_EQ(port.get_update_pool().size(), 1u);
  const UeBasic& e = basic(port.get_update_pool()[0]);
  EXPECT_EQ(e.src, agent);
  EXPECT_EQ(e.src_slice, (Slice{0, 5}));
  EXPECT_EQ(e.des_slice, (Slice{0, 5}));
  EXPECT_EQ(e.get_priority(), DEFAULT_UE_PRI_INTERNAL_MIN);
  EXPECT_EQ(e.get_clk_mode(), ClockMode::ClkFree);
  IoWire bare = IoWire::new_opt_src(false, "q", false, 5, actual, std::nullopt, arena);
  EXPECT_TRUE(bare.get_update_pool().empty());
}

// ---- checks, dependencies, sorting

TEST_F(Components, CheckIdentBitSize) {
  HcpIdent w = arena.make_wire(true, "w", 4);
  HcpIdent other = arena.make_wire(true, "o", 1);
  arena.check_ident_bit_size(w, 4, "ctx", std::nullopt, 0);
  arena.check_ident_bit_size(w, 1, "ctx", w, 1);       // the slice applies to w
  arena.check_ident_bit_size(w, 4, "ctx", other, 1);   // the slice is another signal's
  const std::string msg = fatal_message([&] { arena.check_ident_bit_size(w, 1, "StateReg", std::nullopt, 0); });
  EXPECT_EQ(msg, not_equal_heading("'StateReg': signal '" + w.ident_base.abs_name() + "' must be 1-bit, got 4") +
                     "\n  left: 4\n right: 1");
}

TEST_F(Components, ExpressionDependenciesAreItsOperandsAndItsPool) {
  HcpIdent a = arena.make_wire(true, "a", 8);
  HcpIdent b = arena.make_wire(true, "b", 8);
  HcpIdent s = arena.make_wire(true, "s", 8);
  HcpIdent x = arena.make_expression(true, "x", LogicOp::ArithPlus, a, b, std::nullopt, std::nullopt);
  HcpIdent e = arena.make_expression_empty(true, "e", 8);
  arena.bind_src(e, s, std::nullopt, 0, 8, std::nullopt, std::nullopt, std::nullopt);
  HcpIdentSet deps;
  arena.take_hcp(x, [&](auto& h) { h.gather_dep_hcps(arena, deps); });
  arena.take_hcp(e, [&](auto& h) { h.gather_dep_hcps(arena, deps); });
  EXPECT_EQ(deps, (HcpIdentSet{a, b, s}));
  HcpIdent a2 = arena.make_wire(true, "a2", 8);
  arena.take_hcp(x, [&](auto& h) { h.remap_dep_hcps(HcpIdentMap{{a, a2}}, arena); });
  EXPECT_EQ(arena.expressions.get(x.ident_base.arena_handle).a->ident, a2);
}

TEST_F(Components, SortUpdateEventPoolSortsRegistersToMemElementsOnly) {
  HcpIdent r = arena.make_reg(true, "r", 8);
  HcpIdent g = arena.make_wire(false, "g", 8);
  HcpIdent x = arena.make_expression_empty(true, "x", 8);
  HcpIdent s = arena.make_wire(true, "s", 8);
  for (const HcpIdent& id : {r, g, x})
    for (std::int32_t p : {9, 3}) arena.bind_src(id, s, std::nullopt, 0, 8, p, std::nullopt, std::nullopt);
  arena.sort_update_event_pool(top);
  auto priorities = [&](const HcpIdent& id) {
    std::vector<std::int32_t> out;
    for (const auto& ue : pool(id)) out.push_back(arena.get_ue_common(ue).priority);
    return out;
  };
  EXPECT_EQ(priorities(r), (std::vector<std::int32_t>{3, 9}));
  EXPECT_EQ(priorities(g), (std::vector<std::int32_t>{3, 9}));
  EXPECT_EQ(priorities(x), (std::vector<std::int32_t>{9, 3}));  // expressions are left alone
}

TEST_F(Components, RecordsStayCompact) {
  // A register with one assignment costs its record, one event and an
  // identifier in the module list: keep the records small.
  EXPECT_LE(sizeof(Reg), 256u);
  EXPECT_LE(sizeof(UeBasic), 256u);
  EXPECT_LE(sizeof(UpdateEventIdent), 32u);
}

}  // namespace
}  // namespace velora
