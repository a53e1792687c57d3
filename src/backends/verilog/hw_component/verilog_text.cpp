#include "backends/verilog/hw_component/verilog_text.h"

#include <array>
#include <vector>

#include "common/error.h"

namespace velora {

void write_range_vb(TextWriter& out, std::int64_t width) {
  if (width <= 1) return;
  out.write('[');
  out.write_dec(width - 1);
  out.write(":0] ");
}

void write_slice_vb(TextWriter& out, std::int64_t width, const std::optional<Slice>& slice) {
  if (width < 2 || !slice || slice->start < 0) return;
  out.write('[');
  out.write_dec(static_cast<long long>(slice->stop) - 1);
  out.write(':');
  out.write_dec(slice->start);
  out.write(']');
}

void write_last_index_vb(TextWriter& out, std::uint32_t exponent) {
  if (exponent <= 64) {
    out.write_udec(exponent == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << exponent) - 1);
    return;
  }
  // All ones over `exponent` bits, divided down by 10^19 for the digits.
  std::vector<std::uint64_t> limbs((exponent + 63) / 64, ~std::uint64_t{0});
  if (exponent % 64 != 0) limbs.back() = (std::uint64_t{1} << (exponent % 64)) - 1;
  constexpr std::uint64_t kChunk = 10000000000000000000ull;  // 10^19
  std::vector<std::uint64_t> chunks;                          // least significant first
  while (!limbs.empty()) {
    unsigned __int128 rem = 0;
    for (auto it = limbs.rbegin(); it != limbs.rend(); ++it) {
      const unsigned __int128 cur = (rem << 64) | *it;
      *it = static_cast<std::uint64_t>(cur / kChunk);
      rem = cur % kChunk;
    }
    chunks.push_back(static_cast<std::uint64_t>(rem));
    while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
  }
  out.write_udec(chunks.back());
  for (auto it = chunks.rbegin() + 1; it != chunks.rend(); ++it) {
    const std::string digits = std::to_string(*it);
    out.pending().append(19 - digits.size(), '0');
    out.write(digits);
  }
}

void write_vary_val_vb(TextWriter& out, const VaryVal& value) {
  const auto limbs = value.limb_span();  // no copy: this runs once per constant written
  // Verilog has no literal without bits ("0'h0" is refused by the tools); a
  // constant of width 0 reads as 0 wherever it is used, as 1'b0 does.
  if (value.width() <= 1) {
    out.write(!limbs.empty() && (limbs[0] & 1) != 0 ? "1'b1" : "1'b0");
    return;
  }
  out.write_udec(value.width());
  out.write("'h");
  static constexpr char kHex[] = "0123456789abcdef";
  std::string& text = out.pending();
  bool leading = true;
  for (auto it = limbs.rbegin(); it != limbs.rend(); ++it) {
    for (int shift = 60; shift >= 0; shift -= 4) {
      const unsigned digit = static_cast<unsigned>((*it >> shift) & 0xF);
      if (leading && digit == 0) continue;
      leading = false;
      text.push_back(kHex[digit]);
    }
  }
  if (leading) text.push_back('0');
  out.commit();
}

std::string vary_val_to_verilog(const VaryVal& value) {
  StringWriter out;
  write_vary_val_vb(out, value);
  return out.take();
}

std::string_view logic_op_to_verilog(LogicOp op) {
  switch (op) {
    case LogicOp::BitwiseAnd: return "&";
    case LogicOp::BitwiseOr: return "|";
    case LogicOp::BitwiseXor: return "^";
    case LogicOp::BitwiseInvr: return "~";
    case LogicOp::BitwiseShl: return "<<";
    case LogicOp::BitwiseShr: return ">>";
    case LogicOp::LogicalAnd: return "&&";
    case LogicOp::LogicalOr: return "||";
    case LogicOp::LogicalNot: return "!";
    case LogicOp::RelationEq: return "==";
    case LogicOp::RelationNeq: return "!=";
    case LogicOp::RelationLe: return "<";
    case LogicOp::RelationLeq: return "<=";
    case LogicOp::RelationGe: return ">";
    case LogicOp::RelationGeq: return ">=";
    case LogicOp::RelationSlt: return "<";
    case LogicOp::RelationSgt: return ">";
    case LogicOp::ArithPlus: return "+";
    case LogicOp::ArithMinus: return "-";
    case LogicOp::ArithMul: return "*";
    case LogicOp::ArithDiv: return "/";
    case LogicOp::ArithDivr: return "%";
    case LogicOp::ExtendBit:
      fatal("logic_op_to_verilog: ExtendBit has no direct Verilog operator; not yet implemented");
    case LogicOp::SliceBit:
      fatal("logic_op_to_verilog: SliceBit has no operator token; handle as wire-through");
    case LogicOp::Assign:
      fatal("logic_op_to_verilog: Assign has no operator token; handle as wire-through");
    case LogicOp::Dummy:
      fatal("logic_op_to_verilog: Dummy op must not reach the Verilog backend");
  }
  fatal("logic_op_to_verilog: operator value out of range");
}

void write_sensitivity_list(TextWriter& out, ClockMode mode, const std::optional<std::string>& clk_src) {
  switch (mode) {
    case ClockMode::PosEdge:
      if (!clk_src) fatal("sensitivity_list: PosEdge with no clk source");
      out.write("posedge ");
      out.write(*clk_src);
      return;
    case ClockMode::NegEdge:
      if (!clk_src) fatal("sensitivity_list: NegEdge with no clk source");
      out.write("negedge ");
      out.write(*clk_src);
      return;
    case ClockMode::ClkFree:
    case ClockMode::ClkUnused:
      break;
  }
  out.write('*');
}

}  // namespace velora
