#include "util/math/vary_val.h"

#include <algorithm>
#include <new>

#include "common/error.h"

namespace velora {
namespace {

std::size_t limbs_for(std::uint64_t width) { return static_cast<std::size_t>((width + 63) / 64); }

void mask_top(std::vector<std::uint64_t>& limbs, std::uint64_t width) {
  if (width % 64 != 0 && !limbs.empty()) limbs.back() &= (std::uint64_t{1} << (width % 64)) - 1;
}

void trim(std::vector<std::uint64_t>& limbs) {
  while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
}

}  // namespace

VaryVal::VaryVal(const VaryVal& other) : width_(other.width_) {
  if (other.is_inline()) {
    inline_ = other.inline_;
  } else {
    heap_ = new std::uint64_t[other.limb_count()];
    std::copy_n(other.heap_, other.limb_count(), heap_);
  }
}

VaryVal::VaryVal(VaryVal&& other) noexcept : width_(other.width_) {
  if (other.is_inline()) {
    inline_ = other.inline_;
  } else {
    heap_ = other.heap_;
  }
  other.width_ = 0;
  other.inline_ = 0;
}

VaryVal& VaryVal::operator=(const VaryVal& other) {
  if (this != &other) *this = VaryVal(other);
  return *this;
}

VaryVal& VaryVal::operator=(VaryVal&& other) noexcept {
  if (this != &other) {
    this->~VaryVal();
    new (this) VaryVal(std::move(other));
  }
  return *this;
}

VaryVal::~VaryVal() {
  if (!is_inline()) delete[] heap_;
}

VaryVal VaryVal::from_limbs(std::span<const std::uint64_t> limbs, std::uint64_t width) {
  std::vector<std::uint64_t> fitted(limbs.begin(),
                                    limbs.begin() + static_cast<std::ptrdiff_t>(std::min(limbs_for(width), limbs.size())));
  fitted.resize(limbs_for(width), 0);
  mask_top(fitted, width);
  VaryVal out;
  out.width_ = width;
  if (out.is_inline()) {
    out.inline_ = fitted.empty() ? 0 : fitted.front();
  } else {
    out.heap_ = new std::uint64_t[fitted.size()];
    std::copy(fitted.begin(), fitted.end(), out.heap_);
  }
  return out;
}

bool VaryVal::is_zero() const {
  auto s = limb_span();
  return std::all_of(s.begin(), s.end(), [](std::uint64_t l) { return l == 0; });
}

bool operator==(const VaryVal& a, const VaryVal& b) {
  auto x = a.limb_span();
  auto y = b.limb_span();
  return a.width_ == b.width_ && std::equal(x.begin(), x.end(), y.begin(), y.end());
}

std::vector<std::uint64_t> reduce(const BigInt& value, std::uint64_t width) {
  if (width == 0) fatal("reduce: width must be at least 1");
  const std::size_t n = limbs_for(width);
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
