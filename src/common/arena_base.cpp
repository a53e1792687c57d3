#include "common/arena_base.h"

namespace velora {

std::string debug_repr(const ArenaHandle& handle) {
  return "ArenaHandle { index: " + std::to_string(handle.index) +
         ", generation: " + std::to_string(handle.generation) + " }";
}

namespace arena_detail {

void index_out_of_range() { fatal("ArenaHandle index out of range"); }

void generation_mismatch(std::uint32_t slot, std::uint32_t handle) {
  fatal_not_equal("ArenaHandle generation mismatch", std::to_string(slot), std::to_string(handle));
}

void slot_already_taken(const ArenaHandle& handle) {
  fatal("arena slot is already taken: " + debug_repr(handle));
}

void slot_not_taken(const ArenaHandle& handle) {
  fatal("arena slot is not taken, nothing to put back: " + debug_repr(handle));
}

}  // namespace arena_detail
}  // namespace velora
