#include "model/hw_component/wire.h"

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

Wire::Wire(bool is_user, std::string_view name, std::int32_t bit_width) : width(bit_width) {
  ident = HcpIdent(kType, is_user, name);
}

void Wire::set_default_val(const HcpIdent& val) {
  if (default_val) fatal("default_val is set already");
  if (!default_enabled) fatal("cannot set default_val on a no-default wire");
  default_val = val;
}

void Wire::try_build_default(ModelArena& arena) {
  if (!default_enabled) return;
  HcpIdent src;
  std::int32_t priority;
  if (default_val) {
    src = *default_val;
    priority = DEFAULT_UE_PRI_FALLBACK;
  } else {
    std::string name = ident.ident_base.abs_name();
    name.append("_DEFAULT_ZERO");
    src = arena.make_val(false, name, width, 0);
    priority = DEFAULT_UE_PRI_MIN;
  }
  const Slice whole_src = arena.get_des_slice(src);
  add_update_event(gen_assign_update_event(arena, width, src, std::nullopt, whole_src.start, whole_src.stop, priority,
                                           ClockMode::ClkFree));
}

}  // namespace velora
