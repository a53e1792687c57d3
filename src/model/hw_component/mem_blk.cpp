#include "model/hw_component/mem_blk.h"

#include "common/error.h"

namespace velora {
namespace {
[[noreturn]] [[gnu::cold]] void not_a_destination() { fatal("MemBlk is not an assignment destination"); }
}  // namespace

MemBlk::MemBlk(bool is_user, std::string_view name, std::int32_t bit_w, std::int32_t index_w)
    : bit_width(bit_w), index_width(index_w) {
  ident = HcpIdent(kType, is_user, name);
}

ClockMode MemBlk::retrieve_clk_mode() const { not_a_destination(); }
Slice MemBlk::get_des_slice() const { not_a_destination(); }
std::int32_t MemBlk::get_priority() const { not_a_destination(); }
NcpIdent MemBlk::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  not_a_destination();
}
UpdateEventIdent MemBlk::gen_update_event(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t,
                                          ModelArena&) {
  not_a_destination();
}
UpdateEventIdent MemBlk::gen_update_event_with_pri(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t,
                                                   std::int32_t, ClockMode, ModelArena&) {
  not_a_destination();
}
AssignMeta MemBlk::gen_asm_meta(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  not_a_destination();
}
NcpIdent MemBlk::gen_asm_node(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  not_a_destination();
}
void MemBlk::bind_src(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, std::optional<std::int32_t>,
                      std::optional<ClockMode> clk_mode, const std::optional<HcpIdent>& clk_src, ModelArena&) {
  if (is_edge(clk_mode.value_or(ClockMode::ClkFree)) && !clk_src)
    fatal("no clk_src specified for binded source with posedge or negedge clk");
  not_a_destination();
}

}  // namespace velora
