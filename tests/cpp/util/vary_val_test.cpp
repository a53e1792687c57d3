#include "util/math/vary_val.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/error.h"
#include "model/hw_component/common/operation.h"
#include "model/hw_component/common/slice.h"

namespace velora {
namespace {

using Limbs = std::vector<std::uint64_t>;
constexpr std::uint64_t kOnes = ~std::uint64_t{0};

struct FromLimbsCase {
  Limbs in;
  std::uint64_t width;
  Limbs out;
};

class FromLimbs : public ::testing::TestWithParam<FromLimbsCase> {};

TEST_P(FromLimbs, PadsDropsAndMasks) {
  const auto& c = GetParam();
  VaryVal v = VaryVal::from_limbs(c.in, c.width);
  EXPECT_EQ(v.limbs(), c.out);
  EXPECT_EQ(v.width(), c.width);
}

INSTANTIATE_TEST_SUITE_P(Cases, FromLimbs,
                         ::testing::Values(FromLimbsCase{{kOnes, 255}, 68, {kOnes, 15}},
                                           FromLimbsCase{{1}, 130, {1, 0, 0}},
                                           FromLimbsCase{{5, 7}, 64, {5}},
                                           FromLimbsCase{{1, 2}, 65, {1, 0}},
                                           FromLimbsCase{{0x1F}, 4, {0xF}},
                                           FromLimbsCase{{9}, 0, {}}));

struct ReduceCase {
  bool negative;
  Limbs magnitude;
  std::uint64_t width;
  Limbs out;
};

class Reduce : public ::testing::TestWithParam<ReduceCase> {};

TEST_P(Reduce, IsValueModTwoToTheWidth) {
  const auto& c = GetParam();
  EXPECT_EQ(reduce(BigInt{c.negative, c.magnitude}, c.width), c.out);
}

INSTANTIATE_TEST_SUITE_P(Cases, Reduce,
                         ::testing::Values(ReduceCase{true, {1}, 8, {255}},
                                           ReduceCase{true, {5}, 4, {11}},
                                           ReduceCase{false, {300}, 8, {44}},
                                           ReduceCase{true, {1}, 70, {kOnes, 63}},
                                           ReduceCase{false, {0}, 8, {}},
                                           ReduceCase{false, {}, 8, {}},
                                           ReduceCase{true, {256}, 8, {}},
                                           ReduceCase{true, {0, 1}, 128, {0, kOnes}},
                                           ReduceCase{false, {1, 2, 3}, 64, {1}}));

TEST(SliceCheck, ConditionMustBeOneBit) {
  auto message = [](std::int32_t width, OptSlice s) -> std::string {
    try {
      check_cond_slice_match(width, s);
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::Value);
      return e.what();
    }
    return "ok";
  };
  EXPECT_EQ(message(1, std::nullopt), "ok");
  EXPECT_EQ(message(8, std::nullopt), "cond must be 1-bit, got 8 (slice the cond variable down to one bit)");
  EXPECT_EQ(message(8, Slice{3, 4}), "ok");
  EXPECT_EQ(message(8, Slice{7, 9}),
            "cond slice Slice { start: 7, stop: 9 } does not fit cond variable of width 8");
  EXPECT_EQ(message(8, Slice{-1, -1}), "cond must be 1-bit, got 8 (slice the cond variable down to one bit)");
  EXPECT_EQ(message(4, Slice{2, 2}), "cond must be 1-bit, got 4 (slice the cond variable down to one bit)");
}

TEST(LogicOpNames, PrintedFormIsVariantName) {
  EXPECT_EQ(variant_name(LogicOp::ArithDivr), "ArithDivr");
  EXPECT_EQ(static_cast<int>(LogicOp::Dummy), 25);
}

}  // namespace
}  // namespace velora
