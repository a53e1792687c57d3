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

///
/// Constants of up to 64 bits, by far the most common, keep their one limb
/// inline; wider ones keep their limbs in one heap array.
class VaryVal {
 public:
  VaryVal() = default;
  VaryVal(const VaryVal& other);
  VaryVal(VaryVal&& other) noexcept;
  VaryVal& operator=(const VaryVal& other);
  VaryVal& operator=(VaryVal&& other) noexcept;
  ~VaryVal();

  /// Pads or drops limbs to ceil(width / 64) and clears the bits at and
  /// above `width`: excess value bits are cut off silently.
  static VaryVal from_limbs(std::span<const std::uint64_t> limbs, std::uint64_t width);

  /// The limbs, least significant first: ceil(width / 64) of them.
  std::span<const std::uint64_t> limb_span() const {
    return {is_inline() ? &inline_ : heap_, limb_count()};
  }
  /// A copy of the limbs.
  std::vector<std::uint64_t> limbs() const {
    auto s = limb_span();
    return {s.begin(), s.end()};
  }
  std::uint64_t width() const { return width_; }
  std::size_t limb_count() const { return static_cast<std::size_t>((width_ + 63) / 64); }
  bool is_zero() const;

  friend bool operator==(const VaryVal& a, const VaryVal& b);

 private:
  bool is_inline() const { return width_ <= 64; }

  std::uint64_t width_ = 0;
  union {
    std::uint64_t inline_ = 0;
    std::uint64_t* heap_;
  };
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
