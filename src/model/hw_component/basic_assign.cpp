// The basic assignment path: destination <- source.
//
// The source is first fitted to the destination range (`sanitize_asm_src`):
// an equal width is used as is, a wider source loses its most significant
// bits, a narrower one is zero-extended through a new "{}_ext" expression.
// The destination then builds its assignment node (`do_asm`), which joins the
// current scope: the open flow block, or the top module's loose nodes.
#include "model/hw_component/basic_assign.h"

#include <string>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

SanitizedSrc ModelArena::sanitize_asm_src(const HcpIdent& des, const HcpIdent& src, const OptSlice& des_slice,
                                          std::int32_t src_start, std::int32_t src_stop) {
  const std::int32_t d = (des_slice && des_slice->is_valid()) ? des_slice->size() : get_des_slice(des).size();
  Slice range{src_start, src_stop};
  if (!range.is_valid()) range = Slice{0, get_des_slice(src).size()};
  const std::int32_t s = range.size();
  SanitizedSrc out;
  out.report.src_width = s;
  out.report.des_width = d;
  if (s == d) {
    out.src = src;
    out.start = range.start;
    out.stop = range.stop;
    out.report.kind = ResizeKind::Exact;
  } else if (s > d) {
    out.src = src;
    out.start = range.start;
    out.stop = range.start + d;
    out.report.kind = ResizeKind::Truncated;
  } else {
    std::string name = src.ident_base.abs_name();
    name.append("_ext");
    out.src = make_expression_constant(false, name, LogicOp::ExtendBit, src, d, range);
    out.start = 0;
    out.stop = d;
    out.report.kind = ResizeKind::Extended;
  }
  return out;
}

BasicAssignResult ModelArena::gen_basic_assign(const HcpIdent& des, const HcpIdent& src, const OptSlice& des_slice,
                                               std::int32_t src_start, std::int32_t src_stop) {
  SanitizedSrc fitted = sanitize_asm_src(des, src, des_slice, src_start, src_stop);
  NcpIdent node = take_hcp(des, [&](auto& hcp) -> NcpIdent {
    return hcp.do_asm(fitted.src, des_slice, fitted.start, fitted.stop, *this);
  });
  attach_basic_node_to_current_scope(node);
  return BasicAssignResult{node, fitted.report};
}

void ModelArena::attach_basic_node_to_current_scope(const NcpIdent& node) {
  if (!flow_block_stack.empty())
    fatal("attach_basic_node_to_current_scope: flow blocks cannot take assignment nodes yet");
  if (!top_module) fatal("add_basic_node_to_top_module: no top module set");
  modules.take(top_module->ident_base.arena_handle)->basic_nodes_i.push_back(node);
}

std::string resize_warning_text(const ResizeReport& report, std::string_view des_name) {
  if (report.kind == ResizeKind::Exact) return {};
  std::string out = "assignment source (" + std::to_string(report.src_width) + " bits) is ";
  out.append(report.kind == ResizeKind::Extended ? "narrower" : "wider");
  out.append(" than destination '");
  out.append(des_name);
  out.append("' (" + std::to_string(report.des_width) + " bits); ");
  out.append(report.kind == ResizeKind::Extended ? "zero-extended (unsigned) to fit" : "MSBs dropped to fit");
  return out;
}

}  // namespace velora
