#include "model/hw_component/expression.h"

#include "common/error.h"

namespace velora {

NcpIdent Expression::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("Expression::do_asm — not implemented");
}

void Expression::gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const {
  if (a) out.insert(a->ident);
  if (b) out.insert(b->ident);
  hcp_assign.update_pool.gather_dep_hcps(arena, out);
}

void Expression::remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena) {
  if (a) remap_ident(a->ident, map);
  if (b) remap_ident(b->ident, map);
  hcp_assign.update_pool.remap_dep_hcps(map, arena);
}

}  // namespace velora
