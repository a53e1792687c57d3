// Module compilation: the driver of `ModelArena::build_flow`.
//
// `build_flow_as_top_module` creates the design-wide "clk" and "mrst" input
// wires and the start node "start" on the top module; `build_flow_base`
// compiles a module (its outermost flow blocks, its loose assignment nodes,
// its complex components, then register resets and wire defaults) and then
// every module below it, depth first in sub-module order.
#pragma once

#include "model/common/identifier.h"

namespace velora {

class ModelArena;
struct Module;

/// Compiles the top module `module` (taken out of its group by the caller)
/// and every module below it. Fatal "top module start node must not be set
/// before build_flow" the second time.
void build_flow_as_top_module(Module& module, ModelArena& arena);

/// Compiles `module` (taken out of its group by the caller) and then, one
/// after the other, every module below it, with the design's start node,
/// clock and master-reset wires.
void build_flow_base(Module& module, ModelArena& arena, const NcpIdent& start, const HcpIdent& clk,
                     const HcpIdent& mrst);

}  // namespace velora
