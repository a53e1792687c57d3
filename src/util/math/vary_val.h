// Constants of arbitrary width.
//
// `VaryVal` holds a value as 64-bit limbs, least significant first, with a
// width in bits. After construction there are exactly ceil(width / 64) limbs
// and every bit at or above `width` is 0.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velora {

class VaryVal {
 public:
  VaryVal() = default;

  /// Pads or drops limbs to ceil(width / 64) and clears the bits at and
  /// above `width`: excess value bits are cut off silently.
  static VaryVal from_limbs(std::span<const std::uint64_t> limbs, std::uint64_t width);

  const std::vector<std::uint64_t>& limbs() const { return limbs_; }
  std::uint64_t width() const { return width_; }
  bool is_zero() const;

  friend bool operator==(const VaryVal&, const VaryVal&) = default;

 private:
  std::vector<std::uint64_t> limbs_;
  std::uint64_t width_ = 0;
};

/// An integer of any size and sign, as sign and magnitude limbs (least
/// significant first, no leading zero limbs).
struct BigInt {
  bool negative = false;
  std::vector<std::uint64_t> magnitude;
};

/// value mod 2^width (two's complement for negative values) as limbs, least
/// significant first, without leading zero limbs: 0 gives no limbs.
/// `width` must be at least 1.
std::vector<std::uint64_t> reduce(const BigInt& value, std::uint64_t width);

}  // namespace velora
