#include "model/hw_component/sp_reg/trigger_sig.h"

#include <algorithm>

#include "model/model_arena.h"

namespace velora {

std::optional<HcpIdent> TriggerSig::get(TriggerSigSlot slot) const {
  for (const Present& p : present_)
    if (p.slot == slot) return p.sig;
  return std::nullopt;
}

void TriggerSig::set(TriggerSigSlot slot, const std::optional<HcpIdent>& sig) {
  auto it = std::find_if(present_.begin(), present_.end(), [slot](const Present& p) { return p.slot == slot; });
  if (sig) {
    if (it != present_.end())
      it->sig = *sig;
    else
      present_.push_back({slot, *sig});
  } else if (it != present_.end()) {
    present_.erase(it);
  }
}

void TriggerSig::integrity_check(std::string_view owner_name, const ModelArena& arena, const HcpIdent& owner,
                                 std::int32_t owner_width) const {
  auto check = [&](const HcpIdent& sig) { arena.check_ident_bit_size(sig, 1, owner_name, owner, owner_width); };
  // In record order: hold, int_reset, int_start, mrst, clock, then the pairs.
  for (int s = 0; s <= static_cast<int>(TriggerSigSlot::Clk); ++s)
    if (std::optional<HcpIdent> sig = get(static_cast<TriggerSigSlot>(s))) check(*sig);
  for (const TriggerPair& p : depends) {
    check(p.trigger);
    if (p.qualifier) check(*p.qualifier);
  }
}

}  // namespace velora
