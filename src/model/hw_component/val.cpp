#include "model/hw_component/val.h"

#include "common/error.h"

namespace velora {

Val::Val(bool is_user, std::string_view name, std::int32_t bit_width, VaryVal v)
    : value(std::move(v)), width(bit_width) {
  ident = HcpIdent(kType, is_user, name);
}

NcpIdent Val::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("Val::do_asm should not be called");
}

UpdateEventIdent Val::gen_update_event(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("Val::gen_update_event should not be called");
}

AssignMeta Val::gen_asm_meta(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("Val::gen_asm_meta should not be called");
}

NcpIdent Val::gen_asm_node(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("Val::gen_asm_meta should not be called");
}

}  // namespace velora
