// The special-register factories of the model arena. Every special register
// is a generated component of the current module.
#include <string>

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

namespace {

template <class Reg>
HcpIdent insert_sp_reg(ModelArena& arena, ArenaGroup<Reg>& group, Reg reg) {
  ArenaHandle h = group.insert(std::move(reg));
  return arena.stamp_hw_to_parent_module(group.get(h).ident, false);
}

template <class Reg>
Reg new_sp_reg(std::string_view name) {
  Reg reg;
  reg.ident = HcpIdent(Reg::kType, false, name);
  return reg;
}

std::string suffixed(std::string_view name, std::string_view suffix) {
  std::string out(name);
  out.append(suffix);
  return out;
}

}  // namespace

HcpIdent ModelArena::make_state_reg(std::string_view name) {
  StateReg reg = new_sp_reg<StateReg>(name);
  reg.set_val = ctrl_hw::make_const(*this, suffixed(name, "_SET"), 1, 1);
  reg.unset_val = ctrl_hw::make_const(*this, suffixed(name, "_UNSET"), 1, 0);
  return insert_sp_reg(*this, state_regs, std::move(reg));
}

HcpIdent ModelArena::make_sync_reg(std::string_view name, std::int32_t size) {
  if (size < 1) fatal("SyncReg size must be positive");
  SyncReg reg = new_sp_reg<SyncReg>(name);
  reg.size = size;
  return insert_sp_reg(*this, sync_regs, std::move(reg));
}

HcpIdent ModelArena::make_cond_wait_state_reg(std::string_view name, const HcpIdent& cond, std::int32_t slice_start,
                                              std::int32_t slice_stop) {
  CondWaitStateReg reg = new_sp_reg<CondWaitStateReg>(name);
  reg.cond = cond;
  reg.cond_slice = Slice{slice_start, slice_stop};
  return insert_sp_reg(*this, cond_wait_state_regs, std::move(reg));
}

HcpIdent ModelArena::make_cycle_wait_state_reg(std::string_view name, std::int32_t wait_cycle) {
  if (wait_cycle < 1) fatal("wait_cycle must be positive");
  CycleWaitStateReg reg = new_sp_reg<CycleWaitStateReg>(name);
  reg.wait_cycle = wait_cycle;
  reg.width = cycle_wait_width(wait_cycle);
  return insert_sp_reg(*this, cycle_wait_state_regs, std::move(reg));
}

HcpIdent ModelArena::make_cnt_reg(std::string_view name, std::int32_t inc_val, std::int32_t max_cycle) {
  if (max_cycle < 0) fatal("max_cycle must be positive");
  if (max_cycle == 0) fatal("assertion failed: max_number > 0");
  if (inc_val < 1) fatal("inc_val must be positive");
  CntReg reg = new_sp_reg<CntReg>(name);
  reg.inc_val = inc_val;
  reg.max_number = max_cycle;
  reg.width = cnt_reg_width(max_cycle);
  return insert_sp_reg(*this, cnt_regs, std::move(reg));
}

}  // namespace velora
