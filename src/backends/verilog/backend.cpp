#include "backends/verilog/backend.h"

#include <string>

#include "backends/common/routing.h"
#include "backends/verilog/module/module_vb.h"
#include "common/error.h"
#include "util/file/file_writer.h"

namespace velora {
namespace {

void report(std::ostream& progress, std::string_view line) {
  progress << line;
  progress.flush();
}

bool same_module(const ModuleIdent& a, const ModuleIdent& b) { return a == b; }

}  // namespace

std::optional<ModuleIdent> DfsModuleIter::next_module(const ModelArena& arena) {
  if (stack_.empty()) return std::nullopt;
  ModuleIdent current = stack_.back();
  stack_.pop_back();
  const Module& m = arena.modules.get(current.ident_base.arena_handle);
  stack_.insert(stack_.end(), m.sub_modules.rbegin(), m.sub_modules.rend());
  return current;
}

void emit_verilog(ModelArena& arena, std::string_view output_dir, std::string_view top_file_name,
                  std::ostream& progress) {
  report(progress, "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n");
  route_and_remap_io_model(arena);
  route_glob_io_model(arena);
  report(progress, "[BackendVerilog] Phase 1: done\n");

  report(progress, "[BackendVerilog] Phase 2: initialising HCP update pools\n");
  const ModuleIdent top = *arena.top_module;  // routing has required it
  init_module_vb(arena, top);
  report(progress, "[BackendVerilog] Phase 2: done\n");

  std::string line = "[BackendVerilog] Phase 3: emitting Verilog to '";
  line.append(output_dir);
  line.append("'\n");
  report(progress, line);
  DfsModuleIter walk(top);
  while (std::optional<ModuleIdent> module = walk.next_module(arena)) {
    std::string path(output_dir);
    path.push_back('/');
    if (same_module(*module, top)) {
      path.append(top_file_name);
    } else {
      path.append(module_sim_name_vb(*module));
    }
    path.append(".v");
    line = "[BackendVerilog] Phase 3:   writing ";
    line.append(path);
    line.push_back('\n');
    report(progress, line);

    std::optional<FileWriter> writer;
    try {
      writer.emplace(path);
    } catch (const Error& e) {
      std::string msg = "BackendVerilog::phase_emit \u2014 ";
      msg.append(e.what());
      fatal(std::move(msg));
    }
    gen_module_blk_vb(arena, arena.modules.get(module->ident_base.arena_handle), *writer);
    writer->close();
  }
  report(progress, "[BackendVerilog] Phase 3: done\n");
}

void BackendVerilog::emit(std::string_view output_dir, std::string_view top_file_name, std::ostream& progress) {
  emit_verilog(arena_, output_dir, top_file_name, progress);
}

}  // namespace velora
