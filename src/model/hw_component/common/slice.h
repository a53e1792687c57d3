// Bit ranges of signals.
//
// `Slice` is the half-open range [start, stop). -1 stands for an absent bound.
// An optional slice that is absent, or present but not valid, selects the
// whole signal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velora {

struct Slice {
  std::int32_t start = -1;
  std::int32_t stop = -1;

  bool is_valid() const { return start >= 0 && start < stop; }
  /// stop - start in 32-bit two's complement arithmetic.
  std::int32_t size() const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(stop) - static_cast<std::uint32_t>(start));
  }
  friend bool operator==(const Slice&, const Slice&) = default;
};

using OptSlice = std::optional<Slice>;

/// "Slice { start: 0, stop: 3 }"
std::string debug_repr(const Slice& s);

/// The range an optional slice selects of a signal of `width` bits.
inline Slice resolve_opt_slice(const OptSlice& s, std::int32_t width) {
  if (s && s->is_valid()) return *s;
  return Slice{0, width};
}

/// Checks that a condition signal of `width` bits, narrowed by `cond_slice`,
/// is one bit wide; raises the ValueErrors of the condition check.
void check_cond_slice_match(std::int32_t width, const OptSlice& cond_slice);

}  // namespace velora
