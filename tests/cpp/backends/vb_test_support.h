// Shared helpers of the Verilog backend tests.
#pragma once

#include <gtest/gtest.h>

#include "support/error_capture.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <map>
#include <string>

#include "backends/verilog/hw_component/hcp_vb.h"
#include "common/error.h"
#include "model/controller/asm_priority.h"
#include "model/model_arena.h"
#include "util/file/file_writer.h"

namespace velora::vb_test {


/// `text` with every "{KEY}" replaced by its value.
inline std::string fill(std::string text, const std::map<std::string, std::string>& values) {
  for (const auto& [key, value] : values) {
    const std::string mark = "{" + key + "}";
    for (std::size_t pos = text.find(mark); pos != std::string::npos; pos = text.find(mark, pos + value.size()))
      text.replace(pos, mark.size(), value);
  }
  return text;
}

/// The text of module "mid" in the worked example of module generation:
/// "mid" holds the register ACC, driven from its sub-module's output port,
/// and instantiates "sub" (placeholders in braces, filled by `fill`).
inline constexpr const char* kWorkedExampleMid = R"(////////////////////////////////////////////////////////////////////////////////
// Phase 1 : module header & IO ports
module {MID}(
    input wire {MID_CLK}
);

    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----
    // ---- REG declarations ----
reg  [7:0]  {ACC};

    // ---- Phase 2.5 : sub-module output wire declarations ----
wire [7:0] {RES_OUT};
    // ---- Phase 3 : always blocks & continuous assignments ----
always @(posedge {MID_CLK}) begin
    {ACC}[7:0] <= {RES_OUT}[7:0];
end

    // ---- Phase 4 : sub-module instantiations ----
{SUB}  {SUB} (
    .{RES_OUT}({RES_OUT}),
    .{SUB_CLK}({MID_CLK}),
    .{ACC_IN}({ACC})
);
    // ---- Phase 5 : endmodule ----

endmodule

)";

/// The global name of a component (its Verilog name unless it is a named port).
inline std::string N(const HcpIdent& h) { return h.ident_base.abs_name(); }
inline std::string N(const ModuleIdent& m) { return m.ident_base.abs_name(); }

/// A directory under /tmp removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/velora_vb_XXXXXX";
    const char* p = ::mkdtemp(tmpl);
    if (p == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = p;
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline bool file_exists(const std::string& path) { return std::ifstream(path).good(); }

/// An arena with module "top" on the module trace stack (component stage),
/// set as the top module; the priority controller in Auto mode.
class VbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_asm_pri_to_auto();
    top = arena.mk_module(true, "top");
    arena.track_module_at_com_init(top);
    arena.set_top_module(top);
  }
  void TearDown() override { set_asm_pri_to_auto(); }

  /// Binds "src -> des" over the whole ranges with the given clocking.
  void assign(const HcpIdent& des, const HcpIdent& src, std::int32_t priority = 10,
              ClockMode mode = ClockMode::ClkFree, std::optional<HcpIdent> clk = std::nullopt) {
    arena.bind_src(des, src, std::nullopt, 0, arena.get_des_slice(src).stop, priority, mode, clk);
  }
  void add_event(const HcpIdent& des, const UpdateEventIdent& ue) {
    arena.get_hcp_assign_mut(des).update_pool.push(ue);
  }
  void sort(const HcpIdent& hcp) {
    arena.take_hcp(hcp, [&](auto& rec) { rec.sort_events(arena); });
  }

  std::string decl(const HcpIdent& h, std::size_t index = 0) {
    StringWriter out;
    gen_init_line_vb(out, arena, h, index);
    return out.take();
  }
  std::string block(const HcpIdent& h, std::size_t index = 0) {
    StringWriter out;
    gen_procedure_blk_vb(out, arena, h, index);
    return out.take();
  }
  std::string port(const HcpIdent& h) {
    StringWriter out;
    gen_io_line_vb(out, arena, h, 0);
    return out.take();
  }

  ModelArena arena;
  ModuleIdent top;
};

}  // namespace velora::vb_test
