#include "model/hw_component/sp_reg/cnt_reg.h"

#include <algorithm>
#include <cmath>

#include "model/hw_component/sp_reg/ctrl_hw.h"

namespace velora {

std::int32_t cnt_reg_width(std::int32_t max_cycle) {
  double bits = std::floor(std::log2(2.0 * static_cast<double>(max_cycle) - 1.0));
  // A single count still needs one bit: a counter of width 0 would leave
  // its constants without bits and its Verilog without meaning.
  return std::max<std::int32_t>(1, ctrl_hw::saturate_i32(bits));
}

void CntReg::begin_events() {
  drop_built_events(hcp_assign.update_pool, built_);
  built_ = begin_build();
}

}  // namespace velora
