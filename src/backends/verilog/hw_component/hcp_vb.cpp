#include "backends/verilog/hw_component/hcp_vb.h"

#include <algorithm>
#include <type_traits>

#include "backends/verilog/hw_component/ue_vb.h"
#include "backends/verilog/hw_component/verilog_text.h"
#include "common/error.h"
#include "model/model_arena.h"

namespace velora {
namespace {

template <class T, class K>
inline constexpr bool is_kind = std::is_same_v<std::remove_cvref_t<T>, K>;

/// Kinds written like a register: `Reg`, `Wire` and the special registers
/// (every kind that is none of the others below).
template <class T>
inline constexpr bool is_reg_like = !is_kind<T, IoWire> && !is_kind<T, Val> && !is_kind<T, Expression> &&
                                    !is_kind<T, MemBlk> && !is_kind<T, MemEle>;

template <class F>
decltype(auto) visit_vb(const ModelArena& arena, const HcpIdent& hcp, F&& f) {
  if (hcp.hw_type == HwComponentType::Nest) fatal("take_hcp_vb: Nest not yet ported to Verilog backend");
  return arena.visit_hcp(hcp, std::forward<F>(f));
}

template <class T>
std::int64_t width_of(const T& rec) {
  if constexpr (is_kind<T, MemBlk>) {
    return rec.bit_width;
  } else {
    return rec.des_width();
  }
}

template <class T>
void write_name(TextWriter& out, const T& rec) {
  if constexpr (is_kind<T, IoWire>) {
    if (rec.io_name) {
      out.write(name_text(*rec.io_name));
      return;
    }
  }
  rec.ident.ident_base.append_abs_name(out.pending());
  out.commit();
}

template <class T>
std::string name_of(const T& rec) {
  StringWriter out;
  write_name(out, rec);
  return out.take();
}

template <class T>
void write_type(TextWriter& out, const T& rec) {
  if constexpr (is_kind<T, MemBlk>) {
    out.write("reg ");
  } else if constexpr (is_kind<T, Val> || is_kind<T, Expression> || is_kind<T, MemEle>) {
    out.write("wire ");
  } else {
    out.write("reg  ");
  }
  write_range_vb(out, width_of(rec));
}

template <class T>
std::size_t io_lines(const T&) {
  return is_kind<T, IoWire> ? 1 : 0;
}

template <class T>
std::size_t init_lines(const T& rec) {
  if constexpr (is_kind<T, MemEle>) {
    return rec.is_read ? 1 : 0;
  } else {
    return 1;
  }
}

template <class T>
std::size_t procedure_blks(const T& rec) {
  if constexpr (is_kind<T, Val> || is_kind<T, MemBlk>) {
    return 0;
  } else if constexpr (is_kind<T, IoWire>) {
    return rec.is_input ? 0 : 1;
  } else {
    return 1;
  }
}

[[noreturn]] [[gnu::cold]] void index_out_of_range(std::string_view op, std::size_t index, std::size_t count,
                                                   const HcpIdent& hcp) {
  std::string msg(op);
  msg.append(": index ");
  msg.append(std::to_string(index));
  msg.append(" out of range for ");
  hcp.ident_base.append_abs_name(msg);
  msg.append(", which has ");
  msg.append(std::to_string(count));
  fatal(std::move(msg));
}

const IoWire& io_wire_of(const ModelArena& arena, const HcpIdent& hcp, std::string_view op) {
  if (hcp.hw_type != HwComponentType::IoWire) {
    std::string msg(op);
    msg.append(" called on ");
    msg.append(variant_name(hcp.hw_type));
    msg.append(", not on an IoWire");
    fatal(std::move(msg));
  }
  return arena.io_wires.get(hcp.ident_base.arena_handle);
}

// ---------------------------------------------------------------- procedural blocks

void write_expression_block(TextWriter& out, const ModelArena& arena, const Expression& expr) {
  if (!expr.has_operands || !expr.a) return;
  const LogicOp op = expr.op;
  const bool two_operands = op != LogicOp::BitwiseInvr && op != LogicOp::LogicalNot && op != LogicOp::ExtendBit &&
                            op != LogicOp::SliceBit && op != LogicOp::Assign;
  if (two_operands && !expr.b) return;

  const std::string name = name_of(expr);
  const VbDest des{expr.ident, name, expr.width};
  StringWriter rhs;
  switch (op) {
    case LogicOp::BitwiseInvr:
    case LogicOp::LogicalNot:
      rhs.write(logic_op_to_verilog(op));
      fmt_operand(rhs, arena, expr.a->ident, expr.a->slice, des);
      break;
    case LogicOp::RelationSlt:
    case LogicOp::RelationSgt:
      rhs.write("$signed(");
      fmt_operand(rhs, arena, expr.a->ident, expr.a->slice, des);
      rhs.write(") ");
      rhs.write(logic_op_to_verilog(op));
      rhs.write(" $signed(");
      fmt_operand(rhs, arena, expr.b->ident, expr.b->slice, des);
      rhs.write(')');
      break;
    case LogicOp::ExtendBit: {
      const std::int64_t gap = expr.a->slice ? std::int64_t{expr.width} - expr.a->slice->size() : 0;
      if (gap > 0) {
        rhs.write("{{");
        rhs.write_dec(gap);
        rhs.write('{');
        if (expr.b) {
          fmt_operand(rhs, arena, expr.b->ident, expr.b->slice, des);
        } else {
          rhs.write("1'b0");
        }
        rhs.write("}}, ");
        fmt_operand(rhs, arena, expr.a->ident, expr.a->slice, des);
        rhs.write('}');
      } else {
        fmt_operand(rhs, arena, expr.a->ident, expr.a->slice, des);
      }
      break;
    }
    case LogicOp::SliceBit:
    case LogicOp::Assign:
      fmt_operand(rhs, arena, expr.a->ident, expr.a->slice, des);
      break;
    default: {
      const std::string_view token = logic_op_to_verilog(op);
      fmt_operand(rhs, arena, expr.a->ident, expr.a->slice, des);
      rhs.write(' ');
      rhs.write(token);
      rhs.write(' ');
      fmt_operand(rhs, arena, expr.b->ident, expr.b->slice, des);
      break;
    }
  }
  out.write("assign ");
  out.write(name);
  out.write(" = ");
  out.write(rhs.text());
  out.write(";\n");
}

void write_mem_ele_block(TextWriter& out, const ModelArena& arena, const MemEle& ele) {
  const std::string mem = gen_var_name_vb(arena, ele.master_mem_blk_i);
  const std::string index = gen_var_name_vb(arena, ele.index_ident);
  const std::string name = name_of(ele);
  if (ele.is_read) {
    out.write("assign ");
    out.write(name);
    out.write(" = ");
    out.write(mem);
    out.write('[');
    out.write(index);
    out.write("];\n");
    return;
  }
  std::string line_template = mem;
  line_template.push_back('[');
  line_template.append(index);
  line_template.append("]{DES_SLICE} <= {SRC};");
  write_pool_block(out, arena, ele.get_update_pool(), VbDest{ele.ident, name, ele.bit_width}, line_template);
}

template <class T>
void write_procedure_block(TextWriter& out, const ModelArena& arena, const T& rec) {
  if constexpr (is_kind<T, Val> || is_kind<T, MemBlk>) {
    fatal("gen_procedure_blk_vb not implemented for this HCP type");
  } else if constexpr (is_kind<T, Expression>) {
    write_expression_block(out, arena, rec);
  } else if constexpr (is_kind<T, MemEle>) {
    write_mem_ele_block(out, arena, rec);
  } else {
    const std::string name = name_of(rec);
    write_pool_block(out, arena, rec.get_update_pool(), VbDest{rec.ident, name, width_of(rec)});
  }
}

}  // namespace

std::string gen_var_name_vb(const ModelArena& arena, const HcpIdent& hcp) {
  return visit_vb(arena, hcp, [](const auto& rec) { return name_of(rec); });
}

void write_var_name_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp) {
  visit_vb(arena, hcp, [&](const auto& rec) { write_name(out, rec); });
}

