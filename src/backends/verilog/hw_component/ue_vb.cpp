#include "backends/verilog/hw_component/ue_vb.h"

#include <vector>

#include "backends/verilog/hw_component/hcp_vb.h"
#include "backends/verilog/hw_component/verilog_text.h"
#include "common/error.h"
#include "model/model_arena.h"

namespace velora {
namespace {

constexpr std::string_view kDesSliceMark = "{DES_SLICE}";
constexpr std::string_view kSrcMark = "{SRC}";

const UeCommon& ue_common_vb(const ModelArena& arena, const UpdateEventIdent& ue) {
  if (ue.ue_type == UeType::UE_UNTYPE) fatal("take_ue_vb: UeType::Untype");
  return arena.get_ue_common(ue);
}

// Writes `tmpl` with every "{DES_SLICE}" replaced by `des_slice` and every
// "{SRC}" by `src`.
void write_template(TextWriter& out, std::string_view tmpl, std::string_view des_slice, std::string_view src) {
  std::size_t pos = 0;
  while (pos < tmpl.size()) {
    const std::size_t brace = tmpl.find('{', pos);
    if (brace == std::string_view::npos) {
      out.write(tmpl.substr(pos));
      return;
    }
    out.write(tmpl.substr(pos, brace - pos));
    const std::string_view rest = tmpl.substr(brace);
    if (rest.starts_with(kDesSliceMark)) {
      out.write(des_slice);
      pos = brace + kDesSliceMark.size();
    } else if (rest.starts_with(kSrcMark)) {
      out.write(src);
      pos = brace + kSrcMark.size();
    } else {
      out.write('{');
      pos = brace + 1;
    }
  }
}

void transpile_basic(TextWriter& out, const ModelArena& arena, const UeBasic& ue,
                     std::span<const std::string> templates, std::size_t indent, const VbDest& des) {
  StringWriter des_slice;
  write_slice_vb(des_slice, des.width, ue.des_slice);
  StringWriter src;
  fmt_operand(src, arena, ue.src, ue.src_slice, des);
  for (const std::string& t : templates) {
    out.write_spaces(indent);
    write_template(out, t, des_slice.text(), src.text());
    out.write('\n');
  }
}

// One event being written. Composite events are written in steps, each
// step writing an opener or a closer and handing at most one child to the
// walk, so that nesting depth costs heap, not native stack.
struct Frame {
  UeType kind;
  const void* record;
  std::size_t indent;
  std::size_t step = 0;
};

class Transpiler {
 public:
  Transpiler(TextWriter& out, const ModelArena& arena, std::span<const std::string> templates, const VbDest& des)
      : out_(out), arena_(arena), templates_(templates), des_(des) {}

  void run(const UpdateEventIdent& root, std::size_t indent) {
    push(root, indent);
    while (!stack_.empty()) {
      Frame& f = stack_.back();
      switch (f.kind) {
        case UeType::UE_BASIC: {
          const UeBasic& ue = *static_cast<const UeBasic*>(f.record);
          const std::size_t indent_now = f.indent;
          stack_.pop_back();
          transpile_basic(out_, arena_, ue, templates_, indent_now, des_);
          break;
        }
        case UeType::UE_GRP: step_grp(f); break;
        case UeType::UE_COND: step_cond(f); break;
        case UeType::UE_SWITCH: step_switch(f); break;
        case UeType::UE_UNTYPE: stack_.pop_back(); break;
      }
    }
  }

 private:
  void push(const UpdateEventIdent& ue, std::size_t indent) {
    switch (ue.ue_type) {
      case UeType::UE_BASIC: stack_.push_back({ue.ue_type, &arena_.ue_basics.get(ue.arena_handle), indent}); return;
      case UeType::UE_GRP: stack_.push_back({ue.ue_type, &arena_.ue_grps.get(ue.arena_handle), indent}); return;
      case UeType::UE_COND: stack_.push_back({ue.ue_type, &arena_.ue_conds.get(ue.arena_handle), indent}); return;
      case UeType::UE_SWITCH:
        stack_.push_back({ue.ue_type, &arena_.ue_switches.get(ue.arena_handle), indent});
        return;
      case UeType::UE_UNTYPE: break;
    }
    fatal("take_ue_vb: UeType::Untype");
  }

  // Children in order, at the same indent.
  void step_grp(Frame& f) {
    const UeGrp& ue = *static_cast<const UeGrp*>(f.record);
    if (f.step == ue.children.size()) {
      stack_.pop_back();
      return;
    }
    const std::size_t indent = f.indent;
    push(ue.children[f.step++], indent);
  }

