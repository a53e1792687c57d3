// Clock modes of update events, assignment metadata and control nodes.
#pragma once

#include <cstdint>
#include <string_view>

namespace velora {

enum class ClockMode : std::uint8_t {
  PosEdge = 0,    ///< clocked on the rising edge of a clock source
  NegEdge = 1,    ///< clocked on the falling edge of a clock source
  ClkFree = 2,    ///< combinational, no clock source
  ClkUnused = 3,  ///< no clock mode of its own
};

/// The variant name ("PosEdge", ...), the debug form.
std::string_view variant_name(ClockMode m);

/// True for PosEdge and NegEdge, the modes that need a clock source.
constexpr bool is_edge(ClockMode m) { return m == ClockMode::PosEdge || m == ClockMode::NegEdge; }

}  // namespace velora
