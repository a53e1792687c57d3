#include "model/common/identifier.h"

#include <gtest/gtest.h>

#include "support/error_capture.h"

#include <string>

namespace velora {
namespace {


TEST(Identifier, GlobalNamesFollowKindNameAndId) {
  HcpIdent reg(HwComponentType::Reg, true, "cnt");
  EXPECT_EQ(reg.ident_base.abs_name(), "REG_cnt_" + std::to_string(reg.ident_base.global_id));
  EXPECT_EQ(reg.sensitivity, SensitiveType::Clocked);
  ModuleIdent mod(true, "alu");
  EXPECT_EQ(mod.ident_base.abs_name(), "MODULE_alu_" + std::to_string(mod.ident_base.global_id));
  NcpIdent node(NodeType::Asm, false, "asm");
  EXPECT_EQ(node.ident_base.abs_name(), "ASM_NODE_asm_" + std::to_string(node.ident_base.global_id));
  FlowBlockIdent fb(FlowBlockType::Sequential, FlowBlockJoinPolicy::SubFlow, false, "main");
  EXPECT_EQ(fb.ident_base.abs_name(), "SEQUENTIAL_main_" + std::to_string(fb.ident_base.global_id));
  EXPECT_FALSE(fb.ident_base.is_user_com());
  CcpIdent arb(CcpType::Arb, true, "arb");
  EXPECT_EQ(arb.ident_base.abs_name(), "ARB_arb_" + std::to_string(arb.ident_base.global_id));
  HcpIdent empty(HwComponentType::Reg, true, "");
  EXPECT_EQ(empty.ident_base.abs_name(), "REG__" + std::to_string(empty.ident_base.global_id));
}

TEST(Identifier, IdsAreConsecutiveAcrossKinds) {
  ModuleIdent m(true, "m");
  HcpIdent r(HwComponentType::Reg, true, "r");
  FlowBlockIdent f(FlowBlockType::Parallel, FlowBlockJoinPolicy::SubFlow, false, "f");
  EXPECT_EQ(r.ident_base.global_id, m.ident_base.global_id + 1);
  EXPECT_EQ(f.ident_base.global_id, r.ident_base.global_id + 1);
  EXPECT_TRUE(m.ident_base.arena_handle.is_nothing());
}

TEST(Identifier, NameLengthLimits) {
  std::string exact(256, 'a');
  // A module prefix would push the global name over; set_rel_name takes 256.
  HcpIdent r(HwComponentType::Reg, true, "x");
  r.ident_base.set_rel_name(exact);
  EXPECT_EQ(r.ident_base.rel_name(), exact);
  std::string too_long(257, 'b');
  EXPECT_EQ(fatal_message([&] { (void)HcpIdent(HwComponentType::Wire, true, too_long); }),
            "name exceeds MAX_NAME_LEN (256): \"" + too_long + "\"");
  std::uint64_t before = peek_global_id();
  // Prefix, two underscores and the id push a 252-byte name over the limit.
  std::string msg = fatal_message([&] { (void)HcpIdent(HwComponentType::Reg, true, std::string(252, 'c')); });
  EXPECT_EQ(msg.rfind("name exceeds MAX_NAME_LEN (256): \"REG_ccc", 0), 0u);
  EXPECT_EQ(peek_global_id(), before + 1);  // the id is consumed
  EXPECT_EQ(fatal_message([&] { r.ident_base.set_abs_name(too_long); }),
            "name exceeds MAX_NAME_LEN (256): \"" + too_long + "\"");
}

TEST(Identifier, SetRelNameKeepsGlobalName) {
  HcpIdent r(HwComponentType::Reg, true, "old");
  std::string global = r.ident_base.abs_name();
  r.ident_base.set_rel_name("new");
  EXPECT_EQ(r.ident_base.rel_name(), "new");
  EXPECT_EQ(r.ident_base.abs_name(), global);
}

TEST(Identifier, EqualityComparesIdAndGlobalNameOnly) {
  HcpIdent a(HwComponentType::Reg, true, "a");
  HcpIdent b = a;
  b.ident_base.set_rel_name("other");
  b.ident_base.arena_handle = ArenaHandle{5, 0};
  EXPECT_TRUE(a.ident_base == b.ident_base);
  b.ident_base.set_abs_name("REG_zzz_1");
  EXPECT_FALSE(a.ident_base == b.ident_base);
  // A global name set explicitly to the derived text is the same name.
  HcpIdent c = a;
  c.ident_base.set_abs_name(a.ident_base.abs_name());
  EXPECT_TRUE(a.ident_base == c.ident_base);
}

TEST(Identifier, DebugFormPrintsNameBuffers) {
  ModuleIdent m(true, "m");
  std::string text = debug_repr(m);
  EXPECT_EQ(text.rfind("ModuleIdent { ident_base: IdentBase { global_id: ", 0), 0u);
  EXPECT_NE(text.find("rel_name_buf: [109, 0, 0"), std::string::npos);
  EXPECT_NE(text.find("rel_name_len: 1, arena_handle: ArenaHandle { index: 0, generation: 4294967295 } }, "
                      "master_module_handle: ArenaHandle { index: 0, generation: 4294967295 }, depth_level: 0 }"),
            std::string::npos);
}

TEST(NameTable, InterningGivesOneIdPerText) {
  NameId a = intern_name("same");
  NameId b = intern_name(std::string("sa") + "me");
  EXPECT_EQ(a, b);
  EXPECT_NE(a, intern_name("different"));
  EXPECT_EQ(name_text(a), "same");
  EXPECT_EQ(intern_name(""), kEmptyName);
}

}  // namespace
}  // namespace velora