std::int64_t hcp_width_vb(const ModelArena& arena, const HcpIdent& hcp) {
  return visit_vb(arena, hcp, [](const auto& rec) { return width_of(rec); });
}

void gen_type_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp) {
  visit_vb(arena, hcp, [&](const auto& rec) { write_type(out, rec); });
}

std::size_t amt_io_line_vb(const ModelArena& arena, const HcpIdent& hcp) {
  return visit_vb(arena, hcp, [](const auto& rec) { return io_lines(rec); });
}

std::size_t amt_init_line_vb(const ModelArena& arena, const HcpIdent& hcp) {
  return visit_vb(arena, hcp, [](const auto& rec) { return init_lines(rec); });
}

std::size_t amt_procedure_blk_vb(const ModelArena& arena, const HcpIdent& hcp) {
  return visit_vb(arena, hcp, [](const auto& rec) { return procedure_blks(rec); });
}

void gen_io_line_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp, std::size_t index) {
  visit_vb(arena, hcp, [&](const auto& rec) {
    using T = std::remove_cvref_t<decltype(rec)>;
    if constexpr (is_kind<T, IoWire>) {
      if (index != 0) index_out_of_range("gen_io_line_vb", index, 1, hcp);
      out.write(rec.is_input ? "input wire " : "output reg  ");
      write_range_vb(out, rec.width);
      write_name(out, rec);
    } else {
      fatal("gen_io_line_vb not implemented for this HCP type");
    }
  });
}

