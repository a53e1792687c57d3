#include "util/math/vary_val.h"

#include <algorithm>

#include "common/error.h"

namespace velora {
namespace {

std::size_t limb_count(std::uint64_t width) { return static_cast<std::size_t>((width + 63) / 64); }

void mask_top(std::vector<std::uint64_t>& limbs, std::uint64_t width) {
  if (width % 64 != 0 && !limbs.empty()) limbs.back() &= (std::uint64_t{1} << (width % 64)) - 1;
}

void trim(std::vector<std::uint64_t>& limbs) {
  while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
}

}  // namespace

VaryVal VaryVal::from_limbs(std::span<const std::uint64_t> limbs, std::uint64_t width) {
  VaryVal out;
  const std::size_t n = limb_count(width);
  out.limbs_.assign(limbs.begin(), limbs.begin() + static_cast<std::ptrdiff_t>(std::min(n, limbs.size())));
  out.limbs_.resize(n, 0);
  mask_top(out.limbs_, width);
  out.width_ = width;
  return out;
}

bool VaryVal::is_zero() const {
  return std::all_of(limbs_.begin(), limbs_.end(), [](std::uint64_t l) { return l == 0; });
}

std::vector<std::uint64_t> reduce(const BigInt& value, std::uint64_t width) {
  if (width == 0) fatal("reduce: width must be at least 1");
  const std::size_t n = limb_count(width);
  std::vector<std::uint64_t> out;
  if (!value.negative) {
    out.assign(value.magnitude.begin(),
               value.magnitude.begin() + static_cast<std::ptrdiff_t>(std::min(n, value.magnitude.size())));
  } else {
    // Two's complement of the magnitude over n limbs: invert and add one.
    out.assign(n, ~std::uint64_t{0});
    for (std::size_t i = 0; i < n && i < value.magnitude.size(); ++i) out[i] = ~value.magnitude[i];
    for (std::size_t i = 0; i < n; ++i) {
      if (++out[i] != 0) break;
    }
  }
  mask_top(out, width);
  trim(out);
  return out;
}

}  // namespace velora
