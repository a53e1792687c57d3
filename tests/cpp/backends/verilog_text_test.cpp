#include "backends/verilog/hw_component/verilog_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/error.h"

namespace velora {
namespace {

std::string fatal_text(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Fatal);
    return e.what();
  }
  ADD_FAILURE() << "no error raised";
  return {};
}

// ---------------------------------------------------------------- literals

struct LiteralCase {
  std::vector<std::uint64_t> limbs;
  std::uint64_t width;
  const char* text;
};

class Literal : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(Literal, MatchesVerilogForm) {
  const auto& c = GetParam();
  EXPECT_EQ(vary_val_to_verilog(VaryVal::from_limbs(c.limbs, c.width)), c.text);
}

constexpr std::uint64_t kOnes = ~std::uint64_t{0};

INSTANTIATE_TEST_SUITE_P(
    Cases, Literal,
    ::testing::Values(LiteralCase{{1}, 1, "1'b1"}, LiteralCase{{0}, 1, "1'b0"}, LiteralCase{{}, 1, "1'b0"},
                      LiteralCase{{2}, 1, "1'b0"},  // masked away by the width
                      LiteralCase{{255}, 8, "8'hff"}, LiteralCase{{0}, 64, "64'h0"},
                      LiteralCase{{0, 1}, 70, "70'h10000000000000000"},
                      LiteralCase{{kOnes, 3}, 66, "66'h3ffffffffffffffff"},
                      LiteralCase{{0x0123456789abcdefull}, 64, "64'h123456789abcdef"},
                      LiteralCase{{5, 0, 0}, 130, "130'h5"}, LiteralCase{{0, 0, 1}, 129, "129'h100000000000000000000000000000000"},
                      LiteralCase{{3}, 2, "2'h3"}, LiteralCase{{0}, 32, "32'h0"},
                      LiteralCase{{}, 0, "1'b0"}));  // "0'h0" is not Verilog

TEST(Literal, VeryWideAllOnes) {
  std::vector<std::uint64_t> limbs(16, kOnes);
  const std::string expected = "1000'h" + std::string(250, 'f');  // 1000 bits, 250 hex digits
  EXPECT_EQ(vary_val_to_verilog(VaryVal::from_limbs(limbs, 1000)), expected);
}

// ---------------------------------------------------------------- operators

struct OpCase {
  LogicOp op;
  const char* token;
};

class OpToken : public ::testing::TestWithParam<OpCase> {};

TEST_P(OpToken, IsVerilogOperator) { EXPECT_EQ(logic_op_to_verilog(GetParam().op), GetParam().token); }

INSTANTIATE_TEST_SUITE_P(
    Cases, OpToken,
    ::testing::Values(OpCase{LogicOp::BitwiseAnd, "&"}, OpCase{LogicOp::BitwiseOr, "|"}, OpCase{LogicOp::BitwiseXor, "^"},
                      OpCase{LogicOp::BitwiseInvr, "~"}, OpCase{LogicOp::BitwiseShl, "<<"},
                      OpCase{LogicOp::BitwiseShr, ">>"}, OpCase{LogicOp::LogicalAnd, "&&"},
                      OpCase{LogicOp::LogicalOr, "||"}, OpCase{LogicOp::LogicalNot, "!"},
                      OpCase{LogicOp::RelationEq, "=="}, OpCase{LogicOp::RelationNeq, "!="},
                      OpCase{LogicOp::RelationLe, "<"}, OpCase{LogicOp::RelationLeq, "<="},
                      OpCase{LogicOp::RelationGe, ">"}, OpCase{LogicOp::RelationGeq, ">="},
                      OpCase{LogicOp::RelationSlt, "<"}, OpCase{LogicOp::RelationSgt, ">"},
                      OpCase{LogicOp::ArithPlus, "+"}, OpCase{LogicOp::ArithMinus, "-"},
                      OpCase{LogicOp::ArithMul, "*"}, OpCase{LogicOp::ArithDiv, "/"},
                      OpCase{LogicOp::ArithDivr, "%"}));

struct OpFailCase {
  LogicOp op;
  const char* message;
};

class OpTokenFails : public ::testing::TestWithParam<OpFailCase> {};

TEST_P(OpTokenFails, WithFixedMessage) {
  EXPECT_EQ(fatal_text([&] { logic_op_to_verilog(GetParam().op); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpTokenFails,
    ::testing::Values(
        OpFailCase{LogicOp::ExtendBit, "logic_op_to_verilog: ExtendBit has no direct Verilog operator; not yet implemented"},
        OpFailCase{LogicOp::SliceBit, "logic_op_to_verilog: SliceBit has no operator token; handle as wire-through"},
        OpFailCase{LogicOp::Assign, "logic_op_to_verilog: Assign has no operator token; handle as wire-through"},
        OpFailCase{LogicOp::Dummy, "logic_op_to_verilog: Dummy op must not reach the Verilog backend"}));

// ---------------------------------------------------------------- ranges, slices, sensitivity

TEST(RangeText, OnlyAboveOneBit) {
  for (auto [w, text] : std::vector<std::pair<std::int64_t, const char*>>{
           {8, "[7:0] "}, {2, "[1:0] "}, {1, ""}, {0, ""}, {-3, ""}, {70, "[69:0] "}}) {
    StringWriter out;
    write_range_vb(out, w);
    EXPECT_EQ(out.text(), text) << w;
  }
}

TEST(SliceText, FollowsWidthAndStart) {
  struct C {
    std::int64_t width;
    std::optional<Slice> slice;
    const char* text;
  };
  for (const C& c : std::vector<C>{{8, Slice{0, 8}, "[7:0]"},
                                   {8, Slice{2, 6}, "[5:2]"},
                                   {1, Slice{0, 1}, ""},
                                   {8, std::nullopt, ""},
                                   {8, Slice{-1, -1}, ""},
                                   {16, Slice{3, 4}, "[3:3]"}}) {
    StringWriter out;
    write_slice_vb(out, c.width, c.slice);
    EXPECT_EQ(out.text(), c.text);
  }
}

TEST(Sensitivity, EdgesNameTheClock) {
  StringWriter a, b, c, d;
  write_sensitivity_list(a, ClockMode::PosEdge, std::string("WIRE_clk_1"));
  write_sensitivity_list(b, ClockMode::NegEdge, std::string("WIRE_clk_1"));
  write_sensitivity_list(c, ClockMode::ClkFree, std::nullopt);
  write_sensitivity_list(d, ClockMode::ClkUnused, std::string("ignored"));
  EXPECT_EQ(a.text(), "posedge WIRE_clk_1");
  EXPECT_EQ(b.text(), "negedge WIRE_clk_1");
  EXPECT_EQ(c.text(), "*");
  EXPECT_EQ(d.text(), "*");
}

TEST(Sensitivity, EdgeWithoutClockFailsBeforeWriting) {
  StringWriter out;
  EXPECT_EQ(fatal_text([&] { write_sensitivity_list(out, ClockMode::PosEdge, std::nullopt); }),
            "sensitivity_list: PosEdge with no clk source");
  EXPECT_EQ(fatal_text([&] { write_sensitivity_list(out, ClockMode::NegEdge, std::nullopt); }),
            "sensitivity_list: NegEdge with no clk source");
  EXPECT_EQ(out.text(), "");
}

}  // namespace
}  // namespace velora
