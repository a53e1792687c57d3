// The block kinds without a compiler yet follow their own element rules on
// the flow-block stack: what they accept, their check_prefinalize texts and
// their "has not been built" messages.
#include <gtest/gtest.h>

#include "flow_test_support.h"

namespace velora::flow_test {
namespace {

struct KindRulesCase {
  FlowBlockType type;
  const char* asm_refusal;     // nullptr: direct assignment nodes are accepted
  const char* empty_text;      // check_prefinalize of an empty block; nullptr: passes
  const char* summary_text;    // the summary the kind offers, before the build
  bool node_summary;           // that summary is summarize_as_node
};

class DeferredKinds : public FlowTest, public ::testing::WithParamInterface<KindRulesCase> {
 protected:
  std::string call(const FlowBlockIdent& b, auto&& f) {
    return fatal_message([&] { arena.take_flow_block(b, [&](FlowBlock& blk) { f(blk); }); });
  }
};

TEST_P(DeferredKinds, ElementsPrefinalizeAndSummaries) {
  const KindRulesCase& c = GetParam();
  const FlowBlockIdent b = arena.make_flow_block_record(c.type, "k");
  const NcpIdent asm_node(NodeType::Asm, false, "n");
  if (c.asm_refusal == nullptr) {
    arena.take_flow_block(b, [&](FlowBlock& blk) { blk.add_element_in_flow_block(asm_node); });
    EXPECT_EQ(base(b).basic_nodes.size(), 1u);
    EXPECT_EQ(first_line(call(b, [](FlowBlock& blk) {
                blk.add_element_in_flow_block(NcpIdent(NodeType::State, false, "s"));
              })),
              "left and right values differ: flow-block basic nodes must be AsmNode");
  } else {
    EXPECT_EQ(call(b, [&](FlowBlock& blk) { blk.add_element_in_flow_block(asm_node); }), c.asm_refusal);
    EXPECT_TRUE(base(b).basic_nodes.empty());
  }
  const FlowBlockIdent empty = arena.make_flow_block_record(c.type, "e");
  const std::optional<std::string> text = arena.check_flow_block_prefinalize(empty);
  if (c.empty_text == nullptr)
    EXPECT_EQ(text, std::nullopt);
  else
    EXPECT_EQ(text, std::optional<std::string>(c.empty_text));

  const std::string block_msg = call(b, [](FlowBlock& blk) { blk.summarize_as_block(); });
  const std::string node_msg = call(b, [](FlowBlock& blk) { blk.summarize_as_node(); });
  const std::string offered = c.node_summary ? node_msg : block_msg;
  const std::string other = c.node_summary ? block_msg : node_msg;
  EXPECT_EQ(offered, c.summary_text == nullptr
                         ? std::string(c.node_summary ? "summarize_as_node" : "summarize_as_block") +
                               ": not supported by this block type"
                         : std::string(c.summary_text));
  EXPECT_EQ(other, std::string(c.node_summary ? "summarize_as_block" : "summarize_as_node") +
                       ": not supported by this block type");
  EXPECT_EQ(call(b, [](FlowBlock& blk) { blk.get_loop_id_expr_i(); }),
            c.type == FlowBlockType::CounterLoop ? "counter loop has not been built yet"
                                                 : "get_loop_id_expr_i: not supported by this block type");
}

INSTANTIATE_TEST_SUITE_P(
    Later, DeferredKinds,
    ::testing::Values(
        KindRulesCase{FlowBlockType::CondIf, "cond block does not accept direct asm nodes; use a sub-block",
                      "cond block must have at least one body block", "cond block has not been built", false},
        KindRulesCase{FlowBlockType::CondElif,
                      "cond elif/else block does not accept direct asm nodes; use a sub-block",
                      "cond elif/else block has no body sub-block", "cond elif/else block has not been built", false},
        KindRulesCase{FlowBlockType::ZeroCondIf, nullptr, nullptr, "it has not generated yet", true},
        KindRulesCase{FlowBlockType::ZeroCondElif, nullptr, nullptr, nullptr, false},
        KindRulesCase{FlowBlockType::ZeroSwitch, "FlowBlockZeroSwitch add_element_in_flow_block shouldn't be called!",
                      nullptr, "zero-switch has not been built yet", true},
        KindRulesCase{FlowBlockType::ZeroSwitchCase, nullptr, nullptr, nullptr, false},
        KindRulesCase{FlowBlockType::WhileLoop, "while block does not accept direct asm nodes; use a sub-block",
                      "while block must have one body block", "while block has not been built", false},
        KindRulesCase{FlowBlockType::DoWhile, "do-while block does not accept direct asm nodes; use a sub-block",
                      "do-while block must have exactly one body block", "do-while block has not been built", false},
        KindRulesCase{FlowBlockType::CounterLoop, "counter loop does not accept direct asm nodes; use a sub-block",
                      "counter loop must have exactly one body block", "counter loop has not been built", false},
        KindRulesCase{FlowBlockType::Wait, "wait block accepts no direct nodes", nullptr,
                      "wait block has not been built", false},
        KindRulesCase{FlowBlockType::Pipeline, "pipeline block does not accept direct asm nodes; use a sub-block",
                      "pipeline block must have exactly one body sub-block", "pipeline block has not been built",
                      false},
        KindRulesCase{FlowBlockType::Zync, nullptr,
                      "zync block must hold at least one basic node or basic-flow sub-block",
                      "zync block has not been built", false},
        KindRulesCase{FlowBlockType::Pick, "pick block does not accept direct asm nodes; use a pif/pidef branch",
                      "pick block must have at least one pif branch", "pick block has not been built", false},
        KindRulesCase{FlowBlockType::PickIf,
                      "pick branch (pif/pidef) does not accept direct asm nodes; use a sub-block",
                      "pick branch (pif/pidef) has no body sub-block", "pick branch has not been built", false}));

/// Adds `first` then `second` (when given) as sub-blocks; the message of the
/// refusal ("" when both are accepted). An equality refusal reports its
/// heading line.
struct SubCase {
  FlowBlockType type;
  FlowBlockType first;
  std::optional<FlowBlockType> second;
  const char* refusal;
};

class DeferredSubBlocks : public FlowTest, public ::testing::WithParamInterface<SubCase> {};

TEST_P(DeferredSubBlocks, Rules) {
  const SubCase& c = GetParam();
  const FlowBlockIdent b = arena.make_flow_block_record(c.type, "k");
  std::string msg;
  try {
    arena.take_flow_block(b, [&](FlowBlock& blk) {
      blk.add_sub_flow_block(arena.make_flow_block_record(c.first, "a"));
      if (c.second) blk.add_sub_flow_block(arena.make_flow_block_record(*c.second, "b"));
    });
  } catch (const Error& e) {
    msg = first_line(e.what());
  }
  EXPECT_EQ(msg, c.refusal);
}

constexpr auto S = FlowBlockType::Sequential;
constexpr std::optional<FlowBlockType> kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Later, DeferredSubBlocks,
    ::testing::Values(
        SubCase{FlowBlockType::CondIf, S, S, "cond block already has a body sub-block"},
        SubCase{FlowBlockType::CondElif, S, S, "cond elif/else already has a body sub-block"},
        SubCase{FlowBlockType::WhileLoop, S, S, "while block already has a body sub-block"},
        SubCase{FlowBlockType::DoWhile, S, S, "do-while block already has a body sub-block"},
        SubCase{FlowBlockType::CounterLoop, S, S, "counter loop already has a body sub-block"},
        SubCase{FlowBlockType::Pipeline, S, S, "pipeline block already has a body sub-block"},
        SubCase{FlowBlockType::PickIf, S, S, "pick branch already has a body sub-block"},
        SubCase{FlowBlockType::Wait, S, kNone, "wait block accepts no sub-blocks"},
        SubCase{FlowBlockType::ZeroCondIf, S, kNone, "zero-cond-if sub blocks must have BasicNodeFlow join policy"},
        SubCase{FlowBlockType::ZeroCondIf, FlowBlockType::ZeroSwitch, FlowBlockType::ZeroCondIf, ""},
        SubCase{FlowBlockType::ZeroCondElif, S, kNone, "zero-cond-if sub blocks must have BasicNodeFlow join policy"},
        SubCase{FlowBlockType::ZeroSwitchCase, S, kNone,
                "zero-switch-case sub blocks must have BasicNodeFlow join policy"},
        SubCase{FlowBlockType::Zync, S, kNone,
                "zync block accepts only basic-flow sub-blocks; use a direct asm node or a basic-flow block"},
        SubCase{FlowBlockType::Zync, FlowBlockType::ZeroCondIf, kNone, ""},
        SubCase{FlowBlockType::ZeroSwitch, FlowBlockType::ZeroSwitchCase, FlowBlockType::ZeroCondIf,
                "left and right values differ: zero-switch sub blocks must be ZeroSwitchCase"},
        SubCase{FlowBlockType::Pick, FlowBlockType::PickIf, S,
                "left and right values differ: pick sub blocks must be pif/pidef (PickIf)"}));

struct ConCase {
  FlowBlockType type;
  FlowBlockType con;
  const char* refusal;
};

class DeferredConBlocks : public FlowTest, public ::testing::WithParamInterface<ConCase> {};

TEST_P(DeferredConBlocks, Rules) {
  const ConCase& c = GetParam();
  const FlowBlockIdent b = arena.make_flow_block_record(c.type, "k");
  std::string msg;
  try {
    arena.take_flow_block(b, [&](FlowBlock& blk) {
      blk.add_con_flow_block(arena.make_flow_block_record(c.con, "c"));
    });
  } catch (const Error& e) {
    msg = first_line(e.what());
  }
  EXPECT_EQ(msg, c.refusal);
  EXPECT_EQ(base(b).con_blocks_i.size(), msg.empty() ? 1u : 0u);
}

constexpr const char* kNotSupported = "add_con_flow_block: not supported by this block type";

INSTANTIATE_TEST_SUITE_P(
    Later, DeferredConBlocks,
    ::testing::Values(
        ConCase{FlowBlockType::CondIf, FlowBlockType::CondElif, ""},
        ConCase{FlowBlockType::ZeroCondIf, FlowBlockType::ZeroCondElif, ""},
        ConCase{FlowBlockType::ZeroCondIf, FlowBlockType::CondElif,
                "left and right values differ: zero-cond-if con blocks must be ZeroCondElif"},
        ConCase{FlowBlockType::ZeroCondElif, FlowBlockType::ZeroCondElif, "zlif not supported con flow blocks"},
        ConCase{FlowBlockType::ZeroSwitch, FlowBlockType::ZeroCondElif,
                "FlowBlockZeroSwitch add_con_flow_block shouldn't be called!"},
        ConCase{FlowBlockType::ZeroSwitchCase, FlowBlockType::ZeroCondElif,
                "zero-switch-case does not accept continuation blocks"},
        ConCase{FlowBlockType::Pick, FlowBlockType::CondElif, "pick block does not accept continuation blocks"},
        ConCase{FlowBlockType::CondElif, FlowBlockType::CondElif, kNotSupported},
        ConCase{FlowBlockType::WhileLoop, FlowBlockType::CondElif, kNotSupported},
        ConCase{FlowBlockType::Wait, FlowBlockType::CondElif, kNotSupported},
        ConCase{FlowBlockType::Pipeline, FlowBlockType::CondElif, kNotSupported},
        ConCase{FlowBlockType::Zync, FlowBlockType::CondElif, kNotSupported},
        ConCase{FlowBlockType::PickIf, FlowBlockType::CondElif, kNotSupported}));

TEST_F(FlowTest, CondChainOnTheStackWithABody) {
  // cif { seq } cselse { seq } inside a seq; the chain passes its checks
  // and the front end's usual order of calls works end to end.
  const FlowBlockIdent outer = open_seq("outer");
  const FlowBlockIdent cif = open(arena.make_flow_block_record(FlowBlockType::CondIf, "cif"));
  seq_of(1, "then");
  close(cif);
  const FlowBlockIdent cselse = open(arena.make_flow_block_record(FlowBlockType::CondElif, "else"));
  seq_of(1, "else_body");
  close(cselse);
  assign(2);
  close(outer);
  EXPECT_EQ(base(cif).sub_blocks_i.size(), 1u);
  EXPECT_EQ(base(cif).con_blocks_i.size(), 1u);
  EXPECT_EQ(base(cselse).sub_blocks_i.size(), 1u);
  EXPECT_EQ(base(outer).sub_blocks_i.size(), 1u);
  EXPECT_EQ(base(outer).basic_nodes.size(), 1u);
  EXPECT_EQ(top_module().flow_blocks.size(), 1u);
}

}  // namespace
}  // namespace velora::flow_test
