// `ModelArena` methods of the assignment-priority controller. The mode and
// the priority belong to the calling thread, not to the arena.
#include <string>

#include "applications/py/model/method_tables.h"
#include "model/controller/asm_priority.h"

namespace velora::py {
namespace {

std::int32_t get_asm_pri_val(Call&) { return velora::get_cur_priority(); }

std::string get_asm_pri_mode(Call&) { return std::string(velora::mode_text(velora::get_asm_pri_mode())); }

void set_asm_pri_to_auto(Call&) { velora::set_asm_pri_to_auto(); }

void set_asm_pri_to_manual(Call&, std::int32_t priority) { velora::set_asm_pri_to_manual(priority); }

}  // namespace

void add_asm_priority_methods(MethodTable& t) {
  t.push_back(method<&get_asm_pri_val, "get_asm_pri_val">());
  t.push_back(method<&get_asm_pri_mode, "get_asm_pri_mode">());
  t.push_back(method<&set_asm_pri_to_auto, "set_asm_pri_to_auto">());
  t.push_back(method<&set_asm_pri_to_manual, "set_asm_pri_to_manual", "priority">());
}

}  // namespace velora::py
