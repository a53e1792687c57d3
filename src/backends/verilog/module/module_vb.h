// Verilog text of one module.
//
// `init_module_vb` prepares a module tree for writing: it sorts the update
// pool of every component of the kinds that carry assignments (REG to
// MEM_BLOCK_INDEXER) in every module, so that each pool is written in
// priority order. `gen_module_blk_vb` then writes one module, in this order:
// the header with the port list (the module's IO wires), the declarations
// grouped by component kind, the parent-side nets of the sub-modules' output
// ports, the procedural blocks and continuous assignments, the sub-module
// instances, and the end. Components of a kind are always taken generated
// first, then front-end ones, each in registration order.
#pragma once

#include <string>

#include "model/common/identifier.h"
#include "util/file/file_writer.h"

namespace velora {

class ModelArena;
struct Module;

/// Sorts the update pools of `module` and of every module below it.
void init_module_vb(ModelArena& arena, const ModuleIdent& module);

/// The module's Verilog name: its identifier's global name.
std::string module_sim_name_vb(const ModuleIdent& module);

/// Writes the whole text of `module`. Reads the model only.
void gen_module_blk_vb(const ModelArena& arena, const Module& module, TextWriter& out);

}  // namespace velora
