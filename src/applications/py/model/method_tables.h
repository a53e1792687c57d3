// The method families of `ModelArena`. Each family appends its entries, in
// the order they are listed, to the class's method table.
#pragma once

#include <vector>

#include "applications/py/core/call.h"

namespace velora::py {

using MethodTable = std::vector<PyMethodDef>;

/// Modules and the module trace stack.
void add_module_methods(MethodTable& table);
void add_hw_component_methods(MethodTable& table);
/// Reading and setting the assignment priority.
void add_asm_priority_methods(MethodTable& table);
/// The flow-block lifecycle, the block factories and `build_flow`.
void add_flow_block_methods(MethodTable& table);

}  // namespace velora::py
