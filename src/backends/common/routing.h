// Cross-module IO routing.
//
// Verilog lets a module see only its own nets and its ports, while the model
// lets a component read any component of any module and mark any component
// as a design port. Before files are written the backend rewrites the model,
// in this order:
//   1. internal routing (`route_and_remap_io_model`): every read of a
//      component of another module goes through a chain of IO wires, up from
//      the source's module to the lowest common ancestor ("IO_OUT_<source>"
//      output ports) and down to the reader ("IO_IN_<source>" input ports);
//      existing ports are reused, and the reader is remapped to the last wire
//      of the chain;
//   2. global routing (`route_glob_io_model`): every component marked as IO
//      gets its own chain of ports to the top module, the last one named by
//      the mark's io_name; a marked input is then driven by its chain.
// Both passes visit the modules in depth-first pre-order from the top module,
// and within a module the sources in ascending global id, so the same model
// always yields the same ports with the same ids.
#pragma once

#include <optional>

#include "backends/common/module_paths.h"
#include "model/common/identifier.h"

namespace velora {

class ModelArena;

/// Internal routing of every cross-module read (see above). Fatal
/// "route_and_remap_io_model: no top module set" without a top module.
void route_and_remap_io_model(ModelArena& arena);

/// Global routing of every IO-marked component (see above). Fatal
/// "route_glob_io_model: no top module set" without a top module.
void route_glob_io_model(ModelArena& arena);

/// The first IO wire of `module` (generated ones, then the front end's) whose
/// direction is `is_input` and which carries `signal`, or none. A port of that
/// direction reached before it that carries no signal is fatal
/// "IoWire: actual_src_signal_i is None".
std::optional<HcpIdent> find_reusable_io_wire(const ModelArena& arena, const ModuleIdent& module,
                                              const HcpIdent& signal, bool is_input);

namespace routing_detail {
/// Internal routing exactly as the plain walk describes it: every route
/// computes both module paths and visits every module on them. Routing
/// proper reaches the same result with shortcuts; tests compare the two.
void route_and_remap_io_model_plain(ModelArena& arena);
}  // namespace routing_detail

}  // namespace velora
