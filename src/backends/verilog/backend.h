// The Verilog backend: writes a finished design as one Verilog file per module.
//
// `BackendVerilog::emit` runs three phases over the model it owns:
//   1. routing: signals read across module boundaries, and components marked
//      as design ports, are carried through generated IO wires (routing.h);
//   2. preparation: every update pool is sorted into priority order;
//   3. writing: one file per module, the top module first, then the others
//      in depth-first pre-order, each made by `gen_module_blk_vb`.
// Each phase reports on the progress stream the caller provides.
#pragma once

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "model/common/identifier.h"
#include "model/model_arena.h"

namespace velora {

/// Depth-first pre-order walk over the module tree from the top module;
/// sub-modules are visited in list order.
class DfsModuleIter {
 public:
  explicit DfsModuleIter(const ModuleIdent& top) : stack_{top} {}
  /// The next module, or none when the walk is over.
  std::optional<ModuleIdent> next_module(const ModelArena& arena);

 private:
  std::vector<ModuleIdent> stack_;
};

class BackendVerilog {
 public:
  explicit BackendVerilog(ModelArena model) : arena_(std::move(model)) {}

  /// Routes, prepares and writes the design to "{output_dir}/{stem}.v"
  /// files: the top module's stem is `top_file_name`, the others' their
  /// Verilog name. The directory must exist. Progress lines go to `progress`.
  void emit(std::string_view output_dir, std::string_view top_file_name, std::ostream& progress);

  ModelArena& model() { return arena_; }
  const ModelArena& model() const { return arena_; }

 private:
  ModelArena arena_;
};

/// `emit` over a model the caller keeps.
void emit_verilog(ModelArena& model, std::string_view output_dir, std::string_view top_file_name,
                  std::ostream& progress);

}  // namespace velora
