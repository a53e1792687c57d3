#include "model/hw_component/common/update_event.h"

#include <array>
#include <charconv>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

std::string_view ue_type_text(UeType t) {
  static constexpr std::array<std::string_view, 5> kTexts = {"UE_BASIC", "UE_GRP", "UE_COND", "UE_SWITCH",
                                                             "UE_UNTYPE"};
  return kTexts[static_cast<int>(t)];
}

std::string UpdateEventIdent::name() const {
  std::string out(ue_type_text(ue_type));
  out.push_back('_');
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, global_id);
  out.append(buf, res.ptr);
  return out;
}

bool is_joinable(const UeCommon& a, const UeCommon& b) {
  return a.priority == b.priority && a.clk_mode == b.clk_mode && a.clk_src == b.clk_src;
}

namespace {

void gather_child(ModelArena& arena, const UpdateEventIdent& child, HcpIdentSet& out) {
  arena.visit_ue(child, [&](const auto& ue) { ue.gather_dep_hcps(arena, out); });
}

void remap_child(ModelArena& arena, const UpdateEventIdent& child, const HcpIdentMap& map) {
  arena.take_ue(child, [&](auto& ue) { ue.remap_dep_hcps(map, arena); });
}

}  // namespace

// ---- UeBasic

void UeBasic::gather_dep_hcps(ModelArena&, HcpIdentSet& out) const {
  out.insert(src);
  if (common.clk_src) out.insert(*common.clk_src);
}

void UeBasic::remap_dep_hcps(const HcpIdentMap& map, ModelArena&) {
  remap_ident(src, map);
  remap_clk_src(map);
}

// ---- UeGrp

void UeGrp::gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const {
  for (const UpdateEventIdent& child : children) gather_child(arena, child, out);
}

void UeGrp::remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena) {
  for (const UpdateEventIdent& child : children) remap_child(arena, child, map);
  remap_clk_src(map);
}

// ---- UeCond

void UeCond::add_entry(std::optional<HcpIdent> cond, OptUeIdent ue) {
  if (is_last_occure) fatal("assertion failed: !self.is_last_occure");
  if (!cond) is_last_occure = true;
  conds.push_back(std::move(cond));
  ues.push_back(ue);
}

void UeCond::gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const {
  for (const auto& cond : conds)
    if (cond) out.insert(*cond);
  for (const OptUeIdent& child : ues)
    if (child) gather_child(arena, *child, out);
}

void UeCond::remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena) {
  for (auto& cond : conds)
    if (cond) remap_ident(*cond, map);
  for (const OptUeIdent& child : ues)
    if (child) remap_child(arena, *child, map);
  remap_clk_src(map);
}

// ---- UeSwitch

void UeSwitch::gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const {
  out.insert(selector);
  for (const OptUeIdent& child : sub_stmts)
    if (child) gather_child(arena, *child, out);
}

void UeSwitch::remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena) {
  remap_ident(selector, map);
  for (const OptUeIdent& child : sub_stmts)
    if (child) remap_child(arena, *child, map);
  remap_clk_src(map);
}

}  // namespace velora
