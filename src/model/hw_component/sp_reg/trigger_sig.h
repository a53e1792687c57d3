// The signal-level trigger record of a special register.
//
// A control node turns its trigger nodes into their exit signals and hands
// the result to its special register, which builds its update events from
// it: optional hold, internal reset, internal start, master reset and clock
// signals, and one (trigger, qualifier) pair per depend entry of the node.
// As in the node record, only the present signals are stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/common/identifier.h"
#include "model/hw_component/common/hcp_ident.h"

namespace velora {

class ModelArena;

/// The five signal roles, in record order.
enum class TriggerSigSlot : std::uint8_t { Hold = 0, IntReset, IntStart, Mrst, Clk };

/// One depend entry at signal level: the predecessor's exit signal and the
/// optional qualifier (the entry's condition).
struct TriggerPair {
  HcpIdent trigger;
  std::optional<HcpIdent> qualifier;
};

class TriggerSig {
 public:
  std::vector<TriggerPair> depends;

  std::optional<HcpIdent> get(TriggerSigSlot slot) const;
  /// Overwrites the slot; an absent value clears it.
  void set(TriggerSigSlot slot, const std::optional<HcpIdent>& sig);

  std::optional<HcpIdent> hold() const { return get(TriggerSigSlot::Hold); }
  std::optional<HcpIdent> int_reset() const { return get(TriggerSigSlot::IntReset); }
  std::optional<HcpIdent> int_start() const { return get(TriggerSigSlot::IntStart); }
  std::optional<HcpIdent> mrst() const { return get(TriggerSigSlot::Mrst); }
  std::optional<HcpIdent> clk_sig_i() const { return get(TriggerSigSlot::Clk); }

  void push_depend_node(const HcpIdent& trigger, const std::optional<HcpIdent>& qualifier) {
    depends.push_back({trigger, qualifier});
  }

  /// Every present signal and every trigger and qualifier must be one bit
  /// wide; the owner register itself counts with `owner_width`. Fatal
  /// "'{owner name}': signal '{signal}' must be 1-bit, got {width}".
  void integrity_check(std::string_view owner_name, const ModelArena& arena, const HcpIdent& owner,
                       std::int32_t owner_width) const;

 private:
  struct Present {
    TriggerSigSlot slot;
    HcpIdent sig;
  };
  std::vector<Present> present_;
};

}  // namespace velora
