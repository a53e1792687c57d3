#include "backends/verilog/hw_component/ue_vb.h"

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

void transpile_cond(TextWriter& out, const ModelArena& arena, const UeCond& ue,
                    std::span<const std::string> templates, std::size_t indent, const VbDest& des) {
  const std::size_t n = ue.conds.size();
  for (std::size_t k = 0; k < n; ++k) {
    const std::optional<HcpIdent>& cond = ue.conds[k];
    if (k == 0) {
      out.write_spaces(indent);
      if (cond) {
        out.write("if (");
        fmt_operand(out, arena, *cond, std::nullopt, des);
        out.write(") begin\n");
      } else {
        out.write("begin\n");
      }
    } else if (cond) {
      out.write(" else if (");
      fmt_operand(out, arena, *cond, std::nullopt, des);
      out.write(") begin\n");
    } else {
      out.write(" else begin\n");
    }
    if (k < ue.ues.size() && ue.ues[k]) transpile_ue(out, arena, *ue.ues[k], templates, indent + 4, des);
    out.write_spaces(indent);
    out.write(k + 1 < n ? "end" : "end\n");
  }
}

void transpile_switch(TextWriter& out, const ModelArena& arena, const UeSwitch& ue,
                      std::span<const std::string> templates, std::size_t indent, const VbDest& des) {
  out.write_spaces(indent);
  out.write("case (");
  fmt_operand(out, arena, ue.selector, std::nullopt, des);
  out.write(")\n");
  for (std::size_t idx = 0; idx < ue.sub_stmts.size(); ++idx) {
    if (idx >= ue.sub_stmt_idxs.size()) fatal("assertion failed: idx < self.sub_stmt_idxs.len()");
    out.write_spaces(indent + 4);
    out.write_dec(ue.sub_stmt_idxs[idx]);
    out.write(": begin\n");
    if (ue.sub_stmts[idx]) transpile_ue(out, arena, *ue.sub_stmts[idx], templates, indent + 8, des);
    out.write_spaces(indent + 4);
    out.write("end\n");
  }
  out.write_spaces(indent);
  out.write("endcase\n");
}

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
  switch (ue.ue_type) {
    case UeType::UE_BASIC:
      transpile_basic(out, arena, arena.ue_basics.get(ue.arena_handle), templates, indent, des);
      return;
    case UeType::UE_GRP:
      for (const UpdateEventIdent& child : arena.ue_grps.get(ue.arena_handle).children)
        transpile_ue(out, arena, child, templates, indent, des);
      return;
    case UeType::UE_COND:
      transpile_cond(out, arena, arena.ue_conds.get(ue.arena_handle), templates, indent, des);
      return;
    case UeType::UE_SWITCH:
      transpile_switch(out, arena, arena.ue_switches.get(ue.arena_handle), templates, indent, des);
      return;
    case UeType::UE_UNTYPE:
      break;
  }
  fatal("take_ue_vb: UeType::Untype");
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
