#include "model/controller/clock_mode.h"

#include <array>

namespace velora {

std::string_view variant_name(ClockMode m) {
  static constexpr std::array<std::string_view, 4> kNames = {"PosEdge", "NegEdge", "ClkFree", "ClkUnused"};
  return kNames[static_cast<int>(m)];
}

}  // namespace velora
