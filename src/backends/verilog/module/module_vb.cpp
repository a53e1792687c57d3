#include "backends/verilog/module/module_vb.h"

#include <string_view>
#include <vector>

#include "backends/verilog/hw_component/hcp_vb.h"
#include "model/model_arena.h"

namespace velora {
namespace {

constexpr int kSortedKindsEnd = static_cast<int>(HwComponentType::MemBlockIndexer) + 1;

void write_header(TextWriter& out, std::string_view title) {
  out.write("    // ---- ");
  out.write(title);
  out.write(" ----\n");
}

/// Calls `f` on every component of `kind`: generated ones, then front-end ones.
template <class F>
void for_each_of_kind(const Module& module, HwComponentType kind, F&& f) {
  const auto k = static_cast<std::size_t>(kind);
  for (const HcpIdent& hcp : module.internal_hcps[k]) f(hcp);
  for (const HcpIdent& hcp : module.user_hcps[k]) f(hcp);
}

bool has_kind(const Module& module, HwComponentType kind) {
  const auto k = static_cast<std::size_t>(kind);
  return !module.internal_hcps[k].empty() || !module.user_hcps[k].empty();
}

void write_ports(TextWriter& out, const ModelArena& arena, const Module& module) {
  bool first = true;
  for_each_of_kind(module, HwComponentType::IoWire, [&](const HcpIdent& hcp) {
    const std::size_t lines = amt_io_line_vb(arena, hcp);
    for (std::size_t i = 0; i < lines; ++i) {
      if (!first) out.write(",\n");
      first = false;
      out.write("    ");
      gen_io_line_vb(out, arena, hcp, i);
    }
  });
  if (!first) out.write('\n');
}

void write_declarations(TextWriter& out, const ModelArena& arena, const Module& module) {
  for (int k = 0; k < kHwComponentTypeCount; ++k) {
    const auto kind = static_cast<HwComponentType>(k);
    if (kind == HwComponentType::IoWire || !has_kind(module, kind)) continue;
    std::string title(printed(kind));
    title.append(" declarations");
    write_header(out, title);
    for_each_of_kind(module, kind, [&](const HcpIdent& hcp) {
      const std::size_t lines = amt_init_line_vb(arena, hcp);
      for (std::size_t i = 0; i < lines; ++i) {
        gen_init_line_vb(out, arena, hcp, i);
        out.write('\n');
      }
    });
  }
}

void write_sub_module_nets(TextWriter& out, const ModelArena& arena, const Module& module) {
  for (const ModuleIdent& sub_i : module.sub_modules) {
    const Module& sub = arena.modules.get(sub_i.ident_base.arena_handle);
    for_each_of_kind(sub, HwComponentType::IoWire, [&](const HcpIdent& hcp) {
      if (arena.io_wires.get(hcp.ident_base.arena_handle).is_input) return;
      gen_parent_net_line_vb(out, arena, hcp);
      out.write('\n');
    });
  }
}

void write_blocks(TextWriter& out, const ModelArena& arena, const Module& module) {
  for (int k = 0; k < kHwComponentTypeCount; ++k) {
    for_each_of_kind(module, static_cast<HwComponentType>(k), [&](const HcpIdent& hcp) {
      const std::size_t blocks = amt_procedure_blk_vb(arena, hcp);
      for (std::size_t i = 0; i < blocks; ++i) {
        gen_procedure_blk_vb(out, arena, hcp, i);
        out.write('\n');
      }
    });
  }
}

void write_instances(TextWriter& out, const ModelArena& arena, const Module& module) {
  for (const ModuleIdent& sub_i : module.sub_modules) {
    const Module& sub = arena.modules.get(sub_i.ident_base.arena_handle);
    const std::string name = module_sim_name_vb(sub.module_ident);
    out.write(name);
    out.write("  ");
    out.write(name);
    out.write(" (\n");
    bool first = true;
    for_each_of_kind(sub, HwComponentType::IoWire, [&](const HcpIdent& hcp) {
      const std::string port = gen_var_name_vb(arena, hcp);
      const bool is_input = arena.io_wires.get(hcp.ident_base.arena_handle).is_input;
      const std::string connection = is_input ? gen_agent_input_vb(arena, hcp) : port;
      if (!first) out.write(",\n");
      first = false;
      out.write("    .");
      out.write(port);
      out.write('(');
      out.write(connection);
      out.write(')');
    });
    if (!first) out.write('\n');
    out.write(");\n");
  }
}

}  // namespace

void init_module_vb(ModelArena& arena, const ModuleIdent& module) {
  static_assert(kSortedKindsEnd == 10, "pools of the kinds REG to MEM_BLOCK_INDEXER are sorted");
  // Pre-order over the tree, with an explicit stack so that depth costs no
  // native stack.
  std::vector<ModuleIdent> todo{module};
  while (!todo.empty()) {
    const ModuleIdent current = todo.back();
    todo.pop_back();
    arena.sort_update_event_pool(current);
    const Module& m = arena.modules.get(current.ident_base.arena_handle);
    todo.insert(todo.end(), m.sub_modules.rbegin(), m.sub_modules.rend());
  }
}

std::string module_sim_name_vb(const ModuleIdent& module) { return module.ident_base.abs_name(); }

void gen_module_blk_vb(const ModelArena& arena, const Module& module, TextWriter& out) {
  out.write(std::string_view(
      "////////////////////////////////////////////////////////////////////////////////\n"));
  out.write("// Phase 1 : module header & IO ports\n");
  out.write("module ");
  out.write(module_sim_name_vb(module.module_ident));
  out.write("(\n");
  write_ports(out, arena, module);
  out.write(");\n\n");

  write_header(out, "Phase 2 : signal declarations (reg / wire / localparam / mem)");
  write_declarations(out, arena, module);
  out.write('\n');

  write_header(out, "Phase 2.5 : sub-module output wire declarations");
  write_sub_module_nets(out, arena, module);

  write_header(out, "Phase 3 : always blocks & continuous assignments");
  write_blocks(out, arena, module);

  write_header(out, "Phase 4 : sub-module instantiations");
  write_instances(out, arena, module);

  write_header(out, "Phase 5 : endmodule");
  out.write("\nendmodule\n\n");
}

}  // namespace velora