void gen_init_line_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp, std::size_t index) {
  visit_vb(arena, hcp, [&](const auto& rec) {
    using T = std::remove_cvref_t<decltype(rec)>;
    const std::size_t count = init_lines(rec);
    if (index >= count) index_out_of_range("gen_init_line_vb", index, count, hcp);
    write_type(out, rec);
    out.write(' ');
    write_name(out, rec);
    if constexpr (is_kind<T, Val>) {
      out.write(" = ");
      write_vary_val_vb(out, rec.value);
    } else if constexpr (is_kind<T, MemBlk>) {
      out.write(" [0:");
      write_last_index_vb(out, static_cast<std::uint32_t>(std::max(rec.index_width, 0)));
      out.write(']');
    }
    out.write(';');
  });
}

void gen_procedure_blk_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp, std::size_t index) {
  visit_vb(arena, hcp, [&](const auto& rec) {
    using T = std::remove_cvref_t<decltype(rec)>;
    if constexpr (!is_kind<T, Val> && !is_kind<T, MemBlk>) {
      const std::size_t count = procedure_blks(rec);
      if (index >= count) index_out_of_range("gen_procedure_blk_vb", index, count, hcp);
    }
    write_procedure_block(out, arena, rec);
  });
}

std::string gen_agent_input_vb(const ModelArena& arena, const HcpIdent& io_wire) {
  const IoWire& io = io_wire_of(arena, io_wire, "gen_agent_input_vb");
  if (!io.is_input) fatal("gen_agent_input_vb called on output IoWire");
  if (!io.agent_src_signal_i) fatal("IoWire: agent_src_signal_i is None");
  return gen_var_name_vb(arena, *io.agent_src_signal_i);
}

void gen_parent_net_line_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& io_wire) {
  const IoWire& io = io_wire_of(arena, io_wire, "gen_parent_net_line_vb");
  out.write("wire ");
  write_range_vb(out, io.width);
  write_name(out, io);
  out.write(';');
}

}  // namespace velora
