#include "model/controller/asm_priority.h"

namespace velora {
namespace {

// Per-thread controller state: each thread (and so each ModelArena, which is
// bound to the thread that made it) has its own mode and priority.
thread_local AsmNodePriorityMode CUR_MODE = AsmNodePriorityMode::Auto;
thread_local std::int32_t CUR_PRIORITY = kAutoAsmPriority;

}  // namespace

std::string_view mode_text(AsmNodePriorityMode mode) {
  return mode == AsmNodePriorityMode::Auto ? "Auto" : "Manual";
}

AsmNodePriorityMode get_asm_pri_mode() { return CUR_MODE; }
std::int32_t get_cur_priority() { return CUR_PRIORITY; }

void set_asm_pri_to_auto() {
  CUR_MODE = AsmNodePriorityMode::Auto;
  CUR_PRIORITY = kAutoAsmPriority;
}

void set_asm_pri_to_manual(std::int32_t priority) {
  CUR_MODE = AsmNodePriorityMode::Manual;
  CUR_PRIORITY = priority;
}

}  // namespace velora
