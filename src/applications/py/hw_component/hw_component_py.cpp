// `ModelArena` methods for components, component properties and the basic
// assignment, and the constant maker shared with the expression and array
// methods.
#include "applications/py/hw_component/hw_component_py.h"

#include <string>
#include <variant>

#include "applications/py/model/method_tables.h"
#include "backends/verilog/hw_component/hcp_vb.h"
#include "model/hw_component/basic_assign.h"

namespace velora::py {

velora::HcpIdent make_const_val(velora::ModelArena& model, std::string_view name, const velora::BigInt& value,
                                std::int32_t width) {
  std::string rel(name);
  rel += "_c";
  if (width <= 0) return model.make_val(true, rel, width, 0);
  std::vector<std::uint64_t> limbs = velora::reduce(value, static_cast<std::uint64_t>(width));
  if (width > 64) return model.make_val_vv(true, rel, width, limbs);
  return model.make_val(true, rel, width, limbs.empty() ? 0 : limbs.front());
}

namespace {

velora::HcpIdent mk_reg(Call& call, std::string_view name, std::int32_t bit_width) {
  return call.model().make_reg(true, name, bit_width);
}

velora::HcpIdent mk_wire(Call& call, std::string_view name, std::int32_t bit_width) {
  return call.model().make_wire(true, name, bit_width);
}

velora::HcpIdent mk_val(Call& call, std::string_view name, std::int32_t bit_width, std::uint64_t init_val) {
  return call.model().make_val(true, name, bit_width, init_val);
}

velora::HcpIdent mk_val_vv(Call& call, std::string_view name, std::int32_t bit_width,
                           std::vector<std::uint64_t> limbs) {
  return call.model().make_val_vv(true, name, bit_width, limbs);
}

velora::HcpIdent mk_mem_blk(Call& call, std::string_view name, std::int32_t bit_width, std::int32_t index_width) {
  return call.model().make_mem_blk(true, name, bit_width, index_width);
}

velora::HcpIdent mk_mem_ele(Call& call, std::string_view name, velora::HcpIdent master_mem_blk_i,
                            velora::HcpIdent index_ident, std::int32_t bit_width, bool is_read) {
  return call.model().make_mem_ele(true, name, master_mem_blk_i, index_ident, bit_width, is_read);
}

void mark_as_io(Call& call, velora::HcpIdent hcp_i, bool is_input, std::string_view io_name) {
  call.model().mark_as_io(hcp_i, is_input, io_name);
}

bool is_marked_as_io(Call& call, velora::HcpIdent hcp_i) {
  return call.model().get_hcp_assign(hcp_i).io_mark.has_value();
}

std::int32_t get_hw_bit_sz(Call& call, velora::HcpIdent hcp_i) {
  velora::Slice whole = call.model().get_des_slice(hcp_i);
  return whole.stop - whole.start;
}

/// The register and wire groups are addressed by handle alone: an identifier
/// of another kind would select an unrelated component with the same slot.
void require_kind(const velora::HcpIdent& ident, velora::HwComponentType expected, const char* operation) {
  if (ident.hw_type != expected)
    velora::fatal(std::string(operation) + ": expected a " + std::string(velora::printed(expected)) +
                  " identifier, got " + std::string(velora::printed(ident.hw_type)));
}

void set_reg_reset(Call& call, velora::HcpIdent reg_i, velora::HcpIdent reset_val_i) {
  require_kind(reg_i, velora::HwComponentType::Reg, "set_reg_reset");
  call.model().set_reg_reset(reg_i, reset_val_i);
}

void set_wire_default(Call& call, velora::HcpIdent wire_i, velora::HcpIdent default_val_i) {
  require_kind(wire_i, velora::HwComponentType::Wire, "set_wire_default");
  call.model().set_wire_default(wire_i, default_val_i);
}

std::string hcp_verilog_name(Call& call, velora::HcpIdent hcp_i) {
  if (hcp_i.hw_type == velora::HwComponentType::Nest)
    velora::fatal("take_hcp_vb: Nest not yet ported to Verilog backend");
  return velora::gen_var_name_vb(call.model(), hcp_i);
}

void gen_basic_assign(Call& call, velora::HcpIdent des_i, PyOperand src, std::optional<velora::Slice> src_slice,
                      std::optional<velora::Slice> des_slice) {
  velora::ModelArena& model = call.model();
  velora::HcpIdent source;
  std::int32_t start = -1;
  std::int32_t stop = -1;
  if (const auto* literal = std::get_if<velora::BigInt>(&src)) {
    // A literal always takes the destination's whole width.
    velora::Slice whole = model.get_des_slice(des_i);
    std::int32_t width = whole.stop - whole.start;
    source = make_const_val(model, "const", *literal, width);
    start = 0;
    stop = width;
  } else {
    source = std::get<velora::HcpIdent>(src);
    if (src_slice) {
      start = src_slice->start;
      stop = src_slice->stop;
    }
  }
  velora::BasicAssignResult result = model.gen_basic_assign(des_i, source, des_slice, start, stop);
  if (result.report.kind != velora::ResizeKind::Exact)
    call.warn(velora::resize_warning_text(result.report, des_i.ident_base.abs_name()));
}

}  // namespace

void add_hw_component_methods(MethodTable& t) {
  t.push_back(method<&mk_reg, "mk_reg", "name", "bit_width">());
  t.push_back(method<&mk_wire, "mk_wire", "name", "bit_width">());
  t.push_back(method<&mk_val, "mk_val", "name", "bit_width", "init_val">());
  t.push_back(method<&mk_val_vv, "mk_val_vv", "name", "bit_width", "limbs">());
  t.push_back(method<&mk_mem_blk, "mk_mem_blk", "name", "bit_width", "index_width">());
  t.push_back(method<&mk_mem_ele, "mk_mem_ele", "name", "master_mem_blk_i", "index_ident", "bit_width",
                     "is_read">());
  t.push_back(method<&mark_as_io, "mark_as_io", "hcp_i", "is_input", "io_name">());
  t.push_back(method<&is_marked_as_io, "is_marked_as_io", "hcp_i">());
  t.push_back(method<&get_hw_bit_sz, "get_hw_bit_sz", "hcp_i">());
  t.push_back(method<&set_reg_reset, "set_reg_reset", "reg_i", "reset_val_i">());
  t.push_back(method<&set_wire_default, "set_wire_default", "wire_i", "default_val_i">());
  t.push_back(method<&hcp_verilog_name, "hcp_verilog_name", "hcp_i">());
  t.push_back(method<&gen_basic_assign, "gen_basic_assign", "des_i", "src", "src_slice", "des_slice">());
}

}  // namespace velora::py
