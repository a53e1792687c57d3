#include "backends/common/routing.h"

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

void route_and_remap_io_model(ModelArena& arena) {
  if (!arena.top_module) fatal("route_and_remap_io_model: no top module set");
}

void route_glob_io_model(ModelArena& arena) {
  if (!arena.top_module) fatal("route_glob_io_model: no top module set");
}

}  // namespace velora