  // Step 2k opens entry k and hands over its child; step 2k + 1 closes it.
  void step_cond(Frame& f) {
    const UeCond& ue = *static_cast<const UeCond*>(f.record);
    const std::size_t n = ue.conds.size();
    if (f.step == 2 * n) {
      stack_.pop_back();
      return;
    }
    const std::size_t k = f.step / 2;
    const std::size_t indent = f.indent;
    if (f.step++ % 2 == 1) {
      out_.write_spaces(indent);
      out_.write(k + 1 < n ? "end" : "end\n");
      return;
    }
    const std::optional<HcpIdent>& cond = ue.conds[k];
    if (k == 0) {
      out_.write_spaces(indent);
      if (cond) {
        out_.write("if (");
        fmt_operand(out_, arena_, *cond, std::nullopt, des_);
        out_.write(") begin\n");
      } else {
        out_.write("begin\n");
      }
    } else if (cond) {
      out_.write(" else if (");
      fmt_operand(out_, arena_, *cond, std::nullopt, des_);
      out_.write(") begin\n");
    } else {
      out_.write(" else begin\n");
    }
    if (k < ue.ues.size() && ue.ues[k]) push(*ue.ues[k], indent + 4);
  }

  // Step 0 writes the case line; step 2i + 1 opens item i and hands over its
  // child; step 2i + 2 closes it; the last step writes endcase.
  void step_switch(Frame& f) {
    const UeSwitch& ue = *static_cast<const UeSwitch*>(f.record);
    const std::size_t n = ue.sub_stmts.size();
    const std::size_t indent = f.indent;
    const std::size_t step = f.step++;
    if (step == 0) {
      out_.write_spaces(indent);
      out_.write("case (");
      fmt_operand(out_, arena_, ue.selector, std::nullopt, des_);
      out_.write(")\n");
      return;
    }
    if (step == 2 * n + 1) {
      out_.write_spaces(indent);
      out_.write("endcase\n");
      stack_.pop_back();
      return;
    }
    const std::size_t idx = (step - 1) / 2;
    if (step % 2 == 0) {
      out_.write_spaces(indent + 4);
      out_.write("end\n");
      return;
    }
    if (idx >= ue.sub_stmt_idxs.size()) fatal("assertion failed: idx < self.sub_stmt_idxs.len()");
    out_.write_spaces(indent + 4);
    out_.write_dec(ue.sub_stmt_idxs[idx]);
    out_.write(": begin\n");
    if (ue.sub_stmts[idx]) push(*ue.sub_stmts[idx], indent + 8);
  }

  TextWriter& out_;
  const ModelArena& arena_;
  std::span<const std::string> templates_;
  const VbDest& des_;
  std::vector<Frame> stack_;
};

}  // namespace

void fmt_operand(TextWriter& out, const ModelArena& arena, const HcpIdent& operand, const std::optional<Slice>& slice,
                 const VbDest& des) {
  std::int64_t width = 0;
  if (operand.ident_base.global_id == des.ident.ident_base.global_id) {
    out.write(des.name);
    width = des.width;
  } else {
    write_var_name_vb(out, arena, operand);
    width = hcp_width_vb(arena, operand);
  }
  write_slice_vb(out, width, slice);
}

void transpile_ue(TextWriter& out, const ModelArena& arena, const UpdateEventIdent& ue,
                  std::span<const std::string> templates, std::size_t indent, const VbDest& des) {
  Transpiler(out, arena, templates, des).run(ue, indent);
}

void write_pool_block(TextWriter& out, const ModelArena& arena, const UpdatePool& pool, const VbDest& des) {
  if (pool.empty()) return;
  std::string line_template(des.name);
  line_template.append("{DES_SLICE} <= {SRC};");
  write_pool_block(out, arena, pool, des, line_template);
}

void write_pool_block(TextWriter& out, const ModelArena& arena, const UpdatePool& pool, const VbDest& des,
                      const std::string& line_template) {
  if (pool.empty()) return;
  const UeCommon& first = ue_common_vb(arena, pool[0]);
  std::optional<std::string> clk_text;
  if (first.clk_src) {
    StringWriter clk;
    fmt_operand(clk, arena, *first.clk_src, std::nullopt, des);
    clk_text = clk.take();
  }
  StringWriter sensitivity;
  write_sensitivity_list(sensitivity, first.clk_mode, clk_text);
  out.write("always @(");
  out.write(sensitivity.text());
  out.write(") begin\n");
  const std::span<const std::string> templates(&line_template, 1);
  for (const UpdateEventIdent& ue : pool) transpile_ue(out, arena, ue, templates, 4, des);
  out.write("end\n");
}

}  // namespace velora
