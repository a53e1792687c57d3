#include "model/hw_component/sp_reg/sp_reg_base.h"

#include <vector>

namespace velora {

BuiltEvents begin_build() {
  // Every event made from here on draws a larger global id.
  return BuiltEvents{peek_global_id(), 0};
}

void end_build(BuiltEvents& range) {
  std::uint64_t next = peek_global_id();
  range.last = next == 0 ? 0 : next - 1;
  if (range.last < range.first) range = BuiltEvents{};
}

void drop_built_events(UpdatePool& pool, const BuiltEvents& range) {
  if (range.first > range.last) return;
  UpdatePool kept;
  for (const UpdateEventIdent& ue : pool)
    if (!range.contains(ue)) kept.push(ue);
  pool = std::move(kept);
}

}  // namespace velora
